#include <gtest/gtest.h>

#include <tuple>

#include "cli_run.h"

namespace {

std::string Info(unsigned rate, unsigned bits, unsigned channels, unsigned frames, const std::string& duration) {
  return "samplerate " + std::to_string(rate) + "\nbits " + std::to_string(bits) + "\nchannels " +
         std::to_string(channels) + "\nframes " + std::to_string(frames) + "\nduration " + duration + "\n";
}

TEST(CliInfo, ReportsTheFormatOfFilesWrittenBySoxWithTheLengthRoundedToTwoDecimals) {
  TempDir dir;
  struct Case {
    std::string soxFormat, length, expected;
  };
  // The rate goes before -n so that a length of "Ns" counts frames at that rate.
  const Case cases[] = {
      {"-r 22050 -n -b 16 -c 2", "0.5", Info(22050, 16, 2, 11025, "0.5")},
      // 1.2495 s rounds half-up to 1.25; a whole second shows without a decimal point.
      {"-r 8000 -n -b 8 -c 1", "9996s", Info(8000, 8, 1, 9996, "1.25")},
      {"-r 8000 -n -b 16 -c 1", "8000s", Info(8000, 16, 1, 8000, "1")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.soxFormat + " " + c.length);
    const std::string path = dir.File("sox.wav");
    ASSERT_EQ(RunCommand("sox " + c.soxFormat + " " + ShellQuoted(path) + " synth " + c.length + " sine 440"), 0);
    const CliResult r = RunCli({"open", path, "info"});
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out, c.expected);
    EXPECT_EQ(r.Err, "");
  }
}

TEST(CliSamples, PrintsTheExactValuesOfA16BitStereoFileAndZeroPastTheEnds) {
  TempDir dir;
  const std::string path = dir.File("s16.wav");
  WriteBytes(path, CanonicalWave(2, 44100, 16, Words({-32768, 32767, 0, -1, 1, -2})));

  CliResult r = RunCli({"open", path, "samples", "0", "4"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out,
            "0 -1 1\n"
            "1 1.5259021896696422e-05 -1.5259021896696422e-05\n"
            "2 4.5777065690089265e-05 -4.5777065690089265e-05\n"
            "3 0 0\n");

  // A negative start reaches the engine as a frame far past the end.
  r = RunCli({"open", path, "samples", "-2", "3", "samples", "2147483647", "1", "samples", "1", "0"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "-2 0 0\n-1 0 0\n0 -1 1\n2147483647 0 0\n");
}

TEST(CliSamples, AMonoSoundPrintsItsOneChannelInBothColumns) {
  TempDir dir;
  const std::string path = dir.File("u8.wav");
  WriteBytes(path, CanonicalWave(1, 8000, 8, {0, 255, 128}));
  const CliResult r = RunCli({"open", path, "samples", "0", "4"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "0 -1 -1\n1 1 1\n2 0.0039215686274509803 0.0039215686274509803\n3 0 0\n");
}

TEST(CliSamples, RefusesCountsAndStartsThatAreNotCountsWithoutRunningLaterCommands) {
  TempDir dir;
  const std::string path = dir.File("u8.wav");
  WriteBytes(path, CanonicalWave(1, 8000, 8, {0, 255}));
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"samples", "0", "-1"}, "'-1'"},
      {{"samples", "1.5", "2"}, "'1.5' is not a valid integer value"},
      {{"samples", "0", "2147483648"}, "'2147483648' is not a valid integer value"},
  };
  for (const auto& [command, message] : cases) {
    std::vector<std::string> args = {"open", path};
    args.insert(args.end(), command.begin(), command.end());
    args.push_back("info");
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.Code, 2) << command[1] << " " << command[2];
    EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out, "");
  }
}

TEST(CliNew, NewSaveAndOpenAgainRoundTripThroughTheFileAlone) {
  TempDir dir;
  const std::string expectedInfo = Info(11025, 8, 1, 5512, "0.5");

  CliResult r = RunCli({"new", "0.5", "reload", "save", "made.wav", "info"}, dir.Path());
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, expectedInfo);
  EXPECT_EQ(ReadBytes(dir.File("made.wav")), CanonicalWave(1, 11025, 8, std::vector<uint8_t>(5512, 128)));
  // The name `new` gives the sound never reaches the disk, not even through reload.
  EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"made.wav"});

  r = RunCli({"open", dir.File("made.wav"), "info", "samples", "5511", "2"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, expectedInfo + "5511 0.0039215686274509803 0.0039215686274509803\n5512 0 0\n");
}

TEST(CliOpen, AMissingFileGivesAnEmptySoundAndStaysMissing) {
  TempDir dir;
  const CliResult r = RunCli({"open", dir.File("missing.wav"), "reload", "info", "samples", "0", "1"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, Info(11025, 8, 1, 0, "0") + "0 0 0\n");
  EXPECT_TRUE(FolderNames(dir.Path()).empty());
}

TEST(CliOpen, AFileThatEndsEarlyOpensAndSaysSoOnStandardError) {
  TempDir dir;
  std::vector<uint8_t> bytes = CanonicalWave(1, 8000, 8, std::vector<uint8_t>(4560, 128));
  bytes[40] = 0x80, bytes[41] = 0xA9, bytes[42] = 0x03;  // 240000 bytes promised, 30 s
  WriteBytes(dir.File("short.wav"), bytes);
  for (const std::vector<std::string>& tail : {std::vector<std::string>{}, std::vector<std::string>{"select", "0", "9", "crop"}}) {
    std::vector<std::string> run{"open", dir.File("short.wav")};
    run.insert(run.end(), tail.begin(), tail.end());
    const CliResult r = RunCli(run);
    EXPECT_EQ(std::tie(r.Code, r.Err), std::make_tuple(0, "short.wav ends early: the header promises 30.00 s, 0.57 s are present.\n"));
  }
}

TEST(CliSelection, SelectAndChannelsTakeWhatTheWindowAcceptsOnMonoAndStereo) {
  TempDir dir;
  WriteBytes(dir.File("mono.wav"), CanonicalWave(1, 8000, 8, {1, 2, 3}));
  WriteBytes(dir.File("stereo.wav"), CanonicalWave(2, 8000, 16, Words({1, 2, 3, 4})));
  for (const char* name : {"mono.wav", "stereo.wav"}) {
    SCOPED_TRACE(name);
    // Taken as given: reversed and far outside the sound.
    const CliResult r = RunCli({"open", dir.File(name), "select", "5", "-2147483648", "channels", "right",
                                "channels", "left", "channels", "both", "select-all", "select", " 7", "+1"});
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
  }
  const CliResult r = RunCli({"open", dir.File("mono.wav"), "select", "0", "1e3", "info"});
  EXPECT_EQ(r.Code, 2);
  EXPECT_EQ(r.Err, "'1e3' is not a valid integer value\n");
  EXPECT_EQ(r.Out, "");
}

}  // namespace
