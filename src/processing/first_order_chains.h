#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "processing/code_rewrite.h"

// The loops of a first-order recursion y(n) = Direct(x(n), x(n−1)) + Feedback·y(n−1) over the
// frames of one or both channels of a sound, where y(n−1) is the value of the code stored for the
// frame before. Only the channels' own codes carry from frame to frame, so the loop holds the
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
      if (warmUp_ > 0 && q - p >= 4 * warmUp_) {
        Split<kLeft, kRight>(p, q, state);
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
    const Code code = Samples::CodeOf(direct(x, s.XPrev[kRight]) + terms(s.Last[kRight]));
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

  // Frames p..q−1 by two chains. The second starts `warmUp_` frames before the middle m from the
  // input there, taken as both the previous input and the previous code.
  template <bool kLeft, bool kRight>
  void Split(int64_t p, int64_t q, State& state) {
    Samples samples = samples_;
    const Direct direct = direct_;
    const Terms terms = terms_;
    const int64_t m = p + (q - p + warmUp_ + 1) / 2;
    const int64_t start = m - warmUp_;
    // The inputs from the middle on, which the second chain overwrites, for the true recursion
    // that follows it.
    const size_t frameBytes = sizeof(Code) * Samples::kChannels;
    inputs_.resize(static_cast<size_t>(q - m) * frameBytes);
    std::memcpy(inputs_.data(), samples.FrameBytes(m), inputs_.size());
    State a = state, b;
    for (const bool right : {false, true}) {
      b.Last[right] = samples.CodeAt(start - 1, right);
      b.XPrev[right] = samples.ValueOf(b.Last[right]);
    }
    // The first chain writes behind the second's reads, which stay ahead of it all the way.
    const int64_t offset = start - p;
    for (int64_t n = p; n < p + warmUp_; ++n) {
      if constexpr (kLeft) Step<false, true>(samples, direct, terms, n, a);
      if constexpr (kLeft) Step<false, false>(samples, direct, terms, n + offset, b);
      if constexpr (kRight) Step<true, true>(samples, direct, terms, n, a);
      if constexpr (kRight) Step<true, false>(samples, direct, terms, n + offset, b);
    }
    for (int64_t n = p + warmUp_; n < q - offset; ++n) {
      if constexpr (kLeft) Step<false, true>(samples, direct, terms, n, a);
      if constexpr (kLeft) Step<false, true>(samples, direct, terms, n + offset, b);
      if constexpr (kRight) Step<true, true>(samples, direct, terms, n, a);
      if constexpr (kRight) Step<true, true>(samples, direct, terms, n + offset, b);
    }
    Serial<kLeft, kRight>(q - offset, m, a);
    // `a` now stands at m − 1, truly.
    const Samples inputs(inputs_.data(), static_cast<uint32_t>(q - m));
    if constexpr (kLeft) Mend<false>(samples, inputs, m, q, a, b);
    if constexpr (kRight) Mend<true>(samples, inputs, m, q, a, b);
    state = a;
  }

  // Runs the true recursion on from m over the second chain's results until a frame where both
  // agree; `truth` then takes the second chain's state at the block's end.
  template <bool kRight>
  void Mend(Samples& samples, const Samples& inputs, int64_t m, int64_t q, State& truth, const State& second) const {
    const Direct direct = direct_;
    const Terms terms = terms_;
    double xPrev = truth.XPrev[kRight];
    Code last = truth.Last[kRight];
    for (int64_t n = m; n < q; ++n) {
      const double x = inputs.ValueOf(inputs.CodeAt(n - m, kRight));
      const Code code = Samples::CodeOf(direct(x, xPrev) + terms(last));
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
// frame keeps |feedback| of the difference; 0 when it keeps too much for the guess to pay.
inline int64_t WarmUpFrames(double feedback, int64_t blockFrames) {
  const double kept = std::fabs(feedback);
  if (!(kept < 1.0)) return 0;
  // e^−12 of the largest difference, 2, is well below half a code step of 16-bit sound.
  const double frames = kept == 0.0 ? 32.0 : std::max(32.0, std::ceil(12.0 / -std::log(kept)));
  return frames * 4 <= static_cast<double>(blockFrames) ? static_cast<int64_t>(frames) : 0;
}
