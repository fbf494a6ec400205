#include "processing/non_numbers.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "processing/engine_frame.h"
#include "processing/errors.h"
#include "wave/float_bounds.h"
#include "wave/wave_document.h"

namespace {

// The first sample of frames first..last in the channels taken for which `refused(value)` holds
// is named in the message; `bound` is a magnitude within which no value is refused, so that the
// usual sound takes one vectorized pass.
template <class Refused, class Why>
void RefuseFirst(const TWave& wave, int64_t first, int64_t last, bool left, bool right, const std::string& action,
                 const std::string& of, float bound, Refused&& refused, Why&& why) {
  if (!wave.FloatSamples() || !(left || right)) return;
  const int channels = wave.Channels();
  const auto [begin, end] = FramesInside(first, last, wave.SampleCount());
  const uint8_t* data = wave.Image().data() + kWaveHeaderSize;
  const auto from = static_cast<size_t>(begin) * channels;
  if (FloatsWithin(data + from * sizeof(float), static_cast<size_t>(end - begin) * channels, bound)) return;
  for (int64_t frame = begin; frame < end; ++frame) {
    for (int c = 0; c < channels; ++c) {
      if (channels == 2 && !(c == 0 ? left : right)) continue;
      float value;
      std::memcpy(&value, data + (static_cast<size_t>(frame) * channels + c) * sizeof value, sizeof value);
      if (!refused(value)) continue;
      const std::string where = channels == 2 ? (c == 0 ? " (left)" : " (right)") : "";
      throw InputRefused("Cannot " + action + ": frame " + std::to_string(frame) + where + of + " holds " + why(value));
    }
  }
}

std::string NonNumberText(float value) {
  if (std::isnan(value)) return "a value that is not a number";
  return value < 0 ? "the value -inf" : "the value inf";
}

}  // namespace

void RefuseNonNumbers(const TWave& wave, int64_t first, int64_t last, bool left, bool right, const std::string& action,
                      const std::string& of) {
  RefuseFirst(wave, first, last, left, right, action, of, FLT_MAX, [](float value) { return !std::isfinite(value); },
              NonNumberText);
}

void RefuseNonNumbers(const TWave& wave, const std::string& action, const std::string& of) {
  RefuseNonNumbers(wave, 0, int64_t{wave.SampleCount()} - 1, true, true, action, of);
}

void RefuseUnconvertible(const TWave& wave, SampleKind to, const std::string& action, const std::string& of) {
  if (to == SampleKind::Float) return;
  // The code before rounding, as the sample mapping forms it; rounding takes it only within 9e18.
  const auto unrounded = [to](double value) {
    switch (to) {
      case SampleKind::Byte: return UnroundedEightBitCode(value);
      case SampleKind::Word: return UnroundedSixteenBitCode(value);
      case SampleKind::Triple: return UnroundedTwentyFourBitCode(value);
      default: return UnroundedThirtyTwoBitCode(value);
    }
  };
  const auto refused = [&](float value) { return !(std::fabs(unrounded(value)) < 9.0e18); };
  const auto why = [](float value) {
    if (!std::isfinite(value)) return NonNumberText(value);
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return std::string("the value ") + text + ", too far beyond full scale to wrap round";
  };
  // 2^31 lies well inside what even 32-bit codes take.
  RefuseFirst(wave, 0, int64_t{wave.SampleCount()} - 1, true, true, action, of, 2147483648.0f, refused, why);
}
