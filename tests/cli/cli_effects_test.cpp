#include <gtest/gtest.h>

#include "cli_run.h"

namespace {

// Each run starts the generator at seed 0; within a run the noise goes on where it stood.
TEST(CliEffects, NoiseIsTheSameInEveryRunAndContinuesAcrossCommands) {
  const std::vector<std::string> once = {"new", "0.1", "to-16bit", "add-noise", "50", "samples", "0", "50"};
  const CliResult first = RunCli(once);
  ASSERT_EQ(first.Code, 0) << first.Err;
  EXPECT_EQ(RunCli(once).Out, first.Out);
  const CliResult later = RunCli({"new", "0.1", "to-16bit", "add-noise", "0", "add-noise", "50", "samples", "0", "50"});
  EXPECT_NE(later.Out, first.Out);
}

}  // namespace
