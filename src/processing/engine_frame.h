#pragma once

#include <cmath>
#include <cstdint>

#include "state/progress.h"
#include "state/selection.h"
#include "wave/wave_document.h"

// How every processing routine walks the selection. Routines that keep state per channel
// (filters, delays) hold it in their visitor; the walk only fixes the order and the gauge.

// Which part of the gauge a pass fills: the whole of it, or one half of a two-pass routine.
enum class PassShare { Whole, FirstHalf, SecondHalf };

// The gauge for `done` steps out of `total`, or nothing when total is 0, since there is then no
// share to show. Ties round to even.
inline void ShowShare(Progress& progress, int64_t done, int64_t total, PassShare share) {
  if (total == 0) return;
  const double ratio = static_cast<double>(done) / static_cast<double>(total);
  double value = 0;
  switch (share) {
    case PassShare::Whole: value = 100 * ratio; break;
    case PassShare::FirstHalf: value = 50 * ratio; break;
    case PassShare::SecondHalf: value = 50 * ratio + 50; break;
  }
  // lrint rounds in the current mode, which is to nearest with ties to even.
  progress.SetProgress(static_cast<int>(std::lrint(value)));
}

// Frame numbers are 64-bit while a routine computes with them, so that neighbours of frames near
// the ends of the 32-bit range never overflow. Reaching the sound they wrap as the sample
// access takes them: a frame before the start lands far past the end, where reads give 0 and
// writes are ignored.
inline uint32_t FrameIndex(int64_t frame) { return static_cast<uint32_t>(frame); }
inline double ReadSample(const TWave& wave, int64_t frame, bool right) {
  return wave.GetSample(FrameIndex(frame), right);
}
inline void WriteSample(TWave& wave, int64_t frame, bool right, double value) {
  wave.SetSample(FrameIndex(frame), right, value);
}

struct NoFrameStep {
  void operator()(int64_t) const {}
};

// Visits the frames first..last in ascending order (none when last < first): in each one
// `frameStep(i)` (for what a routine forms once per frame), then the left channel, then the
// right, each only when its flag is set. `visit(i, right)` reads, computes and writes one
// channel of frame i before the next is visited. The gauge shows the walk's share at every
// frame whose number is a multiple of 100, before the frame is handled, so a long routine
// repaints it at most once per 100 frames. RunRoutine sets it back to 0 after the final pass.
template <class Visit, class FrameStep = NoFrameStep>
void WalkFrames(int64_t first, int64_t last, const Selection& sel, Progress& progress,
                PassShare share, Visit&& visit, FrameStep&& frameStep = {}) {
  const int64_t span = last - first;
  // The next whole hundred at or after `first`, counted without a division in every frame.
  int64_t nextHundred = first - first % 100 + (first % 100 > 0 ? 100 : 0);
  for (int64_t i = first; i <= last; ++i) {
    if (i == nextHundred) {
      ShowShare(progress, i - first, span, share);
      nextHundred += 100;
    }
    frameStep(i);
    if (sel.Left) visit(i, false);
    if (sel.Right) visit(i, true);
  }
}

// One pass of a routine over the whole selection.
template <class Visit>
void WalkSelection(const Selection& sel, Progress& progress, PassShare share, Visit&& visit) {
  WalkFrames(sel.SelStart, sel.SelEnd, sel, progress, share, visit);
}

// A routine from its first pass to its last, then the gauge back to 0. A pass that throws ends
// the routine where it stands, gauge included, as every failed command ends.
template <class Passes>
void RunRoutine(Progress& progress, Passes&& passes) {
  passes();
  progress.SetProgress(0);
}

// A one-pass routine: one walk over the whole gauge.
template <class Visit>
void WalkSelectionOnce(const Selection& sel, Progress& progress, Visit&& visit) {
  RunRoutine(progress, [&] { WalkSelection(sel, progress, PassShare::Whole, visit); });
}
