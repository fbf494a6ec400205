#pragma once

#include <cstdint>
#include <string>

#include "state/progress.h"
#include "state/selection.h"

class TWave;
class RandomGenerator;

// Noise and signals, each in place over the selected frames of the checked channels, the gauge at
// every hundredth frame.

// Adds uniform noise of ±level/200 in 2000 steps, one draw from `random` per selected sample (frames
// past the end of the sound included), left before right in each frame.
void AddNoise(TWave& wave, const Selection& sel, Progress& progress, RandomGenerator& random, int32_t level);

// Silences each sample whose channel's envelope, the mean magnitude over the 10 frames on either
// side, lies below level / 100. The gate works in place, so the envelope reads the samples before
// it as gated; near the ends of the selection it sums 11 frames on one side only (reading up to
// 10 frames past SelEnd), and it divides by 10 or 20.
void NoiseGate(TWave& wave, const Selection& sel, Progress& progress, int32_t level);

// The noise level as typed: an integer (CommandError otherwise) from 0 to 100 (InputRefused
// "Error. Aborting operation." otherwise).
int32_t ParseNoiseLevel(const std::string& text);

void AddNoiseCommand(TWave& wave, const Selection& sel, Progress& progress, RandomGenerator& random,
                     const std::string& levelText);
void NoiseGateCommand(TWave& wave, const Selection& sel, Progress& progress, const std::string& levelText);

enum class SignalKind : uint8_t { Sine = 0, Square = 1 };

struct SignalPlan {
  SignalKind Kind = SignalKind::Sine;
  int32_t F0 = 0;         // hertz
  int32_t Amplitude = 0;  // per cent of full scale
};

// The frequency and the amplitude as typed, in that order: integers (CommandError otherwise), neither
// below 0 (InputRefused "Error, negative input." otherwise).
SignalPlan PlanSignal(SignalKind kind, const std::string& f0Text, const std::string& amplitudeText);

// Adds the signal to each selected frame i, its phase counted from frame 0 of the sound: the sine
// (A / 100)·sin(2π·F0·i / rate), the square (A / 100)·(−1)^n with n = round(2·F0·i / rate), ties to
// even, both worked out exactly in integers as far as the phase goes, whatever the frame and F0.
void GenerateSignal(TWave& wave, const Selection& sel, Progress& progress, const SignalPlan& plan);
