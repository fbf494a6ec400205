#pragma once

#include <cstdint>

#include "state/progress.h"
#include "state/selection.h"

class TWave;

// The amplitude tools: in-place changes of the selected frames of the checked channels. Each
// shows its progress on the gauge and leaves it at 0 when done. Each is its command whole: the
// window and velorin-cli call it as it stands.

// Every selected sample becomes the middle level (byte 128 in 8-bit sound, 0 in 16-bit).
void MuteSelection(TWave& wave, const Selection& sel, Progress& progress);

// The normalization levels there are: whole per cents from 0 to 100.
inline constexpr int kMinNormalizeLevel = 0;
inline constexpr int kMaxNormalizeLevel = 100;
bool IsNormalizeLevel(int level);

// Scales the selection so that its largest magnitude over the checked channels becomes
// level % of full scale; one gain for both channels keeps their balance. A level that
// IsNormalizeLevel refuses is refused (InputRefused) before anything changes. A silent selection
// has no gain: it fails with "Floating point division by zero" (or "Invalid floating point
// operation" at level 0) after the first pass, before any sample has changed.
void NormalizeSelection(TWave& wave, const Selection& sel, Progress& progress, int level);

// Subtracts from each checked channel its own mean over the selection.
void RemoveDCOffset(TWave& wave, const Selection& sel, Progress& progress);

enum class WindowKind : uint8_t { FadeIn = 0, FadeOut = 1, Hanning = 2, Invert = 3 };

// Multiplies each selected sample by a weight of its position t in the selection (0 at the
// first frame, 1 at the last): the smooth cubic ramp 3t² − 2t³ for fade in, the same ramp
// backwards for fade out, sin²(πt) for the Hanning window, −1 for invert. A one-frame
// selection has no position; the fades and the Hanning window leave that frame as it is.
void ApplyWindow(TWave& wave, const Selection& sel, Progress& progress, WindowKind kind);

// Reverses the order of the selected frames by swapping pairs from both ends; the middle frame
// of an odd count stays where it is.
void ReverseSelection(TWave& wave, const Selection& sel, Progress& progress);
