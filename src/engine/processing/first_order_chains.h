#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "processing/code_rewrite.h"

// The loops of a first-order recursion y(n) = Direct(x(n), x(n−1)) + Feedback·y(n−1) over the
// frames of one or both channels of a sound, where y(n−1) is the value of the code stored for the
// frame before, for recursions whose outputs stay far inside what a code can take. Only the channels' own codes carry from frame to frame, so the loop holds the
// previous input and code of each channel in registers.
//
// Each frame waits for the code of the one before: a load, an addition, the conversion to a code.
// To keep the processor busy, a long block is taken by two chains side by side: the first from
// the block's start, the second from its middle, starting from a guess that it corrects by
// running over the frames before the middle first without writing. Past the middle, the true
// recursion then runs again over the second chain's results until both agree in a frame; from
// there on they cannot differ, as each frame follows from that code and the input alone. The
// result is exactly that of one chain; when the two never agree, the true recursion simply
// finishes the block.

// Feedback·value of every code, worked out once with that product.
template <class Samples>
struct TableTerms {
  using Code = typename Samples::Code;
  const double* ByCode;  // indexed by the code itself (the middle of the table for words)
  double operator()(Code code) const { return ByCode[code]; }
};

// The same product formed on the spot, for selections too short to pay for a table.
template <class Samples>
struct ProductTerms {
  using Code = typename Samples::Code;
  Samples Sound;
  double Feedback;
  double operator()(Code code) const { return Feedback * Sound.ValueOf(code); }
};

template <class Samples>
std::vector<double> FeedbackTable(const Samples& samples, double feedback) {
  using Code = typename Samples::Code;
  std::vector<double> table(kCodeCount<Samples>);
  for (size_t c = 0; c < table.size(); ++c)
    table[c] = feedback * samples.ValueOf(static_cast<Code>(sizeof(Code) == 1 ? c : c - 32768));
  return table;
}

template <class Samples, class Direct, class Terms>
class FirstOrderChains {
 public:
  using Code = typename Samples::Code;

  // Where a chain stands: the input and the code of the frame it made last, per channel.
  struct State {
    double XPrev[2] = {0.0, 0.0};
    Code Last[2] = {};
  };

  static constexpr int64_t kBlockFrames = 65536;

  // `warmUp`: the frames a guessed state needs to become the true one (0: never split).
  FirstOrderChains(Samples samples, Direct direct, Terms terms, int64_t warmUp)
      : samples_(samples), direct_(direct), terms_(terms), warmUp_(warmUp) {}

  // Frames from..end−1 of the checked channels, block by block; `beforeBlock(last)` is called with
  // the last frame of each block before it is made.
  template <bool kLeft, bool kRight, class BeforeBlock>
  void Run(int64_t from, int64_t end, State& state, BeforeBlock&& beforeBlock) {
    for (int64_t p = from; p < end;) {
      const int64_t q = std::min(end, p + kBlockFrames);
      beforeBlock(q - 1);
      // Four chains keep the processor busier than two, but each warms up: past a few per cent of
      // the block that costs more than it brings.
      if (warmUp_ > 0 && 24 * warmUp_ <= q - p) {
        Split<4, kLeft, kRight>(p, q, state);
      } else if (warmUp_ > 0 && 3 * warmUp_ <= q - p) {
        Split<2, kLeft, kRight>(p, q, state);
      } else {
        Serial<kLeft, kRight>(p, q, state);
      }
      p = q;
    }
  }

 private:
  template <bool kRight, bool kWrite>
  static void Step(Samples& samples, const Direct& direct, const Terms& terms, int64_t n, State& s) {
    const double x = samples.ValueOf(samples.CodeAt(n, kRight));
    const Code code = Samples::template CodeOf<false>(direct(x, s.XPrev[kRight]) + terms(s.Last[kRight]));
    if constexpr (kWrite) samples.SetCode(n, kRight, code);
    s.XPrev[kRight] = x;
    s.Last[kRight] = code;
  }

  // Everything a loop uses is copied in first: stores of sample bytes could otherwise alias it and
  // make the compiler reload it from memory in every frame.
  template <bool kLeft, bool kRight>
  void Serial(int64_t from, int64_t end, State& state) const {
    Samples samples = samples_;
    const Direct direct = direct_;
    const Terms terms = terms_;
    State s = state;
    for (int64_t n = from; n < end; ++n) {
      if constexpr (kLeft) Step<false, true>(samples, direct, terms, n, s);
      if constexpr (kRight) Step<true, true>(samples, direct, terms, n, s);
    }
    state = s;
  }

  // Frames p..q−1 by K chains, each making T frames. Chain 0 starts at p from the true state; each
  // later one starts `warmUp_` frames before its own part, from the input there taken as both the
  // previous input and the previous code, and writes nothing until its own part begins.
  template <int K, bool kLeft, bool kRight>
  void Split(int64_t p, int64_t q, State& state) {
    Samples samples = samples_;
    const Direct direct = direct_;
    const Terms terms = terms_;
    const int64_t warmUp = warmUp_;
    const int64_t frames = (q - p + (K - 1) * warmUp) / K;
    int64_t own[K + 1];  // where each chain's own part begins; own[K] = q
    own[0] = p;
    for (int c = 1; c < K; ++c) own[c] = p + frames + (c - 1) * (frames - warmUp);
    own[K] = q;
    // The inputs of the later chains' parts, which they overwrite, for the true recursion that
    // follows them.
    const size_t frameBytes = sizeof(Code) * Samples::kChannels;
    inputs_.resize(static_cast<size_t>(q - own[1]) * frameBytes);
    std::memcpy(inputs_.data(), samples.FrameBytes(own[1]), inputs_.size());
    State chain[K];
    chain[0] = state;
    int64_t offset[K] = {0};
    for (int c = 1; c < K; ++c) {
      offset[c] = own[c] - warmUp - p;
      for (const bool right : {false, true}) {
        chain[c].Last[right] = samples.CodeAt(own[c] - warmUp - 1, right);
        chain[c].XPrev[right] = samples.ValueOf(chain[c].Last[right]);
      }
    }
    // Each chain writes behind the next one's reads, which stay ahead of it all the way.
    const auto steps = [&]<bool kWrite>(int64_t n) {
      if constexpr (kLeft) {
        Step<false, true>(samples, direct, terms, n, chain[0]);
        for (int c = 1; c < K; ++c) Step<false, kWrite>(samples, direct, terms, n + offset[c], chain[c]);
      }
      if constexpr (kRight) {
        Step<true, true>(samples, direct, terms, n, chain[0]);
        for (int c = 1; c < K; ++c) Step<true, kWrite>(samples, direct, terms, n + offset[c], chain[c]);
      }
    };
    for (int64_t n = p; n < p + warmUp; ++n) steps.template operator()<false>(n);
    for (int64_t n = p + warmUp; n < p + frames; ++n) steps.template operator()<true>(n);
    // The frames the division left over go to the last chain.
    Serial<kLeft, kRight>(p + offset[K - 1] + frames, q, chain[K - 1]);
    // Chain 0 stands truly at the end of its part; the true recursion carries on into each later
    // part until it meets that part's chain.
    const Samples inputs(inputs_.data(), static_cast<uint32_t>(q - own[1]));
    State truth = chain[0];
    for (int c = 1; c < K; ++c) {
      if constexpr (kLeft) Mend<false>(samples, inputs, own[1], own[c], own[c + 1], truth, chain[c]);
      if constexpr (kRight) Mend<true>(samples, inputs, own[1], own[c], own[c + 1], truth, chain[c]);
    }
    state = truth;
  }

  // Runs the true recursion over frames begin..end−1, whose inputs lie in `inputs` from frame
  // `inputsFrom` on, until a frame where it agrees with what `second` made there; `truth` then
  // takes the state `second` ended with at `end` − 1.
  template <bool kRight>
  void Mend(Samples& samples, const Samples& inputs, int64_t inputsFrom, int64_t begin, int64_t end, State& truth,
            const State& second) const {
    const Direct direct = direct_;
    const Terms terms = terms_;
    double xPrev = truth.XPrev[kRight];
    Code last = truth.Last[kRight];
    for (int64_t n = begin; n < end; ++n) {
      const double x = inputs.ValueOf(inputs.CodeAt(n - inputsFrom, kRight));
      const Code code = Samples::template CodeOf<false>(direct(x, xPrev) + terms(last));
      if (code == samples.CodeAt(n, kRight)) {
        truth.XPrev[kRight] = second.XPrev[kRight];
        truth.Last[kRight] = second.Last[kRight];
        return;
      }
      samples.SetCode(n, kRight, code);
      xPrev = x;
      last = code;
    }
    truth.XPrev[kRight] = xPrev;
    truth.Last[kRight] = last;
  }

  Samples samples_;
  Direct direct_;
  Terms terms_;
  int64_t warmUp_;
  std::vector<uint8_t> inputs_;
};

// The frames a guessed state takes to come within a fraction of a code of the true one when each
// frame keeps |feedback| of the difference; 0 when the difference never shrinks, or when the
// codes are floats, whose steps shrink with the value so that two chains may never meet.
template <class Samples>
int64_t WarmUpFrames(double feedback) {
  const double kept = std::fabs(feedback);
  if (Samples::kKind == SampleKind::Float || !(kept < 1.0)) return 0;
  // e^−12 of the largest difference, 2, is well below half a code step of 16-bit sound; finer
  // codes need e^−18 (24 bits) or e^−24 (32 bits).
  const double fraction = Samples::kKind == SampleKind::Triple ? 18.0 : Samples::kKind == SampleKind::Long ? 24.0 : 12.0;
  const double frames = kept == 0.0 ? 32.0 : std::max(32.0, std::ceil(fraction / -std::log(kept)));
  return static_cast<int64_t>(std::min(frames, 1e9));
}
