#pragma once

#include <cstring>
#include <vector>

#include "processing/code_rewrite.h"
#include "processing/engine_frame.h"
#include "processing/first_order_chains.h"
#include "processing/first_order_recursion.h"

// RunRecursion's body, for the files that build it for one layout each.

// Outputs whose magnitude can reach the layout's kStorableBound may be too large to store at all;
// the walk then keeps the old samples, to put them back when it fails.

// The frames of output..end−1 (all inside the sound, channels held apart) by the chains of one
// kind of feedback term, from `state`.
template <class Samples, class Direct, class Terms, class BeforeBlock>
void RunChains(Samples& samples, const Selection& sel, const Recurrence<Direct>& recurrence, Terms terms,
               int64_t output, int64_t end, typename FirstOrderChains<Samples, Direct, Terms>::State& state,
               BeforeBlock&& beforeBlock) {
  using Chains = FirstOrderChains<Samples, Direct, Terms>;
  Chains chains(samples, recurrence.DirectPart, terms, WarmUpFrames<Samples>(recurrence.Feedback),
                recurrence.OutputBound);
  if (sel.Left && sel.Right) {
    chains.template Run<true, true>(output, end, state, beforeBlock);
  } else if (sel.Left) {
    chains.template Run<true, false>(output, end, state, beforeBlock);
  } else if (sel.Right) {
    chains.template Run<false, true>(output, end, state, beforeBlock);
  }
}

// Per frame the left channel comes first. A mono sound with both flags set filters its one channel
// twice, the second pass reading the first's output as its input, both reading the frame before as
// stored; that case keeps to the single-sample form, as do recursions whose outputs may be too
// large to store, which put the old samples back when they fail.
template <class Samples, class Direct>
void RunRecursion(Samples& samples, const Selection& sel, Progress& progress, const Recursion& walk,
                  const Recurrence<Direct>& recurrence) {
  using Code = typename Samples::Code;
  constexpr bool kMono = Samples::kChannels == 1;
  const FrameSpan inside = FramesInside(walk.FirstOutput, walk.LastOutput, samples.Frames());
  const bool twice = kMono && sel.Left && sel.Right;
  const Direct& direct = recurrence.DirectPart;
  const bool storable = recurrence.OutputBound < Samples::kStorableBound;
  // Output frames before the sound read 0 and keep nothing, so the first one inside follows either
  // the first selected frame or a frame outside the sound, whose input was 0. The value stored
  // before it may be no code's (0 outside the sound), so that frame takes the general form.
  double xPrev[2], yPrev[2];
  for (const bool right : {false, true}) {
    xPrev[right] = inside.Begin == walk.FirstOutput ? walk.FirstInput[right] : 0.0;
    yPrev[right] = samples.Read(inside.Begin - 1, right);
  }
  const auto general = [&](int64_t n) {
    double stored[2] = {yPrev[0], yPrev[1]};
    for (const bool right : {false, true}) {
      if (!(right ? sel.Right : sel.Left)) continue;
      const int store = kMono ? 0 : right;
      const double x = samples.ValueOf(samples.CodeAt(n, right));
      const Code code = Samples::CodeOf(direct(x, xPrev[right]) + recurrence.Feedback * yPrev[store]);
      samples.SetCode(n, right, code);
      xPrev[right] = x;
      stored[store] = samples.ValueOf(code);
    }
    yPrev[0] = stored[0];
    yPrev[1] = stored[1];
  };
  const int64_t firstStep = walk.FirstOutput - walk.Shift;
  const int64_t lastStep = walk.LastOutput - walk.Shift;
  WalkGauge gauge(progress, firstStep, walk.GaugeSpan, PassShare::Whole);
  // The gauge moves through every whole hundred of steps up to the one of output frame `last`
  // before that frame is made.
  int64_t shownTo = firstStep - 1;
  const auto showUpTo = [&](int64_t last) {
    const int64_t step = std::min(last - walk.Shift, lastStep);
    if (step > shownTo) gauge.Across(shownTo + 1, step);
    shownTo = std::max(shownTo, step);
  };
  const auto walkAll = [&] {
    if (inside.Begin < inside.End) {
      showUpTo(inside.Begin);
      general(inside.Begin);
    }
    if (twice || !storable) {
      for (int64_t n = inside.Begin + 1; n < inside.End; ++n) {
        showUpTo(n);
        general(n);
      }
    } else if (inside.End - inside.Begin > 1) {
      const int64_t channelSamples = (inside.End - inside.Begin) * (int{sel.Left} + int{sel.Right});
      const auto chains = [&](auto terms) {
        typename FirstOrderChains<Samples, Direct, decltype(terms)>::State state;
        for (const bool right : {false, true}) {
          state.XPrev[right] = xPrev[right];
          state.Last[right] = samples.HeldAt(inside.Begin, right);
        }
        RunChains(samples, sel, recurrence, terms, inside.Begin + 1, inside.End, state,
                  [&](int64_t last) { showUpTo(last); });
      };
      bool tabled = false;
      if constexpr (Samples::kTabled) {
        tabled = channelSamples >= static_cast<int64_t>(kCodeCount<Samples>);
        if (tabled) {
          const std::vector<double> table = FeedbackTable(samples, recurrence.Feedback);
          chains(TableTerms<Samples>{table.data() + (sizeof(Code) == 1 ? 0 : 32768)});
        }
      }
      if (!tabled) chains(ProductTerms<Samples>{samples, recurrence.Feedback});
    }
    showUpTo(walk.LastOutput);
  };
  if (storable) {
    walkAll();
    return;
  }
  const size_t bytes = static_cast<size_t>(inside.End - inside.Begin) * sizeof(Code) * Samples::kChannels;
  std::vector<uint8_t> kept(bytes);
  if (bytes != 0) std::memcpy(kept.data(), samples.FrameBytes(inside.Begin), bytes);
  try {
    walkAll();
  } catch (...) {
    if (bytes != 0) std::memcpy(samples.FrameBytes(inside.Begin), kept.data(), bytes);
    throw;
  }
}
