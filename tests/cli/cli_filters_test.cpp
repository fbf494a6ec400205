#include <gtest/gtest.h>

#include "cli_run.h"

namespace {

TEST(CliFilters, CoefficientsFromAFileFilterAsTheSameTextsTyped) {
  TempDir dir;
  const std::string source = dir.File("tone.wav");
  ASSERT_EQ(RunCommand("sox -r 8000 -n -b 16 -c 2 " + ShellQuoted(source) + " synth 0.1 sine 440 sine 3000"), 0);
  const std::string coefficients = dir.File("c.iir");
  WriteBytes(coefficients, {'0', '.', '3', '\r', '\n', '0', '.', '2', '\r', '\n', '0', '.', '4', '\r', '\n'});
  const CliResult typed = RunCli({"open", source, "iir", "0.3", "0.2", "0.4", "samples", "0", "800"});
  const CliResult read = RunCli({"iir-open", coefficients, "open", source, "iir-apply", "samples", "0", "800"});
  const CliResult unchanged = RunCli({"open", source, "iir-apply", "samples", "0", "800"});
  const CliResult before = RunCli({"open", source, "samples", "0", "800"});
  ASSERT_EQ(typed.Code, 0) << typed.Err;
  EXPECT_EQ(read.Out, typed.Out);
  EXPECT_NE(typed.Out, before.Out);
  EXPECT_EQ(unchanged.Out, before.Out);
}

}  // namespace
