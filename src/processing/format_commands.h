#pragma once

class TWave;
struct ViewState;

// The "Wave data" commands that the window and velorin-cli share. Each converts the whole sound
// and keeps the view on the same stretch of time; the caller then refreshes and selects all.

enum class FormatConversion { DoubleRate, HalveRate, To16Bit, To8Bit, ToStereo, ToMono };

inline constexpr const char* kIncompatibleSampleRate =
    "Incompatible samplerate; use SoundRec to convert manually to 44 kHz 16 bit stereo PCM wave.";

// One conversion; the rate conversions double or halve the view's end with the frames.
void ConvertFormat(TWave& wave, ViewState& state, FormatConversion conversion);

// 44100 Hz, 16-bit, stereo. Only rates of 44100 Hz times a whole power of two can get there,
// by repeated doubling or halving. Any other rate is refused (InputRefused with
// kIncompatibleSampleRate), and a result too large to hold fails; both before anything changes.
void ConvertToCDFormat(TWave& wave, ViewState& state);
