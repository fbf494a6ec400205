#include <gtest/gtest.h>

#include "cli_run.h"

namespace {

TEST(CliEffects, RefusalsExitWith1AndFailuresWith2) {
  struct Case {
    std::vector<std::string> command;
    int code;
    std::string err;
  };
  const std::string aborting = "Error. Aborting operation.\n";
  const Case cases[] = {
      {{"delay", "-1"}, 1, aborting},
      {{"delay", "1.5"}, 2, "'1.5' is not a valid integer value\n"},
      {{"echo", "100", "0"}, 1, aborting},
      {{"echo", "100", "101"}, 1, aborting},
      {{"echo-repeat", "-1", "50"}, 1, "The echo period must be positive.\n"},
      {{"echo-repeat", "100", "95"}, 1, "The amplitude factor should be in the interval 0 to 90.\n"},
      {{"echo-repeat", "100", "0"}, 2, "Floating point division by zero\n"},
      {{"add-noise", "101"}, 1, aborting},
      {{"gate", "-1"}, 1, aborting},
      {{"sine", "-1", "50"}, 1, "Error, negative input.\n"},
      {{"square", "100", "x"}, 2, "'x' is not a valid integer value\n"},
      {{"echo", "100", "100", "echo-repeat", "10", "90", "stereo-expand", "gate", "5", "sine", "1000", "50"}, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command[0]);
    std::vector<std::string> args = {"new", "0.5"};
    args.insert(args.end(), c.command.begin(), c.command.end());
    args.push_back("info");
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.Code, c.code);
    EXPECT_EQ(r.Err, c.err);
    EXPECT_EQ(r.Out.empty(), c.code != 0);
  }
}

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
