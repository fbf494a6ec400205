#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_run.h"

namespace {

// The sources are made by sox, so every result below is read by a program that did not write
// it. Frame counts are even: halving an odd count leaves half a frame of silence at the end.
class CliFormat : public ::testing::Test {
 protected:
  // A tone of `frames` frames; the rate goes with sox's null input, so that sox does not
  // resample the tone to it.
  std::string Tone(const std::string& name, int rate, int bits, int channels, int frames) {
    const std::string path = dir.File(name);
    EXPECT_EQ(RunCommand("sox -r " + std::to_string(rate) + " -n -b " + std::to_string(bits) +
                         " -c " + std::to_string(channels) + " " + ShellQuoted(path) + " synth " +
                         std::to_string(frames) + "s sine 440 sine 300 gain -9"),
              0);
    return path;
  }

  static std::string SoxInfo(const std::string& option, const std::string& path) {
    std::string out;
    EXPECT_EQ(RunCommand("sox --i " + option + " " + ShellQuoted(path), &out), 0);
    return out;
  }

  static std::vector<uint8_t> Data(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return bytes.size() < 44 ? std::vector<uint8_t>{}
                             : std::vector<uint8_t>(bytes.begin() + 44, bytes.end());
  }

  TempDir dir;
};

TEST_F(CliFormat, SoxReadsTheFormatLengthAndSamplesOfEveryConversion) {
  const std::string stereo16 = Tone("stereo16.wav", 22050, 16, 2, 2000);
  const std::string stereo16At88k = Tone("stereo16_88k.wav", 88200, 16, 2, 2000);
  const std::string mono8 = Tone("mono8.wav", 11025, 8, 1, 1000);
  const std::string cd = Tone("cd.wav", 44100, 16, 2, 2000);
  struct Case {
    std::string Command, Source;
    int Rate, Bits, Channels, Frames;
  };
  const std::vector<Case> cases = {
      {"double-rate", stereo16, 44100, 16, 2, 3998},
      {"halve-rate", stereo16, 11025, 16, 2, 1000},
      {"to-8bit", stereo16, 22050, 8, 2, 2000},
      {"to-mono", stereo16, 22050, 16, 1, 2000},
      {"to-16bit", mono8, 11025, 16, 1, 1000},
      {"to-stereo", mono8, 11025, 8, 2, 1000},
      {"cd-format", mono8, 44100, 16, 2, 3994},  // doubled twice: 1000, 1998, 3994
      {"cd-format", stereo16At88k, 44100, 16, 2, 1000},
      // A format already at hand.
      {"to-mono", mono8, 11025, 8, 1, 1000},
      {"cd-format", cd, 44100, 16, 2, 2000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Command + " of " + std::filesystem::path(c.Source).filename().string());
    const std::string out = dir.File("out.wav");
    const std::string raw = dir.File("out.raw");
    const CliResult r = RunCli({"open", c.Source, c.Command, "save", out});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(SoxInfo("-r", out), std::to_string(c.Rate) + "\n");
    EXPECT_EQ(SoxInfo("-b", out), std::to_string(c.Bits) + "\n");
    EXPECT_EQ(SoxInfo("-c", out), std::to_string(c.Channels) + "\n");
    EXPECT_EQ(SoxInfo("-s", out), std::to_string(c.Frames) + "\n");
    // Raw output keeps the file's own encoding, so sox's samples are comparable byte for byte.
    ASSERT_EQ(RunCommand("sox " + ShellQuoted(out) + " -t raw " + ShellQuoted(raw)), 0);
    const std::vector<uint8_t> data = Data(out);
    EXPECT_EQ(data.size(), static_cast<size_t>(c.Frames * c.Channels * c.Bits / 8));
    EXPECT_EQ(ReadBytes(raw), data);
  }
}

TEST_F(CliFormat, TwoEqualChannelsMixBackIntoTheMonoSoxStartedFrom) {
  for (int bits : {16, 8}) {
    SCOPED_TRACE(bits);
    const std::string mono = Tone("mono.wav", 22050, bits, 1, 1000);
    const std::string doubled = dir.File("doubled.wav");
    const std::string mixed = dir.File("mixed.wav");
    ASSERT_EQ(RunCommand("sox " + ShellQuoted(mono) + " " + ShellQuoted(doubled) + " remix 1 1"),
              0);
    ASSERT_EQ(SoxInfo("-c", doubled), "2\n");
    ASSERT_EQ(RunCli({"open", doubled, "to-mono", "save", mixed}).Code, 0);
    EXPECT_EQ(ReadBytes(mixed), ReadBytes(mono));
  }
}

TEST_F(CliFormat, CDFormatRefusesARateThatIsNoPowerOfTwoFrom44100AndTheSaveDoesNotRun) {
  const std::string source = Tone("dat.wav", 48000, 16, 2, 2000);
  const std::string out = dir.File("out.wav");
  const CliResult r = RunCli({"open", source, "cd-format", "save", out});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Err,
            "Incompatible samplerate; use SoundRec to convert manually to 44 kHz 16 bit stereo PCM "
            "wave.\n");
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
