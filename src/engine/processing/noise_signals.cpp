#include "processing/noise_signals.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <numeric>
#include <vector>

#include "processing/code_rewrite.h"
#include "processing/engine_frame.h"
#include "processing/errors.h"
#include "processing/number_text.h"
#include "processing/sample_kernels.h"
#include "processing/non_numbers.h"
#include "state/random_generator.h"

namespace {

// `value(j, frame, right)` gives the new value of sample j of a run (file order, frame `frame`);
// the run's samples are read before any is written.
template <class Samples, class Value>
void StoreEverySample(Samples& samples, int64_t begin, int64_t end, Value&& value) {
  constexpr int kChannels = Samples::kChannels;
  double out[kKernelRun];
  int j = 0;
  for (int64_t i = begin; i < end; ++i) {
    for (int c = 0; c < kChannels; ++c, ++j) out[j] = value(j, i, kChannels == 2 && c == 1);
  }
  if (StoreRun(samples, begin, static_cast<int>(end - begin), out)) return;
  j = 0;
  for (int64_t i = begin; i < end; ++i) {
    for (int c = 0; c < kChannels; ++c, ++j) samples.Write(i, kChannels == 2 && c == 1, out[j]);
  }
}

}  // namespace

void AddNoise(TWave& wave, const Selection& sel, Progress& progress, RandomGenerator& random, int32_t level) {
  const double step = level / 200000.0;
  const int64_t perFrame = int{sel.Left} + int{sel.Right};
  const int64_t draws = std::max<int64_t>(0, int64_t{sel.SelEnd} - sel.SelStart + 1) * perFrame;
  RefuseNonNumbers(wave, sel, "add noise");
  wave.WithSamples([&](auto samples) {
    using Samples = decltype(samples);
    RunRoutine(progress, [&] {
      // Frames outside the sound change nothing but take their draws all the same.
      const FrameSpan inside = FramesInside(sel.SelStart, sel.SelEnd, samples.Frames());
      const int64_t before = inside.Begin < inside.End ? (inside.Begin - sel.SelStart) * perFrame : draws;
      random.Skip(static_cast<uint64_t>(before));
      const bool everySample = TakesEverySample<Samples>(sel);
      WalkSoundRuns(sel, samples.Frames(), progress, PassShare::Whole, [&](int64_t begin, int64_t end) {
        const auto noise = [&] { return (static_cast<int32_t>(random.Draw(2000)) - 1000) * step; };
        if (everySample) {
          uint32_t drawn[kKernelRun];
          const int count = static_cast<int>(end - begin) * Samples::kChannels;
          for (int j = 0; j < count; ++j) drawn[j] = random.Draw(2000);
          const auto* codes = reinterpret_cast<const typename Samples::Code*>(samples.FrameBytes(begin));
          StoreEverySample(samples, begin, end, [&](int j, int64_t, bool) {
            typename Samples::Code code;
            std::memcpy(&code, codes + j, sizeof code);
            return samples.ValueOf(code) + (static_cast<int32_t>(drawn[j]) - 1000) * step;
          });
          return;
        }
        for (int64_t i = begin; i < end; ++i) {
          if (sel.Left) samples.Write(i, false, samples.Read(i, false) + noise());
          if (sel.Right) samples.Write(i, true, samples.Read(i, true) + noise());
        }
      });
      if (inside.Begin < inside.End) random.Skip(static_cast<uint64_t>(draws - before - (inside.End - inside.Begin) * perFrame));
    });
  });
}

namespace {

constexpr int kGateReach = 10;

// The envelope of one channel at frame i as the gate forms it, from magnitudes `mag(j)`: the sum
// in ascending order over the frames it takes, then the divisor.
template <class Magnitude>
double Envelope(int64_t i, const Selection& sel, Magnitude&& mag) {
  int64_t from = i - kGateReach, to = i + kGateReach;
  double divisor = 20;
  if (i - sel.SelStart < kGateReach) {
    from = i;
    divisor = 10;
  } else if (sel.SelEnd - i < kGateReach) {
    to = i;
    divisor = 10;
  }
  double sum = 0;
  for (int64_t j = from; j <= to; ++j) sum += mag(j);
  return sum / divisor;
}

// Where a channel's gate stands between runs: the last frame it changed, and how many frames
// before the next one hold silence.
struct GateState {
  int64_t LastChanged = INT64_MIN / 2;
  int SilentBefore = 0;
};

// One channel over frames begin..end−1 of the sound. The envelope of each frame is first summed
// from the magnitudes as they stand before the run, all frames at once, and once more as it would
// be with the ten frames before it silent; a frame whose ten frames before it have not changed
// since, or all hold silence, reads exactly one of those sums. Any other frame is summed again
// over the magnitudes as the gate left them.
template <class Samples>
void GateRun(Samples& samples, const Selection& sel, bool right, double threshold, int64_t begin, int64_t end,
             GateState& state) {
  using Code = typename Samples::Code;
  constexpr int kReach = kGateReach;
  const int count = static_cast<int>(end - begin);
  const Code silence = Samples::CodeOf(0.0);
  const double silent = std::fabs(samples.ValueOf(silence));
  double mag[kRunFrames + 2 * kReach];  // frames begin − 10 .. end + 9
  for (int k = 0; k < count + 2 * kReach; ++k) {
    const int64_t j = begin - kReach + k;
    mag[k] = samples.Inside(j) ? std::fabs(samples.ValueOf(samples.CodeAt(j, right))) : 0.0;
  }
  double open[kRunFrames], closed[kRunFrames];
  WindowSums(mag, count, 0, 2 * kReach, 0.0, open);
  double silentSum = 0;
  for (int o = 0; o < kReach; ++o) silentSum += silent;
  WindowSums(mag, count, kReach, 2 * kReach, silentSum, closed);
  const auto magnitude = [&](int64_t j) { return mag[j - begin + kReach]; };
  for (int k = 0; k < count; ++k) {
    const int64_t i = begin + k;
    const bool middle = i - sel.SelStart >= kReach && sel.SelEnd - i >= kReach;
    double envelope;
    if (middle && state.LastChanged < i - kReach) {
      envelope = open[k] / 20;
    } else if (middle && state.SilentBefore >= kReach) {
      envelope = closed[k] / 20;
    } else {
      envelope = Envelope(i, sel, magnitude);
    }
    const bool silenced = samples.CodeAt(i, right) == silence;
    if (threshold > envelope && !silenced) {
      samples.SetCode(i, right, silence);
      mag[k + kReach] = silent;
      state.LastChanged = i;
      ++state.SilentBefore;
    } else {
      state.SilentBefore = threshold > envelope || silenced ? state.SilentBefore + 1 : 0;
    }
  }
}

}  // namespace

void NoiseGate(TWave& wave, const Selection& sel, Progress& progress, int32_t level) {
  const double threshold = level / 100.0;
  // The envelope reaches past the selection's ends.
  RefuseNonNumbers(wave, int64_t{sel.SelStart} - kGateReach, int64_t{sel.SelEnd} + kGateReach, sel.Left, sel.Right,
                   "gate");
  wave.WithSamples([&](auto samples) {
    using Samples = decltype(samples);
    // A mono sound with both flags gates its one channel twice in each frame, the second time
    // reading the first's result; that keeps to the single-sample form.
    const bool twice = Samples::kChannels == 1 && sel.Left && sel.Right;
    GateState gates[2];
    RunRoutine(progress, [&] {
      WalkSoundRuns(sel, samples.Frames(), progress, PassShare::Whole, [&](int64_t begin, int64_t end) {
        if (!twice) {
          if (sel.Left) GateRun(samples, sel, false, threshold, begin, end, gates[0]);
          if (sel.Right) GateRun(samples, sel, true, threshold, begin, end, gates[1]);
          return;
        }
        for (int64_t i = begin; i < end; ++i) {
          for (int pass = 0; pass < 2; ++pass) {
            const double envelope = Envelope(i, sel, [&](int64_t j) { return std::fabs(samples.Read(j, false)); });
            if (threshold > envelope) samples.Write(i, false, 0.0);
          }
        }
      });
    });
  });
}

int32_t ParseNoiseLevel(const std::string& text) {
  const int32_t level = StrToInt(text);
  if (level < 0 || level > 100) throw InputRefused(kAbortingOperation);
  return level;
}

void AddNoiseCommand(TWave& wave, const Selection& sel, Progress& progress, RandomGenerator& random,
                     const std::string& levelText) {
  AddNoise(wave, sel, progress, random, ParseNoiseLevel(levelText));
}

void NoiseGateCommand(TWave& wave, const Selection& sel, Progress& progress, const std::string& levelText) {
  NoiseGate(wave, sel, progress, ParseNoiseLevel(levelText));
}

SignalPlan PlanSignal(SignalKind kind, const std::string& f0Text, const std::string& amplitudeText) {
  SignalPlan plan;
  plan.Kind = kind;
  plan.F0 = StrToInt(f0Text);
  plan.Amplitude = StrToInt(amplitudeText);
  if (plan.F0 < 0 || plan.Amplitude < 0) throw InputRefused("Error, negative input.");
  return plan;
}

namespace {

// The signal's value at each frame, stepped frame by frame. The sine's phase is F0·i mod rate and
// the square's sign comes from 2·F0·i = q·rate + r, both kept exactly in integers, so that neither
// overflows nor loses its phase however far into the sound the frame lies.
class SignalSteps {
 public:
  SignalSteps(const SignalPlan& plan, uint32_t rate)
      : kind_(plan.Kind), rate_(rate), amplitude_(plan.Amplitude / 100.0), f0_(static_cast<uint64_t>(plan.F0)) {
    const uint64_t perFrame = kind_ == SignalKind::Sine ? f0_ : 2 * f0_;
    stepQuotient_ = perFrame / rate_;
    stepRemainder_ = perFrame % rate_;
    // The residues a sine visits are the multiples of gcd(F0 mod rate, rate): few enough for a table
    // of their values when the tone repeats within a second of 44100 frames or so.
    spacing_ = std::gcd(stepRemainder_, uint64_t{rate_});
    if (kind_ == SignalKind::Sine && rate_ / spacing_ <= 65536) {
      table_.resize(rate_ / spacing_);
      for (size_t k = 0; k < table_.size(); ++k) table_[k] = Sine(k * spacing_);
    }
  }

  // Places the steps at frame i.
  void Start(int64_t i) {
    const unsigned __int128 phase = static_cast<unsigned __int128>(kind_ == SignalKind::Sine ? f0_ : 2 * f0_) *
                                    static_cast<uint64_t>(i);
    quotientOdd_ = static_cast<bool>((phase / rate_) & 1);
    remainder_ = static_cast<uint64_t>(phase % rate_);
  }

  // The value at the current frame, then on to the next.
  double Next() {
    double value;
    if (kind_ == SignalKind::Sine) {
      value = table_.empty() ? Sine(remainder_) : table_[remainder_ / spacing_];
    } else {
      // n = q, or q + 1 past the half, or at the half whichever of the two is even.
      const uint64_t twice = 2 * remainder_;
      const bool up = twice > rate_ || (twice == rate_ && quotientOdd_);
      value = quotientOdd_ != up ? -amplitude_ : amplitude_;
    }
    remainder_ += stepRemainder_;
    const bool carry = remainder_ >= rate_;
    if (carry) remainder_ -= rate_;
    quotientOdd_ ^= static_cast<bool>((stepQuotient_ + carry) & 1);
    return value;
  }

 private:
  double Sine(uint64_t residue) const {
    return amplitude_ * std::sin(2.0 * std::numbers::pi * static_cast<double>(residue) / rate_);
  }

  SignalKind kind_;
  uint32_t rate_;
  double amplitude_;
  uint64_t f0_;
  uint64_t stepQuotient_ = 0, stepRemainder_ = 0, spacing_ = 1;
  bool quotientOdd_ = false;
  uint64_t remainder_ = 0;
  std::vector<double> table_;
};

}  // namespace

void GenerateSignal(TWave& wave, const Selection& sel, Progress& progress, const SignalPlan& plan) {
  if (plan.F0 < 0 || plan.Amplitude < 0) throw InputRefused("Error, negative input.");
  RefuseNonNumbers(wave, sel, "add a signal");
  SignalSteps steps(plan, wave.SampleRate());
  wave.WithSamples([&](auto samples) {
    using Samples = decltype(samples);
    const bool everySample = TakesEverySample<Samples>(sel);
    RunRoutine(progress, [&] {
      WalkSoundRuns(sel, samples.Frames(), progress, PassShare::Whole, [&](int64_t begin, int64_t end) {
        steps.Start(begin);
        double values[kRunFrames];
        for (int64_t i = begin; i < end; ++i) values[i - begin] = steps.Next();
        if (everySample) {
          const auto* codes = reinterpret_cast<const typename Samples::Code*>(samples.FrameBytes(begin));
          StoreEverySample(samples, begin, end, [&](int j, int64_t i, bool) {
            typename Samples::Code code;
            std::memcpy(&code, codes + j, sizeof code);
            return samples.ValueOf(code) + values[i - begin];
          });
          return;
        }
        for (int64_t i = begin; i < end; ++i) {
          const double v = values[i - begin];
          if (sel.Left) samples.Write(i, false, samples.Read(i, false) + v);
          if (sel.Right) samples.Write(i, true, samples.Read(i, true) + v);
        }
      });
    });
  });
}
