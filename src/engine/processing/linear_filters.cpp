#include "processing/linear_filters.h"

#include <cmath>
#include <numbers>

#include "processing/engine_frame.h"
#include "processing/errors.h"
#include "processing/first_order_recursion.h"
#include "processing/number_text.h"
#include "processing/non_numbers.h"
#include "wave/message_path.h"

namespace {

// Every value read lies in −1..+1, so no output exceeds the sum of the weights' magnitudes.
double OutputBound(double w1, double w2, double w3 = 0.0) {
  return std::fabs(w1) + std::fabs(w2) + std::fabs(w3);
}

// A coefficient's text as a number; a refusal says which coefficient, and for a file which line.
double Coefficient(const std::string& text, const char* name, int line, const std::string& origin) {
  try {
    return StrToFloat(text);
  } catch (const CommandError& error) {
    std::string where = name;
    if (!origin.empty()) where += ", line " + std::to_string(line) + " of " + PathForMessage(origin);
    throw CommandError(std::string(error.what()) + " (" + where + ")");
  }
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
  RefuseNonNumbers(wave, sel, "filter");
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
      const FilterDirect direct{c.C0, c.C1};
      RunRecursion(samples, sel, progress, walk, Recurrence{direct, c.D1, OutputBound(c.C0, c.C1, c.D1)});
    });
  });
}

void RCFilterCommand(TWave& wave, const Selection& sel, Progress& progress, FilterKind kind,
                     const std::string& cutOffText) {
  const int32_t cutOff = StrToInt(cutOffText);
  if (cutOff < 0 || cutOff > static_cast<int64_t>(wave.SampleRate() / 2)) throw InputRefused(kAbortingOperation);
  FirstOrderFilter(wave, sel, progress, kind, cutOff, 0.0, 0.0, 0.0);
}

void CustomIIRCommand(TWave& wave, const Selection& sel, Progress& progress, const IIRTexts& texts,
                      const std::string& origin) {
  const double c0 = Coefficient(texts.C0, "c0", 1, origin);
  const double c1 = Coefficient(texts.C1, "c1", 2, origin);
  const double d1 = Coefficient(texts.D1, "d1", 3, origin);
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
  RefuseNonNumbers(wave, sel, "filter");
  wave.WithSamples([&](auto samples) {
    Recursion walk;
    walk.FirstOutput = int64_t{sel.SelStart} + 1;
    walk.LastOutput = sel.SelEnd;
    walk.Shift = 1;
    walk.GaugeSpan = int64_t{sel.SelEnd} - sel.SelStart;
    RunRoutine(progress, [&] {
      // a·y(n−1) + k·x(n−1), summed the other way round, which gives the same sum.
      const WallDirect direct{k};
      RunRecursion(samples, sel, progress, walk, Recurrence{direct, a, OutputBound(a, k)});
    });
  });
}
