#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "processing/errors.h"
#include "state/progress.h"
#include "state/selection.h"

class TWave;
struct Session;

// The delay effects: each selected frame mixed with the frame a fixed delay earlier.

// The delay in frames: delayMs · rate / 1000, rounded to nearest with ties to even, exactly.
int64_t DelayFrames(int64_t delayMs, uint32_t sampleRate);

// Replaces each selected frame t whose source t − D also lies in the selection by
// (directWeight·x(t) + delayedWeight·x(t − D)) / (directWeight + delayedWeight), walking backwards
// so that every output is formed from unchanged inputs; the gauge shows k / (count − 1) at every
// hundredth frame k of that walk. With directWeight 0 it is a pure delay, and the D frames from
// SelStart on (also past SelEnd) become silent. A delay not shorter than the whole sound changes
// nothing and leaves the gauge alone. `delayMs` must not be negative.
void DelayMix(TWave& wave, const Selection& sel, Progress& progress, int64_t delayMs, double directWeight,
              double delayedWeight);

// The delay as typed: an integer (CommandError otherwise) of at least 0 (InputRefused
// "Error. Aborting operation." otherwise).
int32_t ParseDelayMs(const std::string& text);

// Delay: the selection moved later by the typed delay.
void DelayCommand(TWave& wave, const Selection& sel, Progress& progress, const std::string& delayText);

// Echo: the typed delay is checked first; then `askAmplitude(text)` gives the echo's amplitude in
// per cent (false: the command ends), an integer from 1 to 100, and the echo is mixed in at that
// strength.
void EchoCommand(TWave& wave, const Selection& sel, Progress& progress, const std::string& delayText,
                 const std::function<bool(std::string& amplitudeText)>& askAmplitude);

// Echo repeat's refusals, each naming the value to type again.
class EchoPeriodRefused : public InputRefused {
 public:
  EchoPeriodRefused() : InputRefused("The echo period must be positive.") {}
};
class EchoAmplitudeRefused : public InputRefused {
 public:
  EchoAmplitudeRefused() : InputRefused("The amplitude factor should be in the interval 0 to 90.") {}
};

struct EchoRepeatPlan {
  int32_t PeriodMs = 0;
  double Amplitude = 0;  // per cent
  int Passes = 0;        // until the echo's gain falls to 5 %
};

// The period (an integer of at least 0, EchoPeriodRefused otherwise) and the amplitude (a number
// from 0 to 90, EchoAmplitudeRefused otherwise) as typed, read in that order (CommandError for
// text that is no number), and the number of echoes round(ln 0.05 / ln(A / 100)). An amplitude of
// 0 has no logarithm: "Floating point division by zero".
EchoRepeatPlan PlanEchoRepeat(const std::string& periodText, const std::string& amplitudeText);

// Pass i of N mixes in the echo i·period later at (A / 100)^i, each on the result of the one
// before; `beforePass(i, N)` comes first in each.
void EchoRepeat(TWave& wave, const Selection& sel, Progress& progress, const EchoRepeatPlan& plan,
                const std::function<void(int pass, int passes)>& beforePass = {});

// Stereo expand: the whole sound made stereo, then four one-channel echoes over all of it, left at
// 5 and 15 ms, right at 10 and 20 ms, ending with everything selected on both channels.
void StereoExpand(Session& session, Progress& progress);
