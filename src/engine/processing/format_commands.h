#pragma once

struct Session;

// The "Wave data" commands that the window and velorin-cli share, each whole: it converts the
// whole sound, keeps the view on the same stretch of time and ends with everything selected,
// also when the sound already had the format asked for.

enum class FormatConversion { DoubleRate, HalveRate, To16Bit, To8Bit, To24Bit, ToFloat, ToStereo, ToMono };

inline constexpr const char* kIncompatibleSampleRate =
    "Incompatible samplerate; use SoundRec to convert manually to 44 kHz 16 bit stereo PCM wave.";

// One conversion; the rate conversions double or halve the view's end with the frames.
void ConvertFormat(Session& session, FormatConversion conversion);

// 44100 Hz, 16-bit, stereo, from any resolution. Only rates of 44100 Hz times a whole power of two can get there,
// by repeated doubling or halving. Any other rate is refused (InputRefused with
// kIncompatibleSampleRate), and a result too large to hold fails; both before anything changes.
void ConvertToCDFormat(Session& session);
