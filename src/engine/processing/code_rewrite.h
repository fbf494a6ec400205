#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "processing/code_map_rewrite.h"
#include "processing/engine_frame.h"
#include "processing/sample_kernels.h"

// Routines whose new sample depends on nothing but the old one (and the channel) rewrite codes:
// each selected sample of a checked channel becomes CodeOf(f(right, ValueOf(code))). With enough
// samples to pay for it, the new code of every possible code is worked out once, with exactly
// that arithmetic, and the walk only looks codes up.

// A layout with too many codes for a table counts as having more than any selection's samples.
template <class Samples>
inline constexpr size_t kCodeCount = !Samples::kTabled                       ? size_t{1} << 62
                                     : sizeof(typename Samples::Code) == 1 ? 256
                                                                           : 65536;

// `perCode(right, code)` gives the new code of `code` in the channel `right`; it is applied to every
// selected sample of the checked channels in frame order, left before right (twice to the one
// channel of a mono sound when both flags are set, as the single-sample walk does).
template <class Samples, class PerCode>
void RewriteSelectedCodes(Samples& samples, const Selection& sel, Progress& progress, PassShare share,
                          PerCode&& perCode) {
  WalkSoundRuns(sel, samples.Frames(), progress, share, [&](int64_t begin, int64_t end) {
    for (int64_t i = begin; i < end; ++i) {
      if (sel.Left) samples.SetCode(i, false, perCode(false, samples.CodeAt(i, false)));
      if (sel.Right) samples.SetCode(i, true, perCode(true, samples.CodeAt(i, true)));
    }
  });
}

// Whether the selection takes every sample of its frames (both channels of a stereo sound, the one
// channel of a mono sound once), so that a run's samples lie side by side in the image.
template <class Samples>
bool TakesEverySample(const Selection& sel) {
  return Samples::kChannels == 2 ? sel.Left && sel.Right : sel.Left && !sel.Right;
}

template <class Samples>
bool StoreRun(Samples& samples, int64_t begin, int count, const double* values);

// Codes too many for a table: every sample of each run becomes CodeOf(f(right, value)) through the
// vector kernels, or where a value is beyond them, one by one.
template <class Samples, class F>
void RewriteRuns(Samples& samples, const Selection& sel, Progress& progress, PassShare share, F&& f) {
  constexpr int kChannels = Samples::kChannels;
  WalkSoundRuns(sel, samples.Frames(), progress, share, [&](int64_t begin, int64_t end) {
    double values[2 * kRunFrames];
    const int count = static_cast<int>(end - begin);
    for (int k = 0; k < count; ++k) {
      for (int c = 0; c < kChannels; ++c)
        values[kChannels * k + c] = f(c == 1, samples.ValueOf(samples.CodeAt(begin + k, c == 1)));
    }
    if (StoreRun(samples, begin, count, values)) return;
    for (int k = 0; k < count * kChannels; ++k)
      samples.SetCode(begin + k / kChannels, k % kChannels == 1, Samples::CodeOf(values[k]));
  });
}

// Every selected sample of a checked channel becomes CodeOf(f(right, value)). `f` must give a value
// that can be stored for every value of the layout, since the table holds all codes, not only
// those present.
template <class Samples, class F>
void RewriteSelectedValues(Samples& samples, const Selection& sel, Progress& progress, PassShare share, F&& f) {
  using Code = typename Samples::Code;
  const auto direct = [&](bool right, Code code) { return Samples::CodeOf(f(right, samples.ValueOf(code))); };
  const auto [begin, end] = FramesInside(sel.SelStart, sel.SelEnd, samples.Frames());
  const int64_t work = (end - begin) * (int{sel.Left} + int{sel.Right});
  if constexpr (!Samples::kTabled) {
    if (TakesEverySample<Samples>(sel)) {
      RewriteRuns(samples, sel, progress, share, f);
      return;
    }
  }
  if (work < static_cast<int64_t>(kCodeCount<Samples>)) {
    RewriteSelectedCodes(samples, sel, progress, share, direct);
    return;
  }
  if constexpr (Samples::kTabled) RewriteThroughTable(samples, sel, progress, share, direct);
}

template <class Samples>
bool RescaleRun(Samples& samples, int64_t begin, int count, const double* frameScale, const double shift[2]);

// Every selected sample of a checked channel becomes CodeOf(scales[k] · value − shift[right]), where
// `fillScales(scales, begin, count)` gives the scales of each run's frames. Where a run's samples
// lie side by side the vector kernels take it; otherwise, or where they leave it, it goes sample
// by sample (left before right, twice over the one channel of a mono sound with both checked).
template <class Samples, class FillScales>
void RescaleRuns(Samples& samples, const Selection& sel, Progress& progress, PassShare share, const double shift[2],
                 FillScales&& fillScales) {
  const bool everySample = TakesEverySample<Samples>(sel);
  double scales[kRunFrames];
  WalkSoundRuns(sel, samples.Frames(), progress, share, [&](int64_t begin, int64_t end) {
    const int count = static_cast<int>(end - begin);
    fillScales(scales, begin, count);
    if (everySample && RescaleRun(samples, begin, count, scales, shift)) return;
    for (int k = 0; k < count; ++k) {
      const int64_t i = begin + k;
      if (sel.Left) samples.Write(i, false, scales[k] * samples.ValueOf(samples.CodeAt(i, false)) - shift[0]);
      if (sel.Right) samples.Write(i, true, scales[k] * samples.ValueOf(samples.CodeAt(i, true)) - shift[1]);
    }
  });
}

// Every selected sample of a checked channel becomes CodeOf(scale · value − shift[right]): through a
// table of every code where the codes are few, through the vector kernels where a run's samples
// lie side by side.
template <class Samples>
void RescaleSelectedValues(Samples& samples, const Selection& sel, Progress& progress, PassShare share, double scale,
                           const double shift[2]) {
  if constexpr (!Samples::kTabled) {
    if (TakesEverySample<Samples>(sel)) {
      RescaleRuns(samples, sel, progress, share, shift,
                  [scale](double* scales, int64_t, int count) { std::fill(scales, scales + count, scale); });
      return;
    }
  }
  const double left = shift[0], right = shift[1];
  RewriteSelectedValues(samples, sel, progress, share,
                        [=](bool isRight, double value) { return scale * value - (isRight ? right : left); });
}

// The `count` frames from `begin`, all inside the sound and every sample taken: each code becomes
// CodeOf(frameScale[k] * value - shift[right]) through the vector kernels. False, with nothing
// changed, when the kernel leaves the run to the single-sample form.
template <class Samples>
bool RescaleRun(Samples& samples, int64_t begin, int count, const double* frameScale, const double shift[2]) {
  constexpr int kChannels = Samples::kChannels;
  if (count <= 0 || count * kChannels > kKernelRun) return false;
  double scale[kKernelRun], offset[kKernelRun];
  for (int k = 0; k < count; ++k) {
    for (int c = 0; c < kChannels; ++c) {
      scale[kChannels * k + c] = frameScale[k];
      offset[kChannels * k + c] = shift[c];
    }
  }
  uint8_t* bytes = samples.FrameBytes(begin);
  switch (Samples::kKind) {
    case SampleKind::Byte: return ScaleBytes(bytes, scale, offset, count * kChannels);
    case SampleKind::Word: return ScaleWords(bytes, scale, offset, count * kChannels);
    case SampleKind::Triple: return ScaleTriples(bytes, scale, offset, count * kChannels);
    case SampleKind::Long: return ScaleLongs(bytes, scale, offset, count * kChannels);
    case SampleKind::Float: return ScaleFloats(bytes, scale, offset, count * kChannels);
  }
  return false;
}

// The `count` frames from `begin`, all inside the sound and every sample taken: each code becomes
// CodeOf(values[j]), values in file order. False, with nothing changed, when a value lies beyond
// what the vector kernels take; the single-sample form then stores it (or refuses it).
template <class Samples>
bool StoreRun(Samples& samples, int64_t begin, int count, const double* values) {
  constexpr int kChannels = Samples::kChannels;
  if (count <= 0 || count * kChannels > kKernelRun) return false;
  uint8_t* bytes = samples.FrameBytes(begin);
  switch (Samples::kKind) {
    case SampleKind::Byte: return StoreBytes(bytes, values, count * kChannels);
    case SampleKind::Word: return StoreWords(bytes, values, count * kChannels);
    case SampleKind::Triple: return StoreTriples(bytes, values, count * kChannels);
    case SampleKind::Long: return StoreLongs(bytes, values, count * kChannels);
    case SampleKind::Float: return StoreFloats(bytes, values, count * kChannels);
  }
  return false;
}
