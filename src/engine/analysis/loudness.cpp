#include "analysis/loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

#include "processing/centered_frames.h"
#include "processing/errors.h"
#include "processing/non_numbers.h"
#include "wave/wave_document.h"

namespace {

// Frames handed to the meter at once: large enough that a call costs nothing beside its work,
// small enough to stay in the cache. A multiple of 100, where the gauge moves.
constexpr int64_t kMeterFrames = 4800;

struct MeterDeleter {
  void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using Meter = std::unique_ptr<ebur128_state, MeterDeleter>;

double Decibels(double amplitude) {
  return amplitude > 0.0 ? 20.0 * std::log10(amplitude) : -std::numeric_limits<double>::infinity();
}

// The loudest of the channels' peaks that `peak(state, channel, &value)` reads.
template <class Read>
double LoudestPeak(ebur128_state* meter, int channels, Read&& peak) {
  double loudest = 0.0;
  for (int c = 0; c < channels; ++c) {
    double value = 0.0;
    if (peak(meter, static_cast<unsigned>(c), &value) == EBUR128_SUCCESS) loudest = std::max(loudest, value);
  }
  return loudest;
}

}  // namespace

LoudnessFigures MeasureLoudness(TWave& wave, Progress& progress, PassShare share) {
  RefuseNonNumbers(wave, "measure the loudness");
  const CenteredScale scale = CenteredScaleOf(wave);
  Meter meter(ebur128_init(static_cast<unsigned>(scale.Channels), wave.SampleRate(),
                           EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK));
  if (!meter)
    throw CommandError("The loudness of a sound at " + std::to_string(wave.SampleRate()) + " Hz cannot be measured");
  const int64_t frames = wave.SampleCount();
  std::vector<double> block(static_cast<size_t>(kMeterFrames * scale.Channels));
  WalkGauge gauge(progress, 0, frames - 1, share);
  for (int64_t begin = 0; begin < frames; begin += kMeterFrames) {
    gauge.At(begin);
    const int64_t count = std::min(kMeterFrames, frames - begin);
    ReadCenteredFrames(wave, scale, begin, count, block.data());
    if (ebur128_add_frames_double(meter.get(), block.data(), static_cast<size_t>(count)) != EBUR128_SUCCESS)
      throw std::runtime_error("Out of memory while measuring the loudness");
  }
  LoudnessFigures figures;
  double integrated = -HUGE_VAL;
  ebur128_loudness_global(meter.get(), &integrated);
  figures.Integrated = std::isfinite(integrated) ? integrated : -std::numeric_limits<double>::infinity();
  double range = 0.0;
  ebur128_loudness_range(meter.get(), &range);
  // Where no block passed the gates there is no range to speak of.
  figures.Range = std::isfinite(figures.Integrated) ? range : -std::numeric_limits<double>::infinity();
  figures.SamplePeak = Decibels(LoudestPeak(meter.get(), scale.Channels, ebur128_sample_peak));
  // The true peak is never below the sample peak, whatever the interpolation rounds to.
  figures.TruePeak =
      std::max(figures.SamplePeak, Decibels(LoudestPeak(meter.get(), scale.Channels, ebur128_true_peak)));
  // A measurement of its own ends as every routine ends, the gauge back at 0.
  if (share == PassShare::Whole) progress.SetProgress(0);
  return figures;
}

std::string LoudnessReport(const LoudnessFigures& figures) {
  return "integrated " + DecibelText(figures.Integrated) + "\nrange " + DecibelText(figures.Range) +
         "\nsample-peak " + DecibelText(figures.SamplePeak) + "\ntrue-peak " + DecibelText(figures.TruePeak) +
         "\n";
}

LoudnessGain NormalizeLoudness(TWave& wave, Progress& progress, const std::string& targetText,
                               const std::string& ceilingText) {
  const LoudnessGoal goal = ParseLoudnessGoal(targetText, ceilingText);
  RefuseNonNumbers(wave, "normalize the loudness");
  const LoudnessFigures figures = MeasureLoudness(wave, progress, PassShare::FirstHalf);
  const LoudnessGain gain = PlanLoudnessGain(figures.Integrated, figures.TruePeak, goal);
  ApplyLoudnessGain(wave, progress, PassShare::SecondHalf, gain.GainDb);
  return gain;
}
