#pragma once

#include <string>

#include "processing/engine_frame.h"
#include "state/progress.h"

class TWave;

// What normalize-loudness aims at: the integrated loudness in LUFS, and the true peak in dBTP that
// the gain must not push the sound past.
struct LoudnessGoal {
  double Target = -23.0;
  double Ceiling = -1.0;
};

inline constexpr double kLowestLoudness = -70.0;  // LUFS, where the absolute gate lies
inline constexpr double kHighestLoudness = 0.0;

// The goal as typed: numbers (CommandError otherwise), the target from -70 to 0 LUFS and the
// ceiling from -70 to 0 dBTP (InputRefused otherwise). A ceiling above full scale would let an
// integer sample wrap round.
LoudnessGoal ParseLoudnessGoal(const std::string& targetText, const std::string& ceilingText);

// The one gain for the whole sound, and the loudness it reaches.
struct LoudnessGain {
  LoudnessGoal Goal;
  double GainDb = 0.0;
  double Reached = 0.0;
  // The ceiling stopped the gain short of the target.
  bool Limited = false;
};

// The gain that takes a sound of `integrated` LUFS whose true peak is `truePeak` dBTP to the goal,
// stopped where the true peak reaches the ceiling. A sound whose loudness cannot be measured (silent,
// or shorter than one 400 ms block) is refused.
LoudnessGain PlanLoudnessGain(double integrated, double truePeak, const LoudnessGoal& goal);

// A loudness, level or range with one decimal, or `-inf`.
std::string DecibelText(double value);

// The line that says which loudness a limited gain reached.
std::string LimitedGainText(const LoudnessGain& gain);

// Every sample of the sound times the gain around the middle level, as the meter reads it, written
// through the sample mapping; a code that would pass full scale is held there.
void ApplyLoudnessGain(TWave& wave, Progress& progress, PassShare share, double gainDb);
