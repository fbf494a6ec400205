#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "views/loudness.h"
#include "test_support.h"
#include "wave/wave_document.h"

namespace {

constexpr double kUnchecked = std::numeric_limits<double>::quiet_NaN();

// The stereo 1 kHz test signals of EBU Tech 3341 (integrated loudness, ±0.1 LU) and Tech 3342
// (loudness range, ±1 LU) at 48 kHz.
TEST(Loudness, ConformanceSignalsMeasureAsTheStandardsSay) {
  const struct {
    const char* name;
    std::vector<ToneSegment> segments;
    double integrated, range, samplePeak;
  } cases[] = {
      {"3341 case 1", {{20, -23}}, -23, kUnchecked, -23},
      {"3341 case 2", {{20, -33}}, -33, kUnchecked, kUnchecked},
      {"3341 case 3", {{10, -36}, {60, -23}, {10, -36}}, -23, kUnchecked, kUnchecked},
      {"3341 case 4", {{10, -72}, {10, -36}, {60, -23}, {10, -36}, {10, -72}}, -23, kUnchecked, kUnchecked},
      {"3341 case 5", {{20, -26}, {20.1, -20}, {20, -26}}, -23, kUnchecked, kUnchecked},
      {"3342 case 1", {{20, -20}, {20, -30}}, kUnchecked, 10, kUnchecked},
      {"3342 case 2", {{20, -20}, {20, -15}}, kUnchecked, 5, kUnchecked},
      {"3342 case 3", {{20, -40}, {20, -20}}, kUnchecked, 20, kUnchecked},
      {"3342 case 4", {{20, -50}, {20, -35}, {20, -20}, {20, -35}, {20, -50}}, kUnchecked, 15, kUnchecked},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TWave wave;
    wave.LoadFromImage("tone.wav", ToneWave(2, 48000, 16, 1000, c.segments));
    NoProgress gauge;
    const LoudnessFigures figures = MeasureLoudness(wave, gauge);
    const auto expect = [](double measured, double expected, double tolerance) {
      if (!std::isnan(expected)) {
        EXPECT_NEAR(measured, expected, tolerance);
      }
    };
    expect(figures.Integrated, c.integrated, 0.1);
    expect(figures.Range, c.range, 1);
    expect(figures.SamplePeak, c.samplePeak, 0.05);
    // A 1 kHz sine at 48 kHz has its true peak on the samples, near enough.
    expect(figures.TruePeak, c.samplePeak, 0.05);
  }
}

}  // namespace
