#pragma once

#include <cstring>
#include <vector>

#include "processing/code_rewrite.h"
#include "processing/engine_frame.h"
#include "processing/first_order_chains.h"
#include "processing/first_order_recursion.h"

// RunRecursion's body, for the files that build it for one layout each.

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

// One recursion's walk over its output frames. Per frame the left channel comes first. A mono
// sound with both flags set filters its one channel twice, the second pass reading the first's
// output as its input, both reading the frame before as stored; that case keeps to the
// single-sample form, as do recursions whose outputs may be too large to store.
template <class Samples, class Direct>
class RecursionWalk {
 public:
  using Code = typename Samples::Code;
  static constexpr bool kMono = Samples::kChannels == 1;

  RecursionWalk(Samples& samples, const Selection& sel, Progress& progress, const Recursion& walk,
                const Recurrence<Direct>& recurrence)
      : samples_(samples),
        sel_(sel),
        walk_(walk),
        recurrence_(recurrence),
        inside_(FramesInside(walk.FirstOutput, walk.LastOutput, samples.Frames())),
        gauge_(progress, walk.FirstOutput - walk.Shift, walk.GaugeSpan, PassShare::Whole),
        shownTo_(walk.FirstOutput - walk.Shift - 1) {
    // Output frames before the sound read 0 and keep nothing, so the first one inside follows
    // either the first selected frame or a frame outside the sound, whose input was 0.
    for (const bool right : {false, true}) {
      xPrev_[right] = inside_.Begin == walk.FirstOutput ? walk.FirstInput[right] : 0.0;
      yPrev_[right] = samples.Read(inside_.Begin - 1, right);
    }
  }

  // Whether no output can be too large to store, so that the walk cannot fail halfway.
  bool Storable() const { return recurrence_.OutputBound < Samples::kStorableBound; }
  FrameSpan Inside() const { return inside_; }

  void Run() {
    // The value stored before the first frame inside may be no code's (0 outside the sound), so
    // that frame takes the general form.
    if (inside_.Begin < inside_.End) {
      ShowUpTo(inside_.Begin);
      General(inside_.Begin);
    }
    if ((kMono && sel_.Left && sel_.Right) || !Storable()) {
      for (int64_t n = inside_.Begin + 1; n < inside_.End; ++n) {
        ShowUpTo(n);
        General(n);
      }
    } else if (inside_.End - inside_.Begin > 1) {
      RunChainsOnTerms();
    }
    ShowUpTo(walk_.LastOutput);
  }

 private:
  // Frame n by the single-sample form.
  void General(int64_t n) {
    double stored[2] = {yPrev_[0], yPrev_[1]};
    for (const bool right : {false, true}) {
      if (!(right ? sel_.Right : sel_.Left)) continue;
      const int store = kMono ? 0 : right;
      const double x = samples_.ValueOf(samples_.CodeAt(n, right));
      const Code code =
          Samples::CodeOf(recurrence_.DirectPart(x, xPrev_[right]) + recurrence_.Feedback * yPrev_[store]);
      samples_.SetCode(n, right, code);
      xPrev_[right] = x;
      stored[store] = samples_.ValueOf(code);
    }
    yPrev_[0] = stored[0];
    yPrev_[1] = stored[1];
  }

  // The gauge moves through every whole hundred of steps up to the one of output frame `last`
  // before that frame is made.
  void ShowUpTo(int64_t last) {
    const int64_t step = std::min(last - walk_.Shift, walk_.LastOutput - walk_.Shift);
    if (step > shownTo_) gauge_.Across(shownTo_ + 1, step);
    shownTo_ = std::max(shownTo_, step);
  }

  // Frames after the first inside by the chains, with the feedback terms from a table where the
  // selection has enough samples to pay for one.
  void RunChainsOnTerms() {
    if constexpr (Samples::kTabled) {
      const int64_t channelSamples = (inside_.End - inside_.Begin) * (int{sel_.Left} + int{sel_.Right});
      if (channelSamples >= static_cast<int64_t>(kCodeCount<Samples>)) {
        const std::vector<double> table = FeedbackTable(samples_, recurrence_.Feedback);
        RunChainsWith(TableTerms<Samples>{table.data() + (sizeof(Code) == 1 ? 0 : 32768)});
        return;
      }
    }
    RunChainsWith(ProductTerms<Samples>{samples_, recurrence_.Feedback});
  }

  template <class Terms>
  void RunChainsWith(Terms terms) {
    typename FirstOrderChains<Samples, Direct, Terms>::State state;
    for (const bool right : {false, true}) {
      state.XPrev[right] = xPrev_[right];
      state.Last[right] = samples_.HeldAt(inside_.Begin, right);
    }
    RunChains(samples_, sel_, recurrence_, terms, inside_.Begin + 1, inside_.End, state,
              [&](int64_t last) { ShowUpTo(last); });
  }

  Samples& samples_;
  const Selection& sel_;
  const Recursion& walk_;
  const Recurrence<Direct>& recurrence_;
  const FrameSpan inside_;
  WalkGauge gauge_;
  int64_t shownTo_;
  double xPrev_[2];
  double yPrev_[2];
};

// Runs `walk` over the samples of `inside`, putting them back as they were when it fails: outputs
// whose magnitude can reach the layout's kStorableBound may be too large to store at all.
template <class Samples, class Walk>
void RestoringOnFailure(Samples& samples, FrameSpan inside, Walk&& walk) {
  const size_t bytes = static_cast<size_t>(inside.End - inside.Begin) * sizeof(typename Samples::Code) * Samples::kChannels;
  std::vector<uint8_t> kept(bytes);
  if (bytes != 0) std::memcpy(kept.data(), samples.FrameBytes(inside.Begin), bytes);
  try {
    walk();
  } catch (...) {
    if (bytes != 0) std::memcpy(samples.FrameBytes(inside.Begin), kept.data(), bytes);
    throw;
  }
}

template <class Samples, class Direct>
void RunRecursion(Samples& samples, const Selection& sel, Progress& progress, const Recursion& walk,
                  const Recurrence<Direct>& recurrence) {
  RecursionWalk<Samples, Direct> recursion(samples, sel, progress, walk, recurrence);
  if (recursion.Storable()) {
    recursion.Run();
  } else {
    RestoringOnFailure(samples, recursion.Inside(), [&] { recursion.Run(); });
  }
}
