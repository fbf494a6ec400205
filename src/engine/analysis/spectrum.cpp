#include "analysis/spectrum.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/fourier.h"
#include "wave/wave_document.h"

SpectrumPowers ComputeSpectrum(const TWave& wave, int32_t selStart) {
  std::array<double, kSpectrumFrames> left{}, right{}, zeros{}, re{}, im{};
  for (int i = 0; i < kSpectrumFrames; ++i) {
    const double s = std::sin(std::numbers::pi * i / (kSpectrumFrames - 1));
    const double w = s * s;
    // Frame numbers wrap as the sample access takes them: before the sound is far past its end.
    const auto frame = static_cast<uint32_t>(int64_t{selStart} + i);
    left[i] = wave.GetSample(frame, false) * w;
    right[i] = wave.GetSample(frame, true) * w;
  }
  const FourierPlan plan(kSpectrumFrames, kFourierTurn);
  SpectrumPowers powers;
  for (const bool isRight : {false, true}) {
    plan.Transform(isRight ? right.data() : left.data(), zeros.data(), re.data(), im.data());
    auto& out = isRight ? powers.Right : powers.Left;
    for (int k = 0; k < kSpectrumBins; ++k) out[k] = re[k] * re[k] + im[k] * im[k];
  }
  return powers;
}

std::array<SpectrumPoint, kSpectrumBins> SpectrumPoints(const std::array<double, kSpectrumBins>& powers, int width,
                                                        int height, int yScale, int y0) {
  const int w = width - 1, h = height - 1;
  std::array<SpectrumPoint, kSpectrumBins> points;
  for (int k = 0; k < kSpectrumBins; ++k) {
    points[k].X = static_cast<int>(std::nearbyint(static_cast<double>(k) / (kSpectrumBins - 1) * w));
    if (powers[k] == 0.0) {
      points[k].Y = h;
      continue;
    }
    const double y = std::nearbyint(h - (std::log(powers[k]) + y0) * yScale);
    // Far outside the surface a point is only clipped; it must still fit the painter's integers.
    points[k].Y = static_cast<int>(std::clamp(y, -1.0e6, 1.0e6));
  }
  return points;
}

int64_t SpectrumFrequencyAt(uint32_t sampleRate, int x, int width) {
  if (width < 2) return 0;
  return static_cast<int64_t>(std::nearbyint(static_cast<double>(sampleRate) * x / (width - 1) / 2));
}
