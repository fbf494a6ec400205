#include "processing/linear_filters.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "processing/code_rewrite.h"
#include "processing/engine_frame.h"
#include "processing/errors.h"
#include "processing/first_order_chains.h"
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

// Each recursion forms y(n) = Direct(x(n), x(n−1)) + Feedback·y(n−1), the sum in that order, with
// y(n−1) the value stored in the frame before.
template <class Direct>
struct Recurrence {
  Direct DirectPart;
  double Feedback;
  double OutputBound;
};
template <class Direct>
Recurrence(Direct, double, double) -> Recurrence<Direct>;

// The frames of output..end−1 (all inside the sound, channels held apart) by the chains of one
// kind of feedback term, from `state`.
template <class Samples, class Direct, class Terms, class BeforeBlock>
void RunChains(Samples& samples, const Selection& sel, const Direct& direct, Terms terms, double feedback,
               int64_t output, int64_t end, typename FirstOrderChains<Samples, Direct, Terms>::State& state,
               BeforeBlock&& beforeBlock) {
  using Chains = FirstOrderChains<Samples, Direct, Terms>;
  Chains chains(samples, direct, terms, WarmUpFrames(feedback));
  if (sel.Left && sel.Right) {
    chains.template Run<true, true>(output, end, state, beforeBlock);
  } else if (sel.Left) {
    chains.template Run<true, false>(output, end, state, beforeBlock);
  } else if (sel.Right) {
    chains.template Run<false, true>(output, end, state, beforeBlock);
  }
}

// Per frame the left channel comes first. A mono sound with both flags set filters its one channel
// twice, the second pass reading the first's output as its input, both reading the frame before as
// stored; that case keeps to the single-sample form, as do recursions whose outputs may be too
// large to store, which put the old samples back when they fail.
template <class Samples, class Direct>
void RunRecursion(Samples& samples, const Selection& sel, Progress& progress, const Recursion& walk,
                  const Recurrence<Direct>& recurrence) {
  using Code = typename Samples::Code;
  constexpr bool kMono = Samples::kChannels == 1;
  const FrameSpan inside = FramesInside(walk.FirstOutput, walk.LastOutput, samples.Frames());
  const bool twice = kMono && sel.Left && sel.Right;
  const Direct& direct = recurrence.DirectPart;
  const bool storable = recurrence.OutputBound < kStorableBound;
  // Output frames before the sound read 0 and keep nothing, so the first one inside follows either
  // the first selected frame or a frame outside the sound, whose input was 0. The value stored
  // before it may be no code's (0 outside the sound), so that frame takes the general form.
  double xPrev[2], yPrev[2];
  for (const bool right : {false, true}) {
    xPrev[right] = inside.Begin == walk.FirstOutput ? walk.FirstInput[right] : 0.0;
    yPrev[right] = samples.Read(inside.Begin - 1, right);
  }
  const auto general = [&](int64_t n) {
    double stored[2] = {yPrev[0], yPrev[1]};
    for (const bool right : {false, true}) {
      if (!(right ? sel.Right : sel.Left)) continue;
      const int store = kMono ? 0 : right;
      const double x = samples.ValueOf(samples.CodeAt(n, right));
      const Code code = Samples::CodeOf(direct(x, xPrev[right]) + recurrence.Feedback * yPrev[store]);
      samples.SetCode(n, right, code);
      xPrev[right] = x;
      stored[store] = samples.ValueOf(code);
    }
    yPrev[0] = stored[0];
    yPrev[1] = stored[1];
  };
  const int64_t firstStep = walk.FirstOutput - walk.Shift;
  const int64_t lastStep = walk.LastOutput - walk.Shift;
  WalkGauge gauge(progress, firstStep, walk.GaugeSpan, PassShare::Whole);
  // The gauge moves through every whole hundred of steps up to the one of output frame `last`
  // before that frame is made.
  int64_t shownTo = firstStep - 1;
  const auto showUpTo = [&](int64_t last) {
    const int64_t step = std::min(last - walk.Shift, lastStep);
    if (step > shownTo) gauge.Across(shownTo + 1, step);
    shownTo = std::max(shownTo, step);
  };
  const auto walkAll = [&] {
    if (inside.Begin < inside.End) {
      showUpTo(inside.Begin);
      general(inside.Begin);
    }
    if (twice || !storable) {
      for (int64_t n = inside.Begin + 1; n < inside.End; ++n) {
        showUpTo(n);
        general(n);
      }
    } else if (inside.End - inside.Begin > 1) {
      const int64_t channelSamples = (inside.End - inside.Begin) * (int{sel.Left} + int{sel.Right});
      const auto chains = [&](auto terms) {
        typename FirstOrderChains<Samples, Direct, decltype(terms)>::State state;
        for (const bool right : {false, true}) {
          state.XPrev[right] = xPrev[right];
          state.Last[right] = samples.CodeAt(inside.Begin, right);
        }
        RunChains(samples, sel, direct, terms, recurrence.Feedback, inside.Begin + 1, inside.End, state, showUpTo);
      };
      if (channelSamples >= static_cast<int64_t>(kCodeCount<Samples>)) {
        const std::vector<double> table = FeedbackTable(samples, recurrence.Feedback);
        chains(TableTerms<Samples>{table.data() + (sizeof(Code) == 1 ? 0 : 32768)});
      } else {
        chains(ProductTerms<Samples>{samples, recurrence.Feedback});
      }
    }
    showUpTo(walk.LastOutput);
  };
  if (storable) {
    walkAll();
    return;
  }
  const size_t bytes = static_cast<size_t>(inside.End - inside.Begin) * sizeof(Code) * Samples::kChannels;
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
      const auto direct = [&c](double x, double xPrev) { return c.C0 * x + c.C1 * xPrev; };
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
      // a·y(n−1) + k·x(n−1), summed the other way round, which gives the same sum.
      const auto direct = [k](double, double xPrev) { return k * xPrev; };
      RunRecursion(samples, sel, progress, walk, Recurrence{direct, a, OutputBound(a, k)});
    });
  });
}
