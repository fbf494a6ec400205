#include <gtest/gtest.h>

#include "cli_run.h"

namespace {

// Two tones written by sox, edited by velorin-cli and by sox: the files must be the same bytes.
TEST(CliEdit, PasteAndCropGiveWhatSoxGives) {
  TempDir dir;
  const auto sox = [&](const std::string& args) { return RunCommand("cd " + ShellQuoted(dir.Path()) + " && sox " + args); };
  ASSERT_EQ(sox("-n -r 44100 -b 16 -c 2 a.wav synth 1 sine 440 gain -6"), 0);
  ASSERT_EQ(sox("-n -r 44100 -b 16 -c 2 b.wav synth 0.5 sine 660 gain -6"), 0);
  const struct {
    std::vector<std::string> ours;
    std::string theirs;
  } cases[] = {
      {{"open", "a.wav", "select", "0", "22049", "copy", "open", "b.wav", "paste", "save", "ours.wav"},
       "a.wav half.wav trim 0 22050s && sox half.wav b.wav theirs.wav"},
      {{"open", "a.wav", "select", "1000", "4999", "crop", "save", "ours.wav"}, "a.wav theirs.wav trim 1000s 4000s"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.theirs);
    const CliResult r = RunCli(c.ours, dir.Path().string());
    ASSERT_EQ(r.Code, 0) << r.Err;
    ASSERT_EQ(sox(c.theirs), 0);
    EXPECT_EQ(ReadBytes(dir.File("ours.wav")), ReadBytes(dir.File("theirs.wav")));
  }
}

}  // namespace
