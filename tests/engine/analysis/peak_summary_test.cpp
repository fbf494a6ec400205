#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "processing/amplitude_tools.h"
#include "state/progress.h"
#include "test_support.h"
#include "analysis/peak_summary.h"
#include "wave/wave_document.h"

namespace {

// What the summary must give: every frame of the run read on its own.
PeakRange DirectScan(const TWave& wave, bool right, int64_t begin, int64_t end) {
  if (begin >= end) return {};
  PeakRange range{2.0, -2.0};
  for (int64_t i = begin; i < end; ++i) {
    const double value = i < 0 ? 0.0 : wave.GetSample(static_cast<uint32_t>(i), right);
    range.Min = std::min(range.Min, value);
    range.Max = std::max(range.Max, value);
  }
  return range;
}

// Runs that start and end on and around block edges, inside, across and outside the sound.
void ExpectExact(const TWave& wave, const PeakSummary& peaks) {
  ASSERT_TRUE(peaks.Fits(wave));
  const int64_t frames = wave.SampleCount();
  for (int64_t begin : {int64_t{-300}, int64_t{-1}, int64_t{0}, int64_t{1}, int64_t{255}, int64_t{256},
                        int64_t{511}, int64_t{700}, frames - 1, frames}) {
    for (int64_t length : {0, 1, 2, 255, 256, 257, 600, 1500}) {
      for (bool right : {false, true}) {
        SCOPED_TRACE(testing::Message() << begin << " +" << length << (right ? " right" : " left"));
        const PeakRange expected = DirectScan(wave, right, begin, begin + length);
        const PeakRange got = peaks.Peak(wave, right, begin, begin + length);
        EXPECT_EQ(got.Min, expected.Min);
        EXPECT_EQ(got.Max, expected.Max);
      }
    }
  }
}

// 1000 frames of noise (not a whole number of blocks) in each layout, followed by a command on
// part of the sound and by a conversion.
TEST(PeakSummaryTest, AgreesWithADirectScan) {
  for (uint16_t bits : {8, 16}) {
    for (uint16_t channels : {1, 2}) {
      SCOPED_TRACE(testing::Message() << bits << " bits, " << channels << " channels");
      std::mt19937 random(bits * 10 + channels);
      std::vector<uint8_t> data(1000u * channels * bits / 8);
      for (uint8_t& byte : data) byte = static_cast<uint8_t>(random());
      TWave wave;
      wave.LoadFromImage("noise.wav", CanonicalWave(channels, 44100, bits, data));
      PeakSummary peaks;
      peaks.Build(wave);
      ExpectExact(wave, peaks);

      NoProgress quiet;
      const Selection part{300, 700, true, false};
      MuteSelection(wave, part, quiet);
      peaks.Update(wave, part.SelStart, part.SelEnd);
      ExpectExact(wave, peaks);

      if (bits == 8) {
        wave.ConvertTo16Bit();
      } else {
        wave.DoubleSampleRate();
      }
      EXPECT_FALSE(peaks.Fits(wave));
      peaks.Update(wave, 0, 0);
      ExpectExact(wave, peaks);
    }
  }
}

}  // namespace
