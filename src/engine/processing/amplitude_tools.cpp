#include "processing/amplitude_tools.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <type_traits>
#include <utility>

#include "processing/code_rewrite.h"
#include "processing/engine_frame.h"
#include "processing/errors.h"
#include "processing/non_numbers.h"

// Each routine runs on the samples in their layout (TWave::WithSamples). Where an integer form
// gives exactly the codes of the value arithmetic, for every code, it is used instead: the
// middle level for mute, the mirrored code for invert, moved codes for reverse.

namespace {

// Invert's exact form: 255 - b for bytes, -1 - s for the signed integers (wrapping in 24 bits),
// the negated value for floats.
template <class Code>
Code Inverted(Code code) {
  if constexpr (std::is_same_v<Code, uint8_t>) {
    return static_cast<Code>(255 - code);
  } else if constexpr (std::is_same_v<Code, Int24>) {
    return Int24Of(~WordOf(code));
  } else if constexpr (std::is_same_v<Code, float>) {
    return -code;
  } else {
    return static_cast<Code>(~code);
  }
}

// A sample's distance from the middle in units of half a code step: |2b - 255| or |2s + 1|, and
// for floats the magnitude itself. Its value's magnitude grows with it, so the largest one gives
// the largest magnitude.
template <class Code>
auto Excursion(Code code) {
  if constexpr (std::is_same_v<Code, uint8_t>) {
    return std::abs(2 * code - 255);
  } else if constexpr (std::is_same_v<Code, int16_t>) {
    return std::abs(2 * code + 1);
  } else if constexpr (std::is_same_v<Code, Int24>) {
    return std::abs(2 * int64_t{WordOf(code)} + 1);
  } else if constexpr (std::is_same_v<Code, float>) {
    return std::fabs(double{code});
  } else {
    return std::abs(2 * int64_t{code} + 1);
  }
}

// The magnitude of a value with that excursion, exactly as |value| of such a sample reads.
template <class Samples, class Distance>
double Magnitude(const Samples& samples, Distance excursion) {
  using Code = typename Samples::Code;
  if constexpr (std::is_same_v<Code, uint8_t>) {
    return samples.ValueOf(static_cast<Code>((excursion + 255) / 2));
  } else if constexpr (std::is_same_v<Code, Int24>) {
    return samples.ValueOf(Int24Of((excursion - 1) / 2));
  } else if constexpr (std::is_same_v<Code, float>) {
    return excursion;
  } else {
    return samples.ValueOf(static_cast<Code>((excursion - 1) / 2));
  }
}

}  // namespace

void MuteSelection(TWave& wave, const Selection& sel, Progress& progress) {
  wave.WithSamples([&](auto samples) {
    using Samples = decltype(samples);
    RunRoutine(progress, [&] {
      RewriteSelectedCodes(samples, sel, progress, PassShare::Whole,
                           [](bool, auto) { return Samples::kSilence; });
    });
  });
}

bool IsNormalizeLevel(int level) { return level >= kMinNormalizeLevel && level <= kMaxNormalizeLevel; }

void NormalizeSelection(TWave& wave, const Selection& sel, Progress& progress, int level) {
  if (!IsNormalizeLevel(level)) throw InputRefused(kAbortingOperation);
  RefuseNonNumbers(wave, sel, "normalize");
  wave.WithSamples([&](auto samples) {
    RunRoutine(progress, [&] {
      using Code = typename decltype(samples)::Code;
      // Only the loudest sample of either channel counts. Frames outside the sound read 0 and
      // never raise the peak; with no sample read it stays 0.
      decltype(Excursion(Code{})) loudestExcursion = 0;
      const bool everySample = TakesEverySample<decltype(samples)>(sel);
      WalkSoundRuns(sel, samples.Frames(), progress, PassShare::FirstHalf, [&](int64_t begin, int64_t end) {
        if constexpr (std::is_same_v<Code, Int24> || std::is_same_v<Code, int32_t>) {
          if (everySample) {
            // The loudest of a run is its lowest or its highest code, found by the vector kernel.
            int32_t lo = INT32_MAX, hi = INT32_MIN;
            WideCodeRange(samples.FrameBytes(begin), static_cast<int>(end - begin) * samples.kChannels,
                          std::is_same_v<Code, Int24>, lo, hi);
            for (const int32_t word : {lo, hi}) {
              if (lo > hi) break;  // a run without samples
              Code code;
              if constexpr (std::is_same_v<Code, Int24>) {
                code = Int24Of(word);
              } else {
                code = word;
              }
              loudestExcursion = std::max(loudestExcursion, Excursion(code));
            }
            return;
          }
        }
        if (everySample) {
          // The run's samples side by side, in a loop the compiler can vectorize.
          Code codes[2 * kRunFrames];
          const auto n = static_cast<size_t>(end - begin) * samples.kChannels;
          if (n > 0) std::memcpy(codes, samples.FrameBytes(begin), n * sizeof(Code));
          for (size_t j = 0; j < n; ++j) loudestExcursion = std::max(loudestExcursion, Excursion(codes[j]));
          return;
        }
        for (int64_t i = begin; i < end; ++i) {
          if (sel.Left) loudestExcursion = std::max(loudestExcursion, Excursion(samples.CodeAt(i, false)));
          if (sel.Right) loudestExcursion = std::max(loudestExcursion, Excursion(samples.CodeAt(i, true)));
        }
      });
      const double loudest = loudestExcursion == 0 ? 0.0 : Magnitude(samples, loudestExcursion);
      if (loudest == 0.0) throw CommandError(level == 0 ? kInvalidOperation : kDivisionByZero);
      const double gain = level / (100.0 * loudest);
      const double noShift[2] = {0.0, 0.0};
      RescaleSelectedValues(samples, sel, progress, PassShare::SecondHalf, gain, noShift);
    });
  });
}

void RemoveDCOffset(TWave& wave, const Selection& sel, Progress& progress) {
  RefuseNonNumbers(wave, sel, "remove the DC offset");
  wave.WithSamples([&](auto samples) {
    RunRoutine(progress, [&] {
      // Frames outside the sound add 0, which leaves a sum as it is, so only those inside are read.
      double sum[2] = {0.0, 0.0};
      WalkSoundRuns(sel, samples.Frames(), progress, PassShare::FirstHalf, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) {
          if (sel.Left) sum[0] += samples.ValueOf(samples.CodeAt(i, false));
          if (sel.Right) sum[1] += samples.ValueOf(samples.CodeAt(i, true));
        }
      });
      // A selection that ends one past the sound counts that frame, which reads 0, in its mean.
      const auto count = static_cast<double>(int64_t{sel.SelEnd} - sel.SelStart + 1);
      const double mean[2] = {sum[0] / count, sum[1] / count};
      RescaleSelectedValues(samples, sel, progress, PassShare::SecondHalf, 1.0, mean);
    });
  });
}

namespace {

double HanningWeight(double t) {
  const double s = std::sin(std::numbers::pi * t);
  return s * s;
}

}  // namespace

void ApplyWindow(TWave& wave, const Selection& sel, Progress& progress, WindowKind kind) {
  const int64_t span = int64_t{sel.SelEnd} - sel.SelStart;
  // Invert only flips each code, so it carries what is no number.
  if (kind != WindowKind::Invert) {
    RefuseNonNumbers(wave, sel, kind == WindowKind::FadeIn    ? "fade in"
                                : kind == WindowKind::FadeOut ? "fade out"
                                                              : "apply the Hanning window");
  }
  wave.WithSamples([&](auto samples) {
    using Samples = decltype(samples);
    RunRoutine(progress, [&] {
      if (kind == WindowKind::Invert) {
        if (TakesEverySample<Samples>(sel)) {
          // The samples of a run lie side by side: one pass over their bytes.
          WalkSoundRuns(sel, samples.Frames(), progress, PassShare::Whole, [&](int64_t begin, int64_t end) {
            InvertCodes(samples.FrameBytes(begin), static_cast<size_t>(end - begin) * samples.kChannels * sizeof(typename Samples::Code),
                        Samples::kKind == SampleKind::Float);
          });
          return;
        }
        RewriteSelectedCodes(samples, sel, progress, PassShare::Whole,
                             [](bool, auto code) { return Inverted(code); });
        return;
      }
      // A single frame is both the first and the last of its selection; rather than pick one end
      // of the ramp, the fades and the window keep it: its weight stays 1.
      if (span == 0) {
        WalkBusyRuns(sel.SelStart, sel.SelEnd, {}, progress, PassShare::Whole, [](int64_t, int64_t) {});
        return;
      }
      const double spanLength = static_cast<double>(span);
      const double noShift[2] = {0.0, 0.0};
      // `weightOf(weights, offset, count)` fills the weights of a run, one loop per kind. Positions
      // are whole numbers below 2^33, exact in a double, so counting them up in doubles gives the
      // same t as converting each; the weights come first, in a loop of their own, where the
      // compiler can work on several at once.
      const auto walk = [&](auto weightOf) {
        RescaleRuns(samples, sel, progress, PassShare::Whole, noShift, [&](double* weights, int64_t begin, int count) {
          weightOf(weights, static_cast<double>(begin - sel.SelStart), count);
        });
      };
      switch (kind) {
        case WindowKind::FadeIn:
        case WindowKind::FadeOut:
          walk([&](double* weights, double offset, int count) {
            FadeWeights(weights, offset, spanLength, count, kind == WindowKind::FadeOut);
          });
          break;
        case WindowKind::Hanning:
          walk([&](double* weights, double offset, int count) {
            for (int k = 0; k < count; ++k) weights[k] = HanningWeight((offset + k) / spanLength);
          });
          break;
        case WindowKind::Invert: break;
      }
    });
  });
}

// Swapping two samples' values swaps their codes, as every code reads back as itself. A frame
// outside the sound reads 0, so its partner inside becomes the middle level.
void ReverseSelection(TWave& wave, const Selection& sel, Progress& progress) {
  const int64_t first = sel.SelStart;
  const int64_t last = sel.SelEnd;
  const int64_t pairs = (last - first + 1) / 2;
  wave.WithSamples([&](auto samples) {
    using Samples = decltype(samples);
    const auto swap = [&](int64_t a, int64_t b, bool right) {
      const bool aInside = samples.Inside(a), bInside = samples.Inside(b);
      if (aInside && bInside) {
        const auto codeA = samples.CodeAt(a, right);
        samples.SetCode(a, right, samples.CodeAt(b, right));
        samples.SetCode(b, right, codeA);
      } else if (aInside) {
        samples.SetCode(a, right, Samples::kSilence);
      } else if (bInside) {
        samples.SetCode(b, right, Samples::kSilence);
      }
    };
    RunRoutine(progress, [&] {
      // Reverse counts pairs, not frames, so its gauge moves once per 100 pairs.
      // Only pairs with a frame in the sound change anything: those whose first frame lies in it,
      // and those whose last does.
      const int64_t frames = samples.Frames();
      FrameSpan fromStart{std::max<int64_t>(-first, 0), std::min(frames - first, pairs)};
      FrameSpan fromEnd{std::max<int64_t>(last - frames + 1, 0), std::min(last + 1, pairs)};
      if (fromEnd.Begin < fromStart.Begin) std::swap(fromStart, fromEnd);
      if (fromEnd.Begin <= fromStart.End) {  // overlapping or touching: one span
        fromStart.End = std::max(fromStart.End, fromEnd.End);
        fromEnd = fromStart;
      }
      WalkBusyRuns(0, pairs - 1, {fromStart, fromEnd}, progress, PassShare::Whole, [&](int64_t from, int64_t to) {
        for (int64_t k = from; k <= to; ++k) {
          if (sel.Left) swap(first + k, last - k, false);
          if (sel.Right) swap(first + k, last - k, true);
        }
      });
    });
  });
}
