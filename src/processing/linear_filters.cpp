#include "processing/linear_filters.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "processing/engine_frame.h"
#include "processing/errors.h"
#include "processing/number_text.h"

namespace {

// Where one recursion works: step i of its loop makes output frame i + Shift from the stored
// output of the frame before, and the gauge shows (i − first step) / GaugeSpan.
struct Recursion {
  int64_t FirstOutput = 0;
  int64_t LastOutput = 0;
  int Shift = 0;
  int64_t GaugeSpan = 0;
  // The input taken as x(n−1) for the first output frame, per channel.
  double FirstInput[2] = {0.0, 0.0};
};

// Outputs whose magnitude can reach this may be too large to store at all; the walk then keeps
// the old samples, to put them back when it fails.
constexpr double kStorableBound = 1e14;

// `formula(x, xPrev, yPrev)` gives an output frame's value from its input, the input of the frame
// before and the value stored in the frame before. Per frame the left channel comes first; a mono
// sound with both flags set filters its one channel twice, the second pass reading the first's
// output as its input, both reading the frame before as stored.
template <class Samples, class Formula>
void RunRecursion(Samples& samples, const Selection& sel, Progress& progress, const Recursion& walk,
                  double outputBound, Formula formula) {
  constexpr bool kMono = Samples::kChannels == 1;
  const FrameSpan inside = FramesInside(walk.FirstOutput, walk.LastOutput, samples.Frames());
  // Output frames before the sound read 0 and keep nothing, so the first one inside follows either
  // the first selected frame or a frame outside the sound, whose input was 0.
  double xPrev[2], yPrev[2];
  for (const bool right : {false, true}) {
    xPrev[right] = inside.Begin == walk.FirstOutput ? walk.FirstInput[right] : 0.0;
    yPrev[right] = samples.Read(inside.Begin - 1, right);
  }
  const auto run = [&](int64_t from, int64_t to) {
    for (int64_t n = from + walk.Shift; n <= to + walk.Shift; ++n) {
      double stored[2] = {yPrev[0], yPrev[1]};
      if (sel.Left) {
        const double x = samples.ValueOf(samples.CodeAt(n, false));
        const auto code = Samples::CodeOf(formula(x, xPrev[0], yPrev[0]));
        samples.SetCode(n, false, code);
        xPrev[0] = x;
        stored[0] = samples.ValueOf(code);
      }
      if (sel.Right) {
        constexpr int kStore = kMono ? 0 : 1;
        const double x = samples.ValueOf(samples.CodeAt(n, true));
        const auto code = Samples::CodeOf(formula(x, xPrev[1], yPrev[kStore]));
        samples.SetCode(n, true, code);
        xPrev[1] = x;
        stored[kStore] = samples.ValueOf(code);
      }
      yPrev[0] = stored[0];
      yPrev[1] = stored[1];
    }
  };
  const int64_t firstStep = walk.FirstOutput - walk.Shift;
  WalkGauge gauge(progress, firstStep, walk.GaugeSpan, PassShare::Whole);
  const auto walkAll = [&] {
    WalkBusyRuns(firstStep, walk.LastOutput - walk.Shift, {{inside.Begin - walk.Shift, inside.End - walk.Shift}},
                 gauge, run);
  };
  if (outputBound < kStorableBound) {
    walkAll();
    return;
  }
  const size_t bytes = static_cast<size_t>(inside.End - inside.Begin) * sizeof(typename Samples::Code) *
                       Samples::kChannels;
  std::vector<uint8_t> kept(bytes);
  if (bytes != 0) std::memcpy(kept.data(), samples.FrameBytes(inside.Begin), bytes);
  try {
    walkAll();
  } catch (...) {
    if (bytes != 0) std::memcpy(samples.FrameBytes(inside.Begin), kept.data(), bytes);
    throw;
  }
}

// Every value read lies in −1..+1, so no output exceeds the sum of the weights' magnitudes.
double OutputBound(double w1, double w2, double w3 = 0.0) {
  return std::fabs(w1) + std::fabs(w2) + std::fabs(w3);
}

}  // namespace

FilterCoefficients RCCoefficients(FilterKind kind, int32_t cutOff, uint32_t sampleRate) {
  if (cutOff == 0) throw CommandError(kDivisionByZero);
  constexpr long double kPi = std::numbers::pi_v<long double>;
  const long double root3 = std::sqrt(3.0L);
  const long double dt = 1.0L / sampleRate;
  FilterCoefficients c;
  if (kind == FilterKind::LowPass) {
    const long double rc = root3 / (2.0L * kPi * cutOff);
    c.C0 = static_cast<double>(dt / (dt + rc));
    c.C1 = 0.0;
    c.D1 = static_cast<double>(rc / (dt + rc));
  } else {
    const long double rc = 1.0L / (2.0L * kPi * root3 * cutOff);
    c.C0 = static_cast<double>(rc / (dt + rc));
    c.C1 = -c.C0;
    c.D1 = c.C0;
  }
  return c;
}

void FirstOrderFilter(TWave& wave, const Selection& sel, Progress& progress, FilterKind kind, int32_t cutOff,
                      double c0, double c1, double d1) {
  const FilterCoefficients c =
      kind == FilterKind::Custom ? FilterCoefficients{c0, c1, d1} : RCCoefficients(kind, cutOff, wave.SampleRate());
  wave.WithSamples([&](auto samples) {
    const int64_t first = sel.SelStart;
    Recursion walk;
    walk.FirstOutput = first + 1;
    walk.LastOutput = sel.SelEnd;
    walk.GaugeSpan = int64_t{sel.SelEnd} - first - 1;
    // The first frame is read whatever the flags say; it is the input before the second.
    walk.FirstInput[0] = samples.Read(first, false);
    walk.FirstInput[1] = samples.Read(first, true);
    RunRoutine(progress, [&] {
      RunRecursion(samples, sel, progress, walk, OutputBound(c.C0, c.C1, c.D1),
                   [&c](double x, double xPrev, double yPrev) { return c.C0 * x + c.C1 * xPrev + c.D1 * yPrev; });
    });
  });
}

void RCFilterCommand(TWave& wave, const Selection& sel, Progress& progress, FilterKind kind,
                     const std::string& cutOffText) {
  const int32_t cutOff = StrToInt(cutOffText);
  if (cutOff < 0 || cutOff > static_cast<int64_t>(wave.SampleRate() / 2)) throw InputRefused(kAbortingOperation);
  FirstOrderFilter(wave, sel, progress, kind, cutOff, 0.0, 0.0, 0.0);
}

void CustomIIRCommand(TWave& wave, const Selection& sel, Progress& progress, const IIRTexts& texts) {
  const double c0 = StrToFloat(texts.C0);
  const double c1 = StrToFloat(texts.C1);
  const double d1 = StrToFloat(texts.D1);
  FirstOrderFilter(wave, sel, progress, FilterKind::Custom, 0, c0, c1, d1);
}

double WallMass(const std::string& thicknessCmText, const std::string& densityText) {
  const double thickness = StrToFloat(thicknessCmText) / 100.0;
  const double density = StrToFloat(densityText);
  const double mass = thickness * density;
  if (mass < 0) throw InputRefused("Error, negative mass.");
  return mass;
}

void ApplyWallFilter(TWave& wave, const Selection& sel, Progress& progress, double mass) {
  const double divisor = wave.SampleRate() * mass;
  if (divisor == 0.0) throw CommandError(kDivisionByZero);
  const double k = 830.0 / divisor;
  const double a = 1.0 - k;
  wave.WithSamples([&](auto samples) {
    Recursion walk;
    walk.FirstOutput = int64_t{sel.SelStart} + 1;
    walk.LastOutput = sel.SelEnd;
    walk.Shift = 1;
    walk.GaugeSpan = int64_t{sel.SelEnd} - sel.SelStart;
    RunRoutine(progress, [&] {
      RunRecursion(samples, sel, progress, walk, OutputBound(a, k),
                   [a, k](double, double xPrev, double yPrev) { return a * yPrev + k * xPrev; });
    });
  });
}
