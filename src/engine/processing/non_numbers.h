#pragma once

#include <cstdint>
#include <string>

#include "state/selection.h"
#include "wave/sample_codes.h"

class TWave;

// A float sound can hold values that are no numbers (NaN) or infinite, which no arithmetic turns
// back into sound: a command that computes with the samples refuses them before it changes
// anything, naming where the first one lies, rather than spreading them or failing halfway.
// Commands that only move or copy samples carry them as they are.

// InputRefused "Cannot ACTION: frame N (left) holds a value that is not a number" (or "holds the
// value -inf") for the first such sample of frames first..last (clipped to the sound) in the
// channels taken (either flag takes the one channel of a mono sound); `of` follows the channel
// (" of the clipboard"). Sounds of integer codes hold nothing else.
void RefuseNonNumbers(const TWave& wave, int64_t first, int64_t last, bool left, bool right, const std::string& action,
                      const std::string& of = {});

inline void RefuseNonNumbers(const TWave& wave, const Selection& sel, const std::string& action) {
  RefuseNonNumbers(wave, sel.SelStart, sel.SelEnd, sel.Left, sel.Right, action);
}
// Every sample of the sound.
void RefuseNonNumbers(const TWave& wave, const std::string& action, const std::string& of = {});

// For a conversion of a float sound to codes of kind `to`: what is no number, and values so far
// beyond full scale that the rounding cannot take them, are refused as above. Nearer values wrap
// as every value beyond full scale does.
void RefuseUnconvertible(const TWave& wave, SampleKind to, const std::string& action, const std::string& of = {});
