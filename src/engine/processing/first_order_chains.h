#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "processing/code_rewrite.h"
#include "processing/first_order_lanes.h"
#include "wave/vector_clones.h"

// The loops of a first-order recursion y(n) = Direct(x(n), x(n−1)) + Feedback·y(n−1) over the
// frames of one or both channels of a sound, where y(n−1) is the value of the code stored for the
// frame before, for recursions whose outputs stay far inside what a code can take.
//
// Only the channels' own codes carry from frame to frame; the direct part depends on the inputs
// alone. So a block's direct parts are worked out first, in loops without a recursion that the
// compiler can vectorize, and the recursion itself keeps nothing but each channel's last code in
// a register. Each frame still waits for the code of the one before: a load, an addition, the
// conversion to a code. To keep the processor busy, a long block is taken by chains side by side:
// the first from the block's start, each other from a point inside it, starting from a guess that
// it corrects by running over the frames before that point first without writing. Past the point,
// the true recursion then runs again over the later chain's results until both agree in a frame;
// from there on they cannot differ, as each frame follows from that code and the input alone. The
// result is exactly that of one chain; when the two never agree, the true recursion simply
// finishes the part. The chains of 24- and 32-bit sound, whose frames take longest, run eight
// at a time in the lanes of vectors (first_order_lanes.h).

// Feedback·value of every code, worked out once with that product.
template <class Samples>
struct TableTerms {
  using Held = typename Samples::Held;
  const double* ByCode;  // indexed by the code itself (the middle of the table for words)
  double operator()(Held code) const { return ByCode[code]; }
};

// The same product formed on the spot, for selections too short to pay for a table.
template <class Samples>
struct ProductTerms {
  using Held = typename Samples::Held;
  Samples Sound;
  double Feedback;
  double operator()(Held code) const { return Feedback * Sound.ValueOfHeld(code); }
};

template <class Samples>
std::vector<double> FeedbackTable(const Samples& samples, double feedback) {
  using Code = typename Samples::Code;
  std::vector<double> table(kCodeCount<Samples>);
  for (size_t c = 0; c < table.size(); ++c)
    table[c] = feedback * samples.ValueOf(static_cast<Code>(sizeof(Code) == 1 ? c : c - 32768));
  return table;
}

// Direct(x(n), x(n−1)) of every sample of frames p..q−1 into `out`, laid out as the samples are;
// `xPrev` holds the inputs of frame p − 1 per channel and is left with those of frame q − 1. The
// inputs pass through a small buffer, a run of frames at a time, so that both loops vectorize.
template <class Samples, class Direct>
VELORIN_VECTOR_CLONES void DirectParts(const Samples& samples, Direct direct, int64_t p, int64_t q, double* xPrev,
                                       double* out) {
  constexpr int kChannels = Samples::kChannels;
  constexpr int64_t kRun = 1024;
  // The run's samples seen as one channel, so that the loop over them is a single one.
  using Flat = TypedSamples<SampleLayout<Samples::kKind, 1>>;
  double x[(kRun + 1) * kChannels];
  for (int c = 0; c < kChannels; ++c) x[c] = xPrev[c];
  for (int64_t from = p; from < q; from += kRun) {
    const int64_t frames = std::min(kRun, q - from);
    const Flat run(samples.FrameBytes(from), static_cast<uint32_t>(frames * kChannels));
    for (int64_t i = 0; i < frames * kChannels; ++i) {
      // A 16-bit value is worked out rather than looked up in the table: loads from it do not
      // vectorize.
      if constexpr (Samples::kKind == SampleKind::Word) {
        x[i + kChannels] = SixteenBitValue(run.HeldAt(i, false));
      } else {
        x[i + kChannels] = run.ValueOfHeld(run.HeldAt(i, false));
      }
    }
    double* const to = out + (from - p) * kChannels;
    for (int64_t i = 0; i < frames * kChannels; ++i) to[i] = direct(x[i + kChannels], x[i]);
    for (int c = 0; c < kChannels; ++c) x[c] = x[frames * kChannels + c];
  }
  for (int c = 0; c < kChannels; ++c) xPrev[c] = x[c];
}

template <class Samples, class Direct, class Terms>
class FirstOrderChains {
 public:
  using Held = typename Samples::Held;
  static constexpr int kChannels = Samples::kChannels;

  // Where the recursion stands: the input and the code of the frame it made last, per channel.
  struct State {
    double XPrev[2] = {0.0, 0.0};
    Held Last[2] = {};
  };

  static constexpr int64_t kBlockFrames = 65536;

  // `warmUp`: the frames a guessed state needs to become the true one (0: never split);
  // `outputBound`: what no output's magnitude exceeds.
  FirstOrderChains(Samples samples, Direct direct, Terms terms, int64_t warmUp, double outputBound)
      : samples_(samples), direct_(direct), terms_(terms), warmUp_(warmUp) {
    if constexpr (kLaned<Samples>) laned_ = outputBound < kLaneBound;
  }

  // Frames from..end−1 of the checked channels, block by block; `beforeBlock(last)` is called with
  // the last frame of each block before it is made.
  template <bool kLeft, bool kRight, class BeforeBlock>
  void Run(int64_t from, int64_t end, State& state, BeforeBlock&& beforeBlock) {
    directs_.resize(static_cast<size_t>(std::min(end - from, kBlockFrames) * kChannels));
    // A mono sound keeps its one channel's state under the flag that checks it.
    double* const xPrev = state.XPrev + (kChannels == 1 && kRight);
    for (int64_t p = from; p < end;) {
      const int64_t q = std::min(end, p + kBlockFrames);
      beforeBlock(q - 1);
      DirectParts(samples_, direct_, p, q, xPrev, directs_.data());
      // Four chains keep the processor busier than two, but each warms up: past a few per cent of
      // the block that costs more than it brings. Chains in lanes cost far less a frame, and pay
      // for twice as many.
      if (laned_ && warmUp_ > 0 && 6 * kLanes * warmUp_ <= q - p) {
        if constexpr (kLaned<Samples>) Split<kLanes, kLeft, kRight>(p, q, state);
      } else if (warmUp_ > 0 && 24 * warmUp_ <= q - p) {
        Split<4, kLeft, kRight>(p, q, state);
      } else if (warmUp_ > 0 && 3 * warmUp_ <= q - p) {
        Split<2, kLeft, kRight>(p, q, state);
      } else {
        Serial<kLeft, kRight>(p, p, q, state.Last);
      }
      p = q;
    }
  }

 private:
  // Frame n of the channel `kRight` from the code before it, `last`, which it replaces; `directs`
  // starts at frame p.
  template <bool kRight, bool kWrite>
  static void Step(Samples& samples, const Terms& terms, const double* directs, int64_t p, int64_t n, Held& last) {
    const double direct = directs[(n - p) * kChannels + (kChannels == 2 && kRight)];
    const Held code = Samples::template HeldOf<false>(direct + terms(last));
    if constexpr (kWrite) samples.SetHeld(n, kRight, code);
    last = code;
  }

  // Everything a loop uses is copied in first: stores of sample bytes could otherwise alias it and
  // make the compiler reload it from memory in every frame. `p`: the block's first frame.
  template <bool kLeft, bool kRight>
  void Serial(int64_t from, int64_t p, int64_t end, Held (&lastCodes)[2]) const {
    Samples samples = samples_;
    const Terms terms = terms_;
    const double* const directs = directs_.data();
    Held last[2] = {lastCodes[0], lastCodes[1]};
    for (int64_t n = from; n < end; ++n) {
      if constexpr (kLeft) Step<false, true>(samples, terms, directs, p, n, last[0]);
      if constexpr (kRight) Step<true, true>(samples, terms, directs, p, n, last[1]);
    }
    lastCodes[0] = last[0];
    lastCodes[1] = last[1];
  }

  // Frames p..q−1 by K chains, each making T frames. Chain 0 starts at p from the true state; each
  // later one starts `warmUp_` frames before its own part, from the input there taken as the
  // previous code, and writes nothing until its own part begins.
  template <int K, bool kLeft, bool kRight>
  void Split(int64_t p, int64_t q, State& state) {
    Samples samples = samples_;
    const Terms terms = terms_;
    const double* const directs = directs_.data();
    const int64_t warmUp = warmUp_;
    const int64_t frames = (q - p + (K - 1) * warmUp) / K;
    int64_t own[K + 1];  // where each chain's own part begins; own[K] = q
    own[0] = p;
    for (int c = 1; c < K; ++c) own[c] = p + frames + (c - 1) * (frames - warmUp);
    own[K] = q;
    Held last[K][2];
    int64_t offset[K] = {0};
    last[0][0] = state.Last[0];
    last[0][1] = state.Last[1];
    for (int c = 1; c < K; ++c) {
      offset[c] = own[c] - warmUp - p;
      for (const bool right : {false, true}) last[c][right] = samples.HeldAt(own[c] - warmUp - 1, right);
    }
    // Each chain writes behind the next one's reads, which stay ahead of it all the way. Called
    // once a frame, the steps must be inlined, which the compiler does not always choose to do.
    const auto steps = [&]<bool kWrite>(int64_t n) __attribute__((always_inline)) {
      if constexpr (kLeft) {
        Step<false, true>(samples, terms, directs, p, n, last[0][0]);
#pragma GCC unroll 4
        for (int c = 1; c < K; ++c) Step<false, kWrite>(samples, terms, directs, p, n + offset[c], last[c][0]);
      }
      if constexpr (kRight) {
        Step<true, true>(samples, terms, directs, p, n, last[0][1]);
#pragma GCC unroll 4
        for (int c = 1; c < K; ++c) Step<true, kWrite>(samples, terms, directs, p, n + offset[c], last[c][1]);
      }
    };
    if constexpr (K == kLanes) {
      LaneSteps<kLeft, kRight>(samples, directs, p, p + warmUp, p + frames, offset, last);
    } else {
      for (int64_t n = p; n < p + warmUp; ++n) steps.template operator()<false>(n);
      for (int64_t n = p + warmUp; n < p + frames; ++n) steps.template operator()<true>(n);
    }
    // The frames the division left over go to the last chain.
    Serial<kLeft, kRight>(p + offset[K - 1] + frames, p, q, last[K - 1]);
    // Chain 0 stands truly at the end of its part; the true recursion carries on into each later
    // part until it meets that part's chain.
    Held truth[2] = {last[0][0], last[0][1]};
    for (int c = 1; c < K; ++c) {
      if constexpr (kLeft) Mend<false>(samples, p, own[c], own[c + 1], truth[0], last[c][0]);
      if constexpr (kRight) Mend<true>(samples, p, own[c], own[c + 1], truth[1], last[c][1]);
    }
    state.Last[0] = truth[0];
    state.Last[1] = truth[1];
  }

  // Split's steps from frame p up to `end` with the chains in lanes, writing from frame `write` on.
  template <bool kLeft, bool kRight>
  VELORIN_VECTOR_CLONES void LaneSteps(Samples& samples, const double* directs, int64_t p, int64_t write,
                                       int64_t end, const int64_t (&offset)[kLanes], Held (&last)[kLanes][2]) const {
    using Lanes = LaneCodes<Samples::kKind>;
    const double feedback = terms_.Feedback;
    LaneWords held[2];
    for (int c = 0; c < kLanes; ++c) {
      held[0][c] = last[c][0];
      held[1][c] = last[c][1];
    }
    const auto step = [&]<bool kSide, bool kWrite>(int64_t n) __attribute__((always_inline)) {
      LaneDoubles direct;
#pragma GCC unroll 8
      for (int c = 0; c < kLanes; ++c) direct[c] = directs[(n + offset[c] - p) * kChannels + (kChannels == 2 && kSide)];
      held[kSide] = Lanes::Of(direct + feedback * Lanes::Value(held[kSide]));
#pragma GCC unroll 8
      for (int c = 0; c < kLanes; ++c) {
        if (c == 0 || kWrite) samples.SetHeld(n + offset[c], kSide, held[kSide][c]);
      }
    };
    const auto frame = [&]<bool kWrite>(int64_t n) __attribute__((always_inline)) {
      if constexpr (kLeft) step.template operator()<false, kWrite>(n);
      if constexpr (kRight) step.template operator()<true, kWrite>(n);
    };
    for (int64_t n = p; n < write; ++n) frame.template operator()<false>(n);
    for (int64_t n = write; n < end; ++n) frame.template operator()<true>(n);
    for (int c = 0; c < kLanes; ++c) {
      last[c][0] = held[0][c];
      last[c][1] = held[1][c];
    }
  }

  // Runs the true recursion from the code `truth` over frames begin..end−1 (of the block from p)
  // until a frame where it agrees with what a later chain made there; `truth` then takes the code
  // that chain ended with at `end` − 1.
  template <bool kRight>
  void Mend(Samples& samples, int64_t p, int64_t begin, int64_t end, Held& truth, Held chainLast) const {
    const Terms terms = terms_;
    const double* const directs = directs_.data();
    Held last = truth;
    for (int64_t n = begin; n < end; ++n) {
      Held code = last;
      Step<kRight, false>(samples, terms, directs, p, n, code);
      // Bit for bit: a float's zero has two signs, which the frames after it may tell apart.
      const Held made = samples.HeldAt(n, kRight);
      if (std::memcmp(&code, &made, sizeof code) == 0) {
        truth = chainLast;
        return;
      }
      samples.SetHeld(n, kRight, code);
      last = code;
    }
    truth = last;
  }

  Samples samples_;
  Direct direct_;
  Terms terms_;
  int64_t warmUp_;
  bool laned_ = false;  // whether the chains may run in lanes
  std::vector<double> directs_;
};

// The frames a guessed state takes to come within a fraction of a code of the true one when each
// frame keeps |feedback| of the difference; 0 when the difference never shrinks.
template <class Samples>
int64_t WarmUpFrames(double feedback) {
  const double kept = std::fabs(feedback);
  if (!(kept < 1.0)) return 0;
  // e^−12 of the largest difference, 2, is well below half a code step of 16-bit sound; finer
  // codes need e^−18 (24 bits) or e^−24 (32 bits). A float's step shrinks with its value: e^−24
  // is below half a step of outputs down to about −60 dB, and where the sound is quieter the two
  // chains meet later, the true recursion making the frames up to there a second time.
  const double fraction = Samples::kKind == SampleKind::Triple ? 18.0
                          : Samples::kKind == SampleKind::Long || Samples::kKind == SampleKind::Float ? 24.0
                                                                                                       : 12.0;
  const double frames = kept == 0.0 ? 32.0 : std::max(32.0, std::ceil(fraction / -std::log(kept)));
  return static_cast<int64_t>(std::min(frames, 1e9));
}
