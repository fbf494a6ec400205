#include "processing/delay_effects.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "processing/code_rewrite.h"
#include "processing/engine_frame.h"
#include "processing/number_text.h"
#include "processing/non_numbers.h"
#include "state/session.h"
#include "state/view_state.h"

namespace {

// Frames low..high (inside the sound, every sample taken) of the backward walk, all read before any
// is written: the walk's order only matters for reading each source before it changes, and every
// source lies below the frame it feeds. False, with nothing changed, when a result is beyond what
// the vector kernels store.
template <class Samples, class Mix>
bool MixRun(Samples& samples, int64_t low, int64_t high, int64_t delay, bool pureDelay, const Mix& mix) {
  using Code = typename Samples::Code;
  constexpr int kChannels = Samples::kChannels;
  const int count = static_cast<int>(high - low + 1) * kChannels;
  // Frames before `delay` have their source before the sound, which reads 0.
  const int64_t firstSourced = std::clamp(delay, low, high + 1);
  const int unsourced = static_cast<int>(firstSourced - low) * kChannels;
  const size_t sourcedBytes = static_cast<size_t>(count - unsourced) * sizeof(Code);
  if (pureDelay) {
    // (0·a + 1·b) / 1 is b itself, whose code is the source's.
    if (sourcedBytes != 0) std::memmove(samples.FrameBytes(firstSourced), samples.FrameBytes(firstSourced - delay), sourcedBytes);
    const Code zero = Samples::CodeOf(0.0);
    Code* codes = reinterpret_cast<Code*>(samples.FrameBytes(low));
    for (int j = 0; j < unsourced; ++j) std::memcpy(codes + j, &zero, sizeof zero);
    return true;
  }
  Code current[kKernelRun], source[kKernelRun];
  std::memcpy(current, samples.FrameBytes(low), count * sizeof(Code));
  if (sourcedBytes != 0) std::memcpy(source + unsourced, samples.FrameBytes(firstSourced - delay), sourcedBytes);
  double out[kKernelRun];
  for (int j = 0; j < unsourced; ++j) out[j] = mix(samples.ValueOf(current[j]), 0.0);
  for (int j = unsourced; j < count; ++j) out[j] = mix(samples.ValueOf(current[j]), samples.ValueOf(source[j]));
  return StoreRun(samples, low, static_cast<int>(high - low + 1), out);
}

}  // namespace

int64_t DelayFrames(int64_t delayMs, uint32_t sampleRate) {
  const __int128 product = static_cast<__int128>(delayMs) * sampleRate;
  __int128 quotient = product / 1000;
  const __int128 remainder = product % 1000;
  if (remainder > 500 || (remainder == 500 && (quotient & 1) != 0)) ++quotient;
  return static_cast<int64_t>(quotient);
}

void DelayMix(TWave& wave, const Selection& sel, Progress& progress, int64_t delayMs, double directWeight,
              double delayedWeight) {
  if (delayMs < 0) throw InputRefused(kAbortingOperation);
  if (static_cast<double>(delayMs) / 1000.0 >= wave.Duration()) return;
  const int64_t delay = DelayFrames(delayMs, wave.SampleRate());
  const int64_t first = sel.SelStart, last = sel.SelEnd;
  const int64_t count = last - first - delay + 1;
  const double weightSum = directWeight + delayedWeight;
  const auto mix = [=](double a, double b) { return (directWeight * a + delayedWeight * b) / weightSum; };
  const bool pureDelay = directWeight == 0.0 && delayedWeight == 1.0;
  wave.WithSamples([&](auto samples) {
    using Samples = decltype(samples);
    const bool everySample = TakesEverySample<Samples>(sel);
    RunRoutine(progress, [&] {
      // Step k makes frame last − k; only frames inside the sound can change.
      const int64_t frames = samples.Frames();
      const FrameSpan busy{std::max<int64_t>(0, last - frames + 1), std::min(count, last + 1)};
      WalkBusyRuns(0, count - 1, {busy}, progress, PassShare::Whole, [&](int64_t kFrom, int64_t kTo) {
        const int64_t low = last - kTo, high = last - kFrom;
        if (everySample && MixRun(samples, low, high, delay, pureDelay, mix)) return;
        const auto step = [&](int64_t t, bool right) {
          if (!pureDelay) {
            samples.Write(t, right, mix(samples.Read(t, right), samples.Read(t - delay, right)));
          } else {
            // The source's own code, as MixRun moves it: a delay carries what is no number too.
            samples.SetCode(t, right, samples.Inside(t - delay) ? samples.CodeAt(t - delay, right) : Samples::CodeOf(0.0));
          }
        };
        for (int64_t t = high; t >= low; --t) {
          if (sel.Left) step(t, false);
          if (sel.Right) step(t, true);
        }
      });
      if (directWeight != 0.0) return;
      const auto [begin, end] = FramesInside(first, first + delay - 1, samples.Frames());
      for (int64_t t = begin; t < end; ++t) {
        if (sel.Left) samples.Write(t, false, 0.0);
        if (sel.Right) samples.Write(t, true, 0.0);
      }
    });
  });
}

int32_t ParseDelayMs(const std::string& text) {
  const int32_t delayMs = StrToInt(text);
  if (delayMs < 0) throw InputRefused(kAbortingOperation);
  return delayMs;
}

void DelayCommand(TWave& wave, const Selection& sel, Progress& progress, const std::string& delayText) {
  DelayMix(wave, sel, progress, ParseDelayMs(delayText), 0.0, 1.0);
}

void EchoCommand(TWave& wave, const Selection& sel, Progress& progress, const std::string& delayText,
                 const std::function<bool(std::string& amplitudeText)>& askAmplitude) {
  const int32_t delayMs = ParseDelayMs(delayText);
  std::string amplitudeText = "50";
  if (!askAmplitude(amplitudeText)) return;
  const int32_t amplitude = StrToInt(amplitudeText);
  if (amplitude <= 0 || amplitude > 100) throw InputRefused(kAbortingOperation);
  RefuseNonNumbers(wave, sel, "add an echo");
  DelayMix(wave, sel, progress, delayMs, 1.0, amplitude / 100.0);
}

EchoRepeatPlan PlanEchoRepeat(const std::string& periodText, const std::string& amplitudeText) {
  EchoRepeatPlan plan;
  plan.PeriodMs = StrToInt(periodText);
  plan.Amplitude = StrToFloat(amplitudeText);
  if (plan.PeriodMs < 0) throw EchoPeriodRefused();
  if (plan.Amplitude < 0 || plan.Amplitude > 90) throw EchoAmplitudeRefused();
  if (plan.Amplitude == 0) throw CommandError(kDivisionByZero);
  plan.Passes = static_cast<int>(std::nearbyint(std::log(0.05) / std::log(plan.Amplitude / 100)));
  return plan;
}

void EchoRepeat(TWave& wave, const Selection& sel, Progress& progress, const EchoRepeatPlan& plan,
                const std::function<void(int pass, int passes)>& beforePass) {
  RefuseNonNumbers(wave, sel, "repeat the echo");
  for (int pass = 1; pass <= plan.Passes; ++pass) {
    if (beforePass) beforePass(pass, plan.Passes);
    // In 64 bits: 28 periods of a long period do not fit in 32.
    DelayMix(wave, sel, progress, int64_t{pass} * plan.PeriodMs, 1.0, std::pow(plan.Amplitude / 100, pass));
  }
}

void StereoExpand(Session& session, Progress& progress) {
  RefuseNonNumbers(session.Wave, "expand the stereo image");
  SelectAll(session.View, session.Wave);
  session.Wave.ConvertToStereo();
  ApplyChannelRules(session.View, session.Wave);
  struct Pass {
    bool Left;
    int32_t DelayMs;
    double DelayedWeight;
  };
  for (const Pass& pass : {Pass{true, 5, 0.4}, Pass{false, 10, 0.3}, Pass{true, 15, 0.2}, Pass{false, 20, 0.1}}) {
    session.View.Sel.Left = pass.Left;
    session.View.Sel.Right = !pass.Left;
    DelayMix(session.Wave, session.View.Sel, progress, pass.DelayMs, 1.0, pass.DelayedWeight);
  }
  SelectAll(session.View, session.Wave);
}
