#pragma once

#include <string>

#include "processing/engine_frame.h"
#include "processing/loudness_normalize.h"
#include "state/progress.h"

class TWave;

// The loudness of a whole sound after ITU-R BS.1770 and EBU R128, measured by libebur128 from the
// samples' values around the middle level. Each figure is -infinity where nothing counts: no
// sample off the middle level for the peaks, no 400 ms block above the gates for the loudness and
// its range.
struct LoudnessFigures {
  double Integrated = 0.0;  // LUFS
  double Range = 0.0;       // LU
  double SamplePeak = 0.0;  // dBFS
  double TruePeak = 0.0;    // dBTP
};

// The gauge fills the share of a walk over the frames. A rate libebur128 does not take fails.
LoudnessFigures MeasureLoudness(TWave& wave, Progress& progress, PassShare share = PassShare::Whole);

// The four lines `integrated X`, `range X`, `sample-peak X`, `true-peak X`, X with one decimal or
// `-inf`.
std::string LoudnessReport(const LoudnessFigures& figures);

// The normalize-loudness command whole: the goal as typed, then the measurement (the first half of
// the gauge) and the one gain (the second half). The goal is checked before anything is read.
LoudnessGain NormalizeLoudness(TWave& wave, Progress& progress, const std::string& targetText,
                               const std::string& ceilingText);
