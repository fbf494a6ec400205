#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/loudness.h"
#include "test_support.h"
#include "wave/wave_document.h"

namespace {

// The stereo 1 kHz test signals of EBU Tech 3341 (integrated loudness, ±0.1 LU) and Tech 3342
// (loudness range, ±1 LU) at 48 kHz. A 1 kHz sine's peaks lie on its samples, near enough: both
// peaks are the loudest segment's level.
TEST(Loudness, ConformanceSignalsMeasureAsTheStandardsSay) {
  const double none = NAN;
  const struct {
    const char* name;
    std::vector<ToneSegment> segments;
    double integrated, range;
  } cases[] = {
      {"3341 case 1", {{20, -23}}, -23, none},
      {"3341 case 2", {{20, -33}}, -33, none},
      {"3341 case 3", {{10, -36}, {60, -23}, {10, -36}}, -23, none},
      {"3341 case 4", {{10, -72}, {10, -36}, {60, -23}, {10, -36}, {10, -72}}, -23, none},
      {"3341 case 5", {{20, -26}, {20.1, -20}, {20, -26}}, -23, none},
      {"3342 case 1", {{20, -20}, {20, -30}}, none, 10},
      {"3342 case 2", {{20, -20}, {20, -15}}, none, 5},
      {"3342 case 3", {{20, -40}, {20, -20}}, none, 20},
      {"3342 case 4", {{20, -50}, {20, -35}, {20, -20}, {20, -35}, {20, -50}}, none, 15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TWave wave;
    wave.LoadFromImage("tone.wav", ToneWave(2, 48000, 1000, c.segments));
    NoProgress gauge;
    const LoudnessFigures figures = MeasureLoudness(wave, gauge);
    if (!std::isnan(c.integrated)) {
      EXPECT_NEAR(figures.Integrated, c.integrated, 0.1);
    } else {
      EXPECT_NEAR(figures.Range, c.range, 1);
    }
    const double loudest = std::ranges::max(c.segments, {}, &ToneSegment::Dbfs).Dbfs;
    EXPECT_NEAR(figures.SamplePeak, loudest, 0.05);
    EXPECT_NEAR(figures.TruePeak, loudest, 0.05);
  }
}

}  // namespace
