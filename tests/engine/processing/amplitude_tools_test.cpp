#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "processing/amplitude_tools.h"
#include "processing/errors.h"
#include "test_support.h"
#include "wave/wave_document.h"

namespace {

// Keeps every value the gauge is given.
class RecordingProgress final : public Progress {
 public:
  void SetProgress(int percent) override { Values.push_back(percent); }
  std::vector<int> Values;
};

class AmplitudeToolsTest : public ::testing::Test {
 protected:
  // A 16-bit sound, stereo when `right` is given.
  void Load16(const std::vector<int16_t>& left, const std::vector<int16_t>& right = {}) {
    wave.LoadFromImage("w.wav", Wave16(left, right));
  }
  void Load8(const std::vector<uint8_t>& samples) {
    wave.LoadFromImage("w.wav", CanonicalWave(1, 11025, 8, samples));
  }
  // The 16-bit codes of one channel.
  std::vector<int> Codes(bool right = false) const {
    std::vector<int> codes;
    for (uint32_t i = 0; i < wave.SampleCount(); ++i)
      codes.push_back(static_cast<int>(std::lround((wave.GetSample(i, right) * 65535 - 1) / 2)));
    return codes;
  }
  std::vector<uint8_t> Data() const { return {wave.Image().begin() + 44, wave.Image().end()}; }
  // The bytes of one channel of a 16-bit stereo sound.
  std::vector<uint8_t> ChannelBytes(bool right) const {
    std::vector<uint8_t> bytes;
    const std::vector<uint8_t> data = Data();
    for (size_t i = right ? 2 : 0; i + 1 < data.size(); i += 4) {
      bytes.push_back(data[i]);
      bytes.push_back(data[i + 1]);
    }
    return bytes;
  }
  Selection All(bool left = true, bool right = false) const {
    return {0, static_cast<int32_t>(wave.SampleCount()) - 1, left, right};
  }

  TWave wave;
  NoProgress none;
};

TEST_F(AmplitudeToolsTest, InvertIsExactAndUndoesItselfOnBothResolutions) {
  Load16({-32768, -1, 0, 1, 12345, 32767});
  ApplyWindow(wave, All(), none, WindowKind::Invert);
  EXPECT_EQ(Codes(), (std::vector<int>{32767, 0, -1, -2, -12346, -32768}));
  ApplyWindow(wave, All(), none, WindowKind::Invert);
  EXPECT_EQ(Codes(), (std::vector<int>{-32768, -1, 0, 1, 12345, 32767}));

  std::vector<uint8_t> bytes(256);
  for (int b = 0; b < 256; ++b) bytes[b] = static_cast<uint8_t>(b);
  Load8(bytes);
  ApplyWindow(wave, All(), none, WindowKind::Invert);
  for (int b = 0; b < 256; ++b) ASSERT_EQ(Data()[b], 255 - b) << "byte " << b;
  ApplyWindow(wave, All(), none, WindowKind::Invert);
  EXPECT_EQ(Data(), bytes);
}

TEST_F(AmplitudeToolsTest, ReverseSwapsPairsAndKeepsTheMiddleFrame) {
  Load16({1, 2, 3, 4, 5});
  RecordingProgress progress;
  ReverseSelection(wave, {1, 2, true, false}, progress);
  EXPECT_EQ(Codes(), (std::vector<int>{1, 3, 2, 4, 5}));
  // One pair leaves no share to show: the gauge is only set back to 0.
  EXPECT_EQ(progress.Values, std::vector<int>{0});

  progress.Values.clear();
  ReverseSelection(wave, {1, 3, true, false}, progress);
  EXPECT_EQ(Codes(), (std::vector<int>{1, 4, 2, 3, 5}));
  EXPECT_EQ(progress.Values, std::vector<int>{0});

  ReverseSelection(wave, All(), none);
  EXPECT_EQ(Codes(), (std::vector<int>{5, 3, 2, 4, 1}));
}

TEST_F(AmplitudeToolsTest, ReversePastTheEndMovesSilenceIn) {
  Load16({1, 2, 3});
  // The frame one past the end reads 0 and cannot be written.
  ReverseSelection(wave, {1, 3, true, false}, none);
  EXPECT_EQ(Codes(), (std::vector<int>{1, 0, 3}));
}

TEST_F(AmplitudeToolsTest, MuteWritesTheMiddleLevel) {
  Load8({0, 7, 255, 200});
  MuteSelection(wave, {1, 2, true, false}, none);
  EXPECT_EQ(Data(), (std::vector<uint8_t>{0, 128, 128, 200}));

  Load16({100, 200}, {-100, -200});
  MuteSelection(wave, All(true, true), none);
  EXPECT_EQ(Data(), std::vector<uint8_t>(8, 0));
}

TEST_F(AmplitudeToolsTest, NormalizeToFullScaleOfTheMostNegativeSampleChangesNothing) {
  Load16({-32768, 5, -7, 32000});
  const std::vector<uint8_t> before = Data();
  NormalizeSelection(wave, All(), none, 100);
  EXPECT_EQ(Data(), before);
}

TEST_F(AmplitudeToolsTest, NormalizeRefusesALevelOutside0To100BeforeAnyChange) {
  Load16({100, -200});
  const std::vector<uint8_t> before = Data();
  RecordingProgress progress;
  for (int level : {-1, 101, INT_MIN})
    EXPECT_THROW(NormalizeSelection(wave, All(), progress, level), InputRefused) << level;
  EXPECT_TRUE(progress.Values.empty());
  EXPECT_EQ(Data(), before);
}

TEST_F(AmplitudeToolsTest, NormalizeUsesOneGainForBothChannels) {
  // Left peaks at half scale, right at a quarter: both double, so the balance stays.
  Load16({16383, -16384}, {-8192, 8191});
  NormalizeSelection(wave, All(true, true), none, 100);
  EXPECT_EQ(Codes(false), (std::vector<int>{32767, -32768}));
  EXPECT_EQ(Codes(true), (std::vector<int>{-16384, 16383}));

  NormalizeSelection(wave, All(true, true), none, 0);
  EXPECT_EQ(Codes(false), (std::vector<int>{0, 0}));
}

TEST_F(AmplitudeToolsTest, NormalizingSilenceFailsAfterTheFirstPassAndChangesNothing) {
  Load16(std::vector<int16_t>(300, 300), std::vector<int16_t>(300, 300));
  const std::vector<uint8_t> before = Data();
  // Frames past the end read 0, and so does a selection with no channel taking part.
  const Selection pastTheEnd{400, 1000, true, true};
  const Selection noChannel{0, 299, false, false};
  for (const Selection& silent : {pastTheEnd, noChannel}) {
    RecordingProgress progress;
    try {
      NormalizeSelection(wave, silent, progress, 80);
      ADD_FAILURE() << "no error";
    } catch (const CommandError& error) {
      EXPECT_STREQ(error.what(), "Floating point division by zero");
    }
    // The gauge keeps the last share of the first pass.
    ASSERT_FALSE(progress.Values.empty());
    EXPECT_NE(progress.Values.back(), 0);
    EXPECT_LE(progress.Values.back(), 50);
  }
  try {
    NormalizeSelection(wave, pastTheEnd, none, 0);
    ADD_FAILURE() << "no error";
  } catch (const CommandError& error) {
    EXPECT_STREQ(error.what(), "Invalid floating point operation");
  }
  EXPECT_EQ(Data(), before);
}

TEST_F(AmplitudeToolsTest, RemoveDCCountsAFrameOnePastTheEndInItsMean) {
  // Left is 1000 throughout, right 3000; the selection takes one silent frame past the end.
  Load16({1000, 1000, 1000, 1000}, {3000, 3000, 3000, 3000});
  RemoveDCOffset(wave, {0, 4, true, true}, none);
  // value − 4/5 value = value / 5, each channel with its own mean.
  EXPECT_EQ(Codes(false), (std::vector<int>{200, 200, 200, 200}));
  EXPECT_EQ(Codes(true), (std::vector<int>{600, 600, 600, 600}));
}

TEST_F(AmplitudeToolsTest, FadesAreTheSmoothCubicRampAndHanningIsSineSquared) {
  // t = 0, 1/4, 1/2, 3/4, 1 over frames 1..5; frames 0 and 6 lie outside the selection.
  const std::vector<int16_t> level(7, 10000);
  const Selection sel{1, 5, true, false};
  Load16(level);
  ApplyWindow(wave, sel, none, WindowKind::FadeIn);
  EXPECT_EQ(Codes(), (std::vector<int>{10000, 0, 1562, 5000, 8437, 10000, 10000}));
  Load16(level);
  ApplyWindow(wave, sel, none, WindowKind::FadeOut);
  EXPECT_EQ(Codes(), (std::vector<int>{10000, 10000, 8437, 5000, 1562, 0, 10000}));
  Load16(level);
  ApplyWindow(wave, sel, none, WindowKind::Hanning);
  EXPECT_EQ(Codes(), (std::vector<int>{10000, 0, 5000, 10000, 5000, 0, 10000}));
}

TEST_F(AmplitudeToolsTest, AOneFrameWindowKeepsItsFrameAndInvertStillInverts) {
  Load16({1234});
  for (WindowKind kind : {WindowKind::FadeIn, WindowKind::FadeOut, WindowKind::Hanning}) {
    ApplyWindow(wave, All(), none, kind);
    EXPECT_EQ(Codes(), std::vector<int>{1234}) << static_cast<int>(kind);
  }
  ApplyWindow(wave, All(), none, WindowKind::Invert);
  EXPECT_EQ(Codes(), std::vector<int>{-1235});
}

TEST_F(AmplitudeToolsTest, AChannelLeftOutKeepsEveryByte) {
  std::vector<int16_t> lefts, rights;
  for (int i = 0; i < 300; ++i) {
    lefts.push_back(static_cast<int16_t>(i * 97 - 14000));
    rights.push_back(static_cast<int16_t>(9000 - i * 61));
  }
  const std::vector<std::function<void(const Selection&)>> routines = {
      [&](const Selection& s) { MuteSelection(wave, s, none); },
      [&](const Selection& s) { NormalizeSelection(wave, s, none, 70); },
      [&](const Selection& s) { RemoveDCOffset(wave, s, none); },
      [&](const Selection& s) { ApplyWindow(wave, s, none, WindowKind::FadeIn); },
      [&](const Selection& s) { ApplyWindow(wave, s, none, WindowKind::Hanning); },
      [&](const Selection& s) { ApplyWindow(wave, s, none, WindowKind::Invert); },
      [&](const Selection& s) { ReverseSelection(wave, s, none); },
  };
  for (size_t r = 0; r < routines.size(); ++r) {
    for (const bool right : {false, true}) {
      Load16(lefts, rights);
      const std::vector<uint8_t> kept = ChannelBytes(!right);
      const std::vector<uint8_t> worked = ChannelBytes(right);
      routines[r]({20, 250, !right, right});
      EXPECT_EQ(ChannelBytes(!right), kept) << "routine " << r << (right ? " right" : " left");
      EXPECT_NE(ChannelBytes(right), worked) << "routine " << r << (right ? " right" : " left");
    }
  }
}

TEST_F(AmplitudeToolsTest, ASelectionWithoutFramesChangesNothing) {
  Load16({5, 6, 7});
  const std::vector<uint8_t> before = Data();
  const Selection empty{2, 1, true, false};
  MuteSelection(wave, empty, none);
  RemoveDCOffset(wave, empty, none);
  ApplyWindow(wave, empty, none, WindowKind::Invert);
  ReverseSelection(wave, empty, none);
  EXPECT_EQ(Data(), before);
}

TEST_F(AmplitudeToolsTest, TwoPassProgressOverAThousandFrames) {
  Load16(std::vector<int16_t>(1000, 50));
  RecordingProgress progress;
  RemoveDCOffset(wave, All(), progress);
  EXPECT_EQ(progress.Values, (std::vector<int>{0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60,
                                                65, 70, 75, 80, 85, 90, 95, 0}));
}

TEST_F(AmplitudeToolsTest, ProgressComesAtWholeHundredsOfFramesAndRoundsHalvesToEven) {
  Load16(std::vector<int16_t>(1000, 50));
  RecordingProgress progress;
  // Frames 100, 200, ... of the sound, not of the selection: 50/800 of the way is 6.25 %.
  MuteSelection(wave, {50, 850, true, false}, progress);
  EXPECT_EQ(progress.Values, (std::vector<int>{6, 19, 31, 44, 56, 69, 81, 94, 0}));

  progress.Values.clear();
  // 12.5 and 62.5 go to the even neighbours, 37.5 and 87.5 up.
  ApplyWindow(wave, {0, 800, true, false}, progress, WindowKind::Invert);
  EXPECT_EQ(progress.Values, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 100, 0}));
}

}  // namespace
