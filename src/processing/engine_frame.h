#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "state/progress.h"
#include "state/selection.h"
#include "wave/wave_document.h"

// How every processing routine walks the selection. Routines that keep state per channel
// (filters, delays) hold it in their visitor; the walk only fixes the order and the gauge.
//
// Frame numbers are 64-bit while a routine computes with them, so that neighbours of frames near
// the ends of the 32-bit range never overflow. Reaching the sound they wrap as the sample access
// takes them (see TypedSamples): a frame before the start lands far past the end, where reads
// give 0 and writes are ignored.

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

// Visits the frames first..last in ascending order (none when last < first) in runs of at most
// kRunFrames that never cross a whole hundred: `run(from, to)` handles frames from..to. The gauge shows the walk's share
// at every frame whose number is a multiple of 100, before the frame is handled, so a long
// routine repaints it at most once per 100 frames and its inner loop carries no gauge at all.
inline constexpr int kRunFrames = 100;

template <class Run>
void WalkRuns(int64_t first, int64_t last, Progress& progress, PassShare share, Run&& run) {
  const int64_t span = last - first;
  for (int64_t from = first; from <= last;) {
    const int64_t below = ((from % kRunFrames) + kRunFrames) % kRunFrames;
    if (below == 0) ShowShare(progress, from - first, span, share);
    const int64_t to = std::min(last, from - below + kRunFrames - 1);
    run(from, to);
    from = to + 1;
  }
}

struct NoFrameStep {
  void operator()(int64_t) const {}
};

// Visits the frames first..last in ascending order: in each one `frameStep(i)` (for what a
// routine forms once per frame), then the left channel, then the right, each only when its flag
// is set. `visit(i, right)` reads, computes and writes one channel of frame i before the next is
// visited.
template <class Visit, class FrameStep = NoFrameStep>
void WalkFrames(int64_t first, int64_t last, const Selection& sel, Progress& progress,
                PassShare share, Visit&& visit, FrameStep&& frameStep = {}) {
  WalkRuns(first, last, progress, share, [&](int64_t from, int64_t to) {
    for (int64_t i = from; i <= to; ++i) {
      frameStep(i);
      if (sel.Left) visit(i, false);
      if (sel.Right) visit(i, true);
    }
  });
}

// WalkFrames over the sound's samples in their layout: `visit(samples, i, right)` gets the
// TypedSamples view, so its reads and writes compile for that one layout.
template <class Visit, class FrameStep = NoFrameStep>
void WalkSamples(TWave& wave, int64_t first, int64_t last, const Selection& sel, Progress& progress,
                 PassShare share, Visit&& visit, FrameStep&& frameStep = {}) {
  wave.WithSamples([&](auto samples) {
    WalkFrames(
        first, last, sel, progress, share, [&](int64_t i, bool right) { visit(samples, i, right); },
        frameStep);
  });
}

// The frames of first..last that lie in the sound, as a half-open range [begin, end); frames
// outside it read 0 and ignore writes. Empty when none does.
inline std::pair<int64_t, int64_t> FramesInside(int64_t first, int64_t last, uint32_t frames) {
  const int64_t begin = std::max<int64_t>(first, 0);
  const int64_t end = std::min<int64_t>(last + 1, frames);
  return {begin, std::max(begin, end)};
}

// A routine from its first pass to its last, then the gauge back to 0. A pass that throws ends
// the routine where it stands, gauge included, as every failed command ends.
template <class Passes>
void RunRoutine(Progress& progress, Passes&& passes) {
  passes();
  progress.SetProgress(0);
}

// One pass of a routine over the whole selection.
template <class Visit>
void WalkSelection(const Selection& sel, Progress& progress, PassShare share, Visit&& visit) {
  WalkFrames(sel.SelStart, sel.SelEnd, sel, progress, share, visit);
}

// A one-pass routine: one walk over the whole gauge.
template <class Visit>
void WalkSelectionOnce(const Selection& sel, Progress& progress, Visit&& visit) {
  RunRoutine(progress, [&] { WalkSelection(sel, progress, PassShare::Whole, visit); });
}
