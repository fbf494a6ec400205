#include <gtest/gtest.h>

#include <sstream>

#include "cli_run.h"

namespace {

class CliAmplitude : public ::testing::Test {
 protected:
  void SetUp() override {
    source = dir.File("tone.wav");
    ASSERT_EQ(RunCommand("sox -r 8000 -n -b 16 -c 2 " + ShellQuoted(source) +
                         " synth 0.25 sine 440 sine 300 gain -9"),
              0);
  }
  TempDir dir;
  std::string source;
};

TEST_F(CliAmplitude, ReverseOfTheWholeSoundIsByteIdenticalToSox) {
  const std::string ours = dir.File("ours.wav");
  const std::string theirs = dir.File("sox.wav");
  const CliResult r = RunCli({"open", source, "reverse", "save", ours});
  ASSERT_EQ(r.Code, 0) << r.Err;
  ASSERT_EQ(RunCommand("sox " + ShellQuoted(source) + " " + ShellQuoted(theirs) + " reverse"), 0);
  EXPECT_EQ(ReadBytes(ours), ReadBytes(theirs));
}

TEST_F(CliAmplitude, NormalizeTo100ReachesFullScale) {
  const std::string ours = dir.File("ours.wav");
  ASSERT_EQ(RunCli({"open", source, "normalize", "100", "save", ours}).Code, 0);
  std::string stat;
  ASSERT_EQ(RunCommand("sox " + ShellQuoted(ours) + " -n stat", nullptr, &stat), 0);
  // 32767 / 32768, the largest positive 16-bit sample as sox reads it.
  EXPECT_NE(stat.find("Maximum amplitude:     0.999969"), std::string::npos) << stat;
}

TEST_F(CliAmplitude, CommandsWorkOnTheSelectedFramesAndChannelsOnly) {
  const CliResult r = RunCli({"open", source, "select", "1", "2", "channels", "right", "mute",
                              "samples", "0", "4"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  const CliResult before = RunCli({"open", source, "samples", "0", "4"});
  std::istringstream ours(r.Out), theirs(before.Out);
  for (int frame = 0; frame < 4; ++frame) {
    int n1, n2;
    double l1, r1, l2, r2;
    ours >> n1 >> l1 >> r1;
    theirs >> n2 >> l2 >> r2;
    EXPECT_EQ(l1, l2) << frame;
    if (frame == 1 || frame == 2) {
      EXPECT_NEAR(r1, 0.0, 1.0 / 65535) << frame;
    } else {
      EXPECT_EQ(r1, r2) << frame;
    }
  }
}

TEST_F(CliAmplitude, InvertTwiceAndFadesKeepTheFileFormat) {
  const std::string ours = dir.File("ours.wav");
  ASSERT_EQ(RunCli({"open", source, "invert", "invert", "save", ours}).Code, 0);
  EXPECT_EQ(ReadBytes(ours), ReadBytes(source));
  const CliResult r = RunCli({"open", source, "fade-in", "fade-out", "hanning", "remove-dc", "info"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "samplerate 8000\nbits 16\nchannels 2\nframes 2000\nduration 0.25\n");
}

TEST_F(CliAmplitude, NormalizeRefusesALevelTheSelectorCannotShow) {
  for (const char* level : {"101", "-1", "50.5", "abc", ""}) {
    const CliResult r = RunCli({"open", source, "normalize", level, "save", dir.File("never.wav")});
    EXPECT_EQ(r.Code, 64) << level;
    EXPECT_NE(r.Err.find("usage:"), std::string::npos) << level;
  }
  EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"tone.wav"});
}

TEST_F(CliAmplitude, NormalizingSilenceFailsAndStopsTheRun) {
  const std::vector<uint8_t> original = ReadBytes(source);
  const CliResult r = RunCli({"open", source, "select", "5000", "6000", "normalize", "50", "save", source});
  EXPECT_EQ(r.Code, 2);
  EXPECT_EQ(r.Err, "Floating point division by zero\n");
  EXPECT_EQ(ReadBytes(source), original);
}

}  // namespace
