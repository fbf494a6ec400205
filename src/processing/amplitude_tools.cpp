#include "processing/amplitude_tools.h"

#include <cmath>
#include <numbers>

#include "processing/engine_frame.h"
#include "processing/errors.h"

void MuteSelection(TWave& wave, const Selection& sel, Progress& progress) {
  WalkSelectionOnce(sel, progress, [&](int64_t i, bool right) { WriteSample(wave, i, right, 0.0); });
}

bool IsNormalizeLevel(int level) { return level >= kMinNormalizeLevel && level <= kMaxNormalizeLevel; }

void NormalizeSelection(TWave& wave, const Selection& sel, Progress& progress, int level) {
  if (!IsNormalizeLevel(level)) throw InputRefused(kAbortingOperation);
  RunRoutine(progress, [&] {
    double peak[2] = {0.0, 0.0};
    WalkSelection(sel, progress, PassShare::FirstHalf, [&](int64_t i, bool right) {
      const double magnitude = std::fabs(ReadSample(wave, i, right));
      if (magnitude > peak[right]) peak[right] = magnitude;
    });
    const double loudest = peak[0] > peak[1] ? peak[0] : peak[1];
    if (loudest == 0.0) throw CommandError(level == 0 ? kInvalidOperation : kDivisionByZero);
    const double gain = level / (100.0 * loudest);
    WalkSelection(sel, progress, PassShare::SecondHalf, [&](int64_t i, bool right) {
      WriteSample(wave, i, right, ReadSample(wave, i, right) * gain);
    });
  });
}

void RemoveDCOffset(TWave& wave, const Selection& sel, Progress& progress) {
  RunRoutine(progress, [&] {
    double sum[2] = {0.0, 0.0};
    WalkSelection(sel, progress, PassShare::FirstHalf,
                  [&](int64_t i, bool right) { sum[right] += ReadSample(wave, i, right); });
    // A selection that ends one past the sound counts that frame, which reads 0, in its mean.
    const auto count = static_cast<double>(int64_t{sel.SelEnd} - sel.SelStart + 1);
    const double mean[2] = {sum[0] / count, sum[1] / count};
    WalkSelection(sel, progress, PassShare::SecondHalf, [&](int64_t i, bool right) {
      WriteSample(wave, i, right, ReadSample(wave, i, right) - mean[right]);
    });
  });
}

namespace {

double SmoothRamp(double t) { return 3 * t * t - 2 * t * t * t; }

double WindowWeight(WindowKind kind, double t) {
  switch (kind) {
    case WindowKind::FadeIn: return SmoothRamp(t);
    case WindowKind::FadeOut: return SmoothRamp(1 - t);
    case WindowKind::Hanning: {
      const double s = std::sin(std::numbers::pi * t);
      return s * s;
    }
    case WindowKind::Invert: return -1;
  }
  return 1;
}

}  // namespace

void ApplyWindow(TWave& wave, const Selection& sel, Progress& progress, WindowKind kind) {
  const int64_t span = int64_t{sel.SelEnd} - sel.SelStart;
  // A single frame is both the first and the last of its selection; rather than pick one end
  // of the ramp, the fades and the window keep it.
  const bool singleFrame = span == 0 && kind != WindowKind::Invert;
  double weight = 1;
  RunRoutine(progress, [&] {
    WalkFrames(
        sel.SelStart, sel.SelEnd, sel, progress, PassShare::Whole,
        [&](int64_t i, bool right) { WriteSample(wave, i, right, weight * ReadSample(wave, i, right)); },
        [&](int64_t i) {
          if (singleFrame) return;
          const double t = static_cast<double>(i - sel.SelStart) / static_cast<double>(span);
          weight = WindowWeight(kind, t);
        });
  });
}

void ReverseSelection(TWave& wave, const Selection& sel, Progress& progress) {
  const int64_t first = sel.SelStart;
  const int64_t last = sel.SelEnd;
  const int64_t pairs = (last - first + 1) / 2;
  RunRoutine(progress, [&] {
    for (int64_t k = 0; k < pairs; ++k) {
      // Reverse counts pairs, not frames, so its gauge moves once per 100 pairs.
      if (k % 100 == 0) ShowShare(progress, k, pairs - 1, PassShare::Whole);
      for (const bool right : {false, true}) {
        if (!(right ? sel.Right : sel.Left)) continue;
        const double a = ReadSample(wave, first + k, right);
        const double b = ReadSample(wave, last - k, right);
        WriteSample(wave, first + k, right, b);
        WriteSample(wave, last - k, right, a);
      }
    }
  });
}
