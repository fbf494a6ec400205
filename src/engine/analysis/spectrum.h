#pragma once

#include <array>
#include <cstdint>

class TWave;

// The power spectrum the spectrum window draws: 1024 frames from a start frame, each channel under
// a symmetric Hann window, transformed, and the powers re² + im² of the first 512 bins.

inline constexpr int kSpectrumFrames = 1024;
inline constexpr int kSpectrumBins = 512;

struct SpectrumPowers {
  std::array<double, kSpectrumBins> Left{};
  std::array<double, kSpectrumBins> Right{};
};

// Frames past the end of the sound read 0; a mono sound gives the same powers twice.
SpectrumPowers ComputeSpectrum(const TWave& wave, int32_t selStart);

struct SpectrumPoint {
  int X = 0;
  int Y = 0;
};

// Bin k at x = round(k / 511 · w) and y = round(h − (ln P + y0) · yScale), where w and h are the
// paint surface's width and height less one. A bin of power 0 has no logarithm and lies on the
// bottom row.
std::array<SpectrumPoint, kSpectrumBins> SpectrumPoints(const std::array<double, kSpectrumBins>& powers, int width,
                                                        int height, int yScale, int y0);

// The frequency under column x of a surface `width` pixels wide: round(rate · x / (width − 1) / 2).
int64_t SpectrumFrequencyAt(uint32_t sampleRate, int x, int width);
