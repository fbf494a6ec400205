#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
  std::string Tone(const std::string& name, int rate, int bits, int channels, int frames, bool floats = false) {
    const std::string path = dir.File(name);
    EXPECT_EQ(RunCommand("sox -r " + std::to_string(rate) + " -n -b " + std::to_string(bits) +
                         (floats ? " -e floating-point" : "") +
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
  const std::string stereo24 = Tone("stereo24.wav", 48000, 24, 2, 2000);
  const std::string monoFloat = Tone("monofloat.wav", 22050, 32, 1, 1000, true);
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
      {"to-24bit", stereo16, 22050, 24, 2, 2000},
      {"to-float", mono8, 11025, 32, 1, 1000},
      {"to-16bit", stereo24, 48000, 16, 2, 2000},
      {"cd-format", monoFloat, 44100, 16, 2, 1998},
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
    // sox takes floats through 32-bit integers, which keep them only to 2^-31.
    if (c.Command != "to-float") {
      EXPECT_EQ(ReadBytes(raw), data);
    }
  }
}

// 24-bit and float sounds against sox doing the same job: reverse (and invert of floats) to the
// byte, the rest within one code of the result's resolution (1e-6 of full scale for floats).
// Our filter is sox's biquad with the same coefficients. sox's normalizing gain itself lies a few
// parts in 10^7 from the exact one (3 codes near full scale of a 24-bit tone).
TEST_F(CliFormat, WiderSoundsAgreeWithSox) {
  struct Case {
    std::vector<std::string> Ours;
    std::string SoxOutput, SoxEffect;
    int Bits;  // of the result; 0: the source's
    int Codes = 1;
  };
  const std::vector<Case> cases = {
      {{}, "", "", 0},
      {{"reverse"}, "", "reverse", 0},
      {{"invert"}, "", "vol -1", 0},
      {{"normalize", "100"}, "", "gain -n", 0, 4},
      {{"iir", "0.2", "0.1", "0.7"}, "", "biquad 0.2 0.1 0 1 -0.7 0", 0},
      {{"to-16bit"}, "-D -b 16", "", 16},
  };
  const auto raw = [&](const std::string& path, const std::string& options) {
    EXPECT_EQ(RunCommand("sox " + ShellQuoted(path) + " -t raw " + options + " " + ShellQuoted(dir.File("x.raw"))), 0);
    return ReadBytes(dir.File("x.raw"));
  };
  for (const bool floats : {false, true}) {
    const std::string source = Tone(floats ? "float.wav" : "24.wav", 48000, floats ? 32 : 24, 2, 4000, floats);
    EXPECT_EQ(RunCli({"open", source, "info"}).Out, std::string("samplerate 48000\nbits ") +
                                                        (floats ? "32\nformat float\n" : "24\n") +
                                                        "channels 2\nframes 4000\nduration 0.08\n");
    for (const Case& c : cases) {
      SCOPED_TRACE((floats ? "float " : "24-bit ") + (c.Ours.empty() ? "open and save" : c.Ours[0]));
      const std::string ours = dir.File("ours.wav"), theirs = dir.File("theirs.wav");
      std::vector<std::string> args = {"open", source};
      args.insert(args.end(), c.Ours.begin(), c.Ours.end());
      args.insert(args.end(), {"save", ours});
      ASSERT_EQ(RunCli(args).Code, 0);
      ASSERT_EQ(RunCommand("sox " + ShellQuoted(source) + " " + c.SoxOutput + " " + ShellQuoted(theirs) + " " + c.SoxEffect), 0);
      const int bits = c.Bits != 0 ? c.Bits : floats ? 32 : 24;
      const bool exact = c.Ours.empty() || c.Ours[0] == "reverse" || (floats && c.Ours[0] == "invert");
      if (exact) {
        EXPECT_EQ(raw(ours, ""), raw(theirs, ""));
        continue;
      }
      // Both read as 32-bit integers, a float as sox scales it.
      const std::vector<uint8_t> a = raw(ours, "-e signed -b 32"), b = raw(theirs, "-e signed -b 32");
      ASSERT_EQ(a.size(), b.size());
      const int64_t tolerance = floats && bits == 32 ? 2148 : c.Codes * (int64_t{1} << (32 - bits));
      int64_t most = 0;
      for (size_t i = 0; i + 4 <= a.size(); i += 4) {
        int32_t x, y;
        std::memcpy(&x, &a[i], 4);
        std::memcpy(&y, &b[i], 4);
        most = std::max<int64_t>(most, std::abs(int64_t{x} - y));
      }
      EXPECT_LE(most, tolerance);
    }
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
