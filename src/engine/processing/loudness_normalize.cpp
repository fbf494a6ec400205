#include "processing/loudness_normalize.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "processing/centered_frames.h"
#include "processing/code_rewrite.h"
#include "processing/errors.h"
#include "processing/number_text.h"
#include "state/view_state.h"

LoudnessGoal ParseLoudnessGoal(const std::string& targetText, const std::string& ceilingText) {
  const LoudnessGoal goal{StrToFloat(targetText), StrToFloat(ceilingText)};
  const auto inside = [](double x) { return x >= kLowestLoudness && x <= kHighestLoudness; };
  if (!inside(goal.Target)) throw InputRefused("The target loudness must lie between -70 and 0 LUFS");
  if (!inside(goal.Ceiling)) throw InputRefused("The true-peak ceiling must lie between -70 and 0 dBTP");
  return goal;
}

LoudnessGain PlanLoudnessGain(double integrated, double truePeak, const LoudnessGoal& goal) {
  if (!std::isfinite(integrated))
    throw InputRefused("The sound is silent or shorter than 0.4 s: it has no loudness to normalize");
  LoudnessGain gain{.Goal = goal, .GainDb = goal.Target - integrated};
  // The true peak moves with the gain, decibel for decibel.
  if (truePeak + gain.GainDb > goal.Ceiling) {
    gain.GainDb = goal.Ceiling - truePeak;
    gain.Limited = true;
  }
  gain.Reached = integrated + gain.GainDb;
  return gain;
}

std::string DecibelText(double value) {
  if (!std::isfinite(value)) return value < 0 ? "-inf" : "inf";
  std::array<char, 32> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 1);
  return std::string(text.data(), result.ptr);
}

std::string LimitedGainText(const LoudnessGain& gain) {
  return "The true peak reached the ceiling of " + DecibelText(gain.Goal.Ceiling) + " dBTP: the loudness is " +
         DecibelText(gain.Reached) + " LUFS instead of " + DecibelText(gain.Goal.Target) + " LUFS";
}

void ApplyLoudnessGain(TWave& wave, Progress& progress, PassShare share, double gainDb) {
  const double factor = std::pow(10.0, gainDb / 20.0);
  // The gain acts on the samples as the meter read them, around the middle level: scaled there,
  // every figure moves decibel for decibel and no offset is added. A code the rounding would take
  // past full scale stays at full scale instead of wrapping round into a click.
  const CenteredScale scale = CenteredScaleOf(wave);
  const double shift = (factor - 1.0) * scale.Middle;
  ViewState whole;
  SelectAll(whole, wave);
  wave.WithSamples([&](auto samples) {
    RunRoutine(progress, [&] {
      RewriteSelectedValues(samples, whole.Sel, progress, share, [&](bool, double value) {
        return std::clamp(factor * value - shift, scale.Low, scale.High);
      });
    });
  });
}
