#include "processing/centered_frames.h"

#include <algorithm>
#include <limits>

#include "wave/wave_document.h"

CenteredScale CenteredScaleOf(TWave& wave) {
  return wave.WithSamples([&](auto samples) {
    using Samples = decltype(samples);
    CenteredScale scale{.Channels = Samples::kChannels, .Middle = samples.ValueOf(Samples::kSilence)};
    if constexpr (Samples::kKind == SampleKind::Float) {
      // Nothing wraps or clips inside a float sound.
      scale.Low = -std::numeric_limits<double>::infinity();
      scale.High = std::numeric_limits<double>::infinity();
    } else {
      scale.Low = samples.ValueOf(Samples::kLowest);
      scale.High = samples.ValueOf(Samples::kHighest);
    }
    return scale;
  });
}

void ReadCenteredFrames(const TWave& wave, const CenteredScale& scale, int64_t begin, int64_t count, double* out) {
  for (int64_t i = 0; i < count; ++i) {
    const auto frame = static_cast<uint32_t>(begin + i);
    for (int c = 0; c < scale.Channels; ++c) *out++ = wave.GetSample(frame, c == 1) - scale.Middle;
  }
}

void WriteCenteredFrames(TWave& wave, const CenteredScale& scale, int64_t begin, int64_t count, const double* in) {
  for (int64_t i = 0; i < count; ++i) {
    const auto frame = static_cast<uint32_t>(begin + i);
    for (int c = 0; c < scale.Channels; ++c) wave.SetSample(frame, c == 1, std::clamp(*in++ + scale.Middle, scale.Low, scale.High));
  }
}
