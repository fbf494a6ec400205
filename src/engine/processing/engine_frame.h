#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "state/progress.h"
#include "state/selection.h"
#include "wave/wave_document.h"

// How every processing routine walks the selection: in runs of frames, the gauge moved between
// runs, so that a routine's inner loop carries no gauge at all.
//
// Frame numbers are 64-bit while a routine computes with them, so that neighbours of frames near
// the ends of the 32-bit range never overflow. Reaching the sound they wrap as the sample access
// takes them (see TypedSamples): a frame before the start lands far past the end, where reads
// give 0 and writes are ignored.

// Which part of the gauge a pass fills: the whole of it, or one half of a two-pass routine.
enum class PassShare { Whole, FirstHalf, SecondHalf };

// The gauge value for `done` steps out of `total` (total > 0). Ties round to even.
inline int ShareValue(int64_t done, int64_t total, PassShare share) {
  const double ratio = static_cast<double>(done) / static_cast<double>(total);
  double value = 0;
  switch (share) {
    case PassShare::Whole: value = 100 * ratio; break;
    case PassShare::FirstHalf: value = 50 * ratio; break;
    case PassShare::SecondHalf: value = 50 * ratio + 50; break;
  }
  // lrint rounds in the current mode, which is to nearest with ties to even.
  return static_cast<int>(std::lrint(value));
}

inline constexpr int kRunFrames = 100;

// Frames from..to-1 (half-open) where a walk has work to do.
struct FrameSpan {
  int64_t Begin = 0;
  int64_t End = 0;
};

// The frames of first..last that lie in the sound, frames 0..frames-1 (for frame numbers within
// the 32-bit range); frames outside it read 0 and ignore writes. Empty when none does.
inline FrameSpan FramesInside(int64_t first, int64_t last, uint32_t frames) {
  const int64_t begin = std::max<int64_t>(first, 0);
  const int64_t end = std::min<int64_t>(last + 1, frames);
  return {begin, std::max(begin, end)};
}

// The gauge of one walk over first..last: its share at whole hundreds, shown only when it differs
// from what the gauge shows already, which the gauge would not repaint anyway.
class WalkGauge {
 public:
  // The share of frame i is (i - first) / span; a span of 0 shows nothing.
  WalkGauge(Progress& progress, int64_t first, int64_t span, PassShare share)
      : progress_(progress), first_(first), span_(span), share_(share) {}

  void At(int64_t hundred) {
    if (span_ == 0) return;
    const int value = ShareValue(hundred - first_, span_, share_);
    if (value == shown_) return;
    progress_.SetProgress(value);
    shown_ = value;
  }

  // Every whole hundred in from..to, where nothing else happens: the share only grows, so each
  // value it takes is found by bisection, in time that does not depend on the frames crossed.
  void Across(int64_t from, int64_t to) {
    int64_t low = FloorHundreds(from + kRunFrames - 1);
    const int64_t high = FloorHundreds(to);
    while (low <= high && span_ != 0) {
      At(low * kRunFrames);
      const int value = shown_;
      int64_t a = low, b = high + 1;  // the first hundred past `low` with a larger share lies in (a, b]
      while (b - a > 1) {
        const int64_t mid = a + (b - a) / 2;
        if (ShareValue(mid * kRunFrames - first_, span_, share_) > value) {
          b = mid;
        } else {
          a = mid;
        }
      }
      low = b;
    }
  }

 private:
  static int64_t FloorHundreds(int64_t frame) {
    return frame >= 0 ? frame / kRunFrames : -((-frame + kRunFrames - 1) / kRunFrames);
  }

  Progress& progress_;
  int64_t first_;
  int64_t span_;
  PassShare share_;
  int shown_ = -1;
};

// Visits the frames of first..last that lie in `busy` (spans in ascending order, not
// overlapping) in runs of at most kRunFrames that never cross a whole hundred: `run(from, to)`
// handles frames from..to. The gauge shows the walk's share at every frame whose number is a
// multiple of 100, before the frame is handled, so a long routine repaints it at most once per
// 100 frames and its inner loop carries no gauge at all. Frames outside the busy spans are
// passed over in time that does not depend on their number, the gauge moving as it would.
template <class Run>
void WalkBusyRuns(int64_t first, int64_t last, std::initializer_list<FrameSpan> busy, WalkGauge& gauge, Run&& run) {
  int64_t cursor = first;
  for (const FrameSpan& span : busy) {
    const int64_t begin = std::max(span.Begin, cursor);
    const int64_t end = std::min(span.End, last + 1);
    if (begin >= end) continue;
    if (begin > cursor) gauge.Across(cursor, begin - 1);
    for (int64_t from = begin; from < end;) {
      const int64_t below = ((from % kRunFrames) + kRunFrames) % kRunFrames;
      if (below == 0) gauge.At(from);
      const int64_t to = std::min(end - 1, from - below + kRunFrames - 1);
      run(from, to);
      from = to + 1;
    }
    cursor = end;
  }
  if (cursor <= last) gauge.Across(cursor, last);
}

// The same with the gauge's share of frame i being (i - first) / (last - first).
template <class Run>
void WalkBusyRuns(int64_t first, int64_t last, std::initializer_list<FrameSpan> busy, Progress& progress,
                  PassShare share, Run&& run) {
  WalkGauge gauge(progress, first, last - first, share);
  WalkBusyRuns(first, last, busy, gauge, run);
}

// A walk over the selection that works only on the frames of a sound of `frames` frames, in runs:
// `run(begin, end)` handles frames begin..end-1, all inside the sound. Frames outside read 0 and
// ignore writes, so a routine whose work there changes nothing passes them over.
template <class Run>
void WalkSoundRuns(const Selection& sel, uint32_t frames, Progress& progress, PassShare share, Run&& run) {
  WalkBusyRuns(sel.SelStart, sel.SelEnd, {FramesInside(sel.SelStart, sel.SelEnd, frames)}, progress, share,
               [&](int64_t from, int64_t to) { run(from, to + 1); });
}

// A routine from its first pass to its last, then the gauge back to 0. A pass that throws ends
// the routine where it stands, gauge included, as every failed command ends.
template <class Passes>
void RunRoutine(Progress& progress, Passes&& passes) {
  passes();
  progress.SetProgress(0);
}
