#include <gtest/gtest.h>

#include "cli_run.h"

namespace {

TEST(CliFilters, RefusalsExitWith1FailuresWith2AndLaterCommandsDoNotRun) {
  TempDir dir;
  const std::string out = dir.File("out.wav");
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string err;
  };
  // New makes an 11025 Hz sound: the highest cut-off is 5512.
  const Case cases[] = {
      {{"new", "0.1", "low-pass", "5512", "high-pass", "1", "save", out}, 0, ""},
      {{"new", "0.1", "low-pass", "5513", "save", out}, 1, "Error. Aborting operation.\n"},
      {{"new", "0.1", "high-pass", "0", "save", out}, 2, "Floating point division by zero\n"},
      {{"new", "0.1", "iir", "1", "x", "0", "save", out}, 2, "'x' is not a valid floating point value\n"},
      {{"new", "0.1", "wall", "-2.5", "600", "save", out}, 1, "Error, negative mass.\n"},
      {{"new", "0.1", "wall", "0", "600", "save", out}, 2, "Floating point division by zero\n"},
      {{"iir-open", dir.File("none.iir"), "new", "0.1", "save", out}, 2,
       "Cannot open file " + dir.File("none.iir") + " (No such file or directory)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[2]);
    std::filesystem::remove(out);
    const CliResult r = RunCli(c.args);
    EXPECT_EQ(r.Code, c.code);
    EXPECT_EQ(r.Err, c.err);
    EXPECT_EQ(std::filesystem::exists(out), c.code == 0);
  }
}

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
