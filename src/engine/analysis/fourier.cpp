#include "analysis/fourier.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "processing/errors.h"
#include "wave/vector_clones.h"

bool IsFftSize(uint16_t n) { return n >= 2 && (n & (n - 1)) == 0; }

uint16_t SizeExponent(uint16_t n) {
  for (uint16_t bit = 0; bit < 16; ++bit) {
    if (n & (1u << bit)) return bit;
  }
  return 0;
}

uint16_t BitReversed(uint16_t index, uint16_t bits) {
  unsigned reversed = 0;
  for (uint16_t b = 0; b < bits; ++b) {
    reversed = (reversed << 1) | (index & 1u);
    index >>= 1;
  }
  return static_cast<uint16_t>(reversed);
}

FourierPlan::FourierPlan(uint16_t n, double angle) : n_(n) {
  if (!IsFftSize(n)) {
    throw CommandError("Error in procedure Fourier:  NumSamples=" + std::to_string(n) +
                       " is not a positive integer power of 2.");
  }
  const uint16_t bits = SizeExponent(n);
  reversed_.resize(n);
  // Each index reversed from the one with its lowest bit dropped, which is already known.
  for (unsigned i = 1; i < n; ++i) reversed_[i] = static_cast<uint16_t>((reversed_[i >> 1] >> 1) | ((i & 1u) << (bits - 1)));
  twiddleRe_.resize(n);
  twiddleIm_.resize(n);
  // Each block of a stage starts the recurrence afresh at 1, so one run of it serves them all.
  for (unsigned half = 1, span = 2; span <= n; half = span, span *= 2) {
    const double delta = angle / span;
    const double s = std::sin(0.5 * delta);
    const double alpha = 2.0 * s * s;
    const double beta = std::sin(delta);
    double ar = 1.0, ai = 0.0;
    for (unsigned m = 0; m < half; ++m) {
      twiddleRe_[half - 1 + m] = ar;
      twiddleIm_[half - 1 + m] = ai;
      const double t = alpha * ar + beta * ai;
      ai = ai - (alpha * ai - beta * ar);
      ar = ar - t;
    }
  }
}

namespace {

// Values of one piece: the real and imaginary parts fit in the first-level cache together.
constexpr unsigned kCachePiece = 1024;

// One butterfly: the upper value turned by the twiddle (wr, wi), taken from and added to the lower.
[[gnu::always_inline]] inline void Butterfly(double wr, double wi, double& reJ, double& imJ, double& reK,
                                             double& imK) {
  const double tr = wr * reK - wi * imK;
  const double ti = wr * imK + wi * reK;
  reK = reJ - tr;
  imK = imJ - ti;
  reJ = reJ + tr;
  imJ = imJ + ti;
}

// The butterflies of one stage; those of a block are independent of each other, so the compiler
// may take several at once.
VELORIN_VECTOR_CLONES void Stage(unsigned n, unsigned half, const double* __restrict twRe,
                                 const double* __restrict twIm, double* re, double* im) {
  const unsigned span = 2 * half;
  for (unsigned i = 0; i < n; i += span) {
    // The two halves of a block never overlap.
    double* __restrict reJ = re + i;
    double* __restrict imJ = im + i;
    double* __restrict reK = re + i + half;
    double* __restrict imK = im + i + half;
    for (size_t m = 0; m < half; ++m) Butterfly(twRe[m], twIm[m], reJ[m], imJ[m], reK[m], imK[m]);
  }
}

// out[reversed(i)] = in[i], in tiles of 8 × 8 values: i's top three and bottom three bits swap
// places reversed, so a tile reads eight runs of eight neighbours and writes eight such runs.
// Written one value at a time, the copy would hop across the whole array at a power-of-two stride,
// which is what caches hold worst once the array outgrows the first-level cache.
void BitReversedCopy(unsigned bits, const uint16_t* reversed, const double* in, double* out) {
  const unsigned n = 1u << bits;
  // Small arrays sit in the first-level cache, where the plain copy is quicker.
  if (bits < 12) {
    for (unsigned i = 0; i < n; ++i) out[reversed[i]] = in[i];
    return;
  }
  constexpr unsigned kRev3[8] = {0, 4, 2, 6, 1, 5, 3, 7};
  const unsigned shift = bits - 3;
  for (unsigned middle = 0; middle < n >> 6; ++middle) {
    const unsigned base = middle << 3;
    const unsigned reversedBase = reversed[base];  // the middle bits reversed, in place
    double tile[8][8];
    for (unsigned h = 0; h < 8; ++h) {
      for (unsigned l = 0; l < 8; ++l) tile[l][h] = in[(h << shift) | base | l];
    }
    for (unsigned l = 0; l < 8; ++l) {
      for (unsigned h = 0; h < 8; ++h) out[(kRev3[l] << shift) | reversedBase | kRev3[h]] = tile[l][h];
    }
  }
}

// The first stages have blocks too short for a loop of their own: the block's butterflies are
// written out, and the walk goes over the blocks instead.
template <unsigned kHalf>
VELORIN_VECTOR_CLONES void ShortStage(unsigned n, const double* twRe, const double* twIm, double* __restrict re,
                                      double* __restrict im) {
  double wr[kHalf], wi[kHalf];
  for (unsigned m = 0; m < kHalf; ++m) wr[m] = twRe[m], wi[m] = twIm[m];
  for (size_t i = 0; i < n; i += 2 * kHalf) {
    for (size_t m = 0; m < kHalf; ++m) Butterfly(wr[m], wi[m], re[i + m], im[i + m], re[i + m + kHalf], im[i + m + kHalf]);
  }
}

}  // namespace

void FourierPlan::Transform(const double* inRe, const double* inIm, double* outRe, double* outIm) const {
  const unsigned bits = SizeExponent(n_);
  BitReversedCopy(bits, reversed_.data(), inRe, outRe);
  BitReversedCopy(bits, reversed_.data(), inIm, outIm);
  // The stages of half-width `half` over `length` values from `re`, `im`.
  const auto stage = [this](unsigned half, unsigned length, double* re, double* im) {
    const double* twRe = twiddleRe_.data() + half - 1;
    const double* twIm = twiddleIm_.data() + half - 1;
    switch (half) {
      case 1: ShortStage<1>(length, twRe, twIm, re, im); break;
      case 2: ShortStage<2>(length, twRe, twIm, re, im); break;
      case 4: ShortStage<4>(length, twRe, twIm, re, im); break;
      default: Stage(length, half, twRe, twIm, re, im); break;
    }
  };
  // A stage's blocks are independent, so the stages whose blocks fit in a cache-sized piece are
  // run piece by piece, each piece through all of them while it is at hand; only the wider stages
  // go over the whole array.
  const unsigned piece = std::min<unsigned>(n_, kCachePiece);
  for (unsigned base = 0; base < n_; base += piece) {
    for (unsigned half = 1; 2 * half <= piece; half *= 2) stage(half, piece, outRe + base, outIm + base);
  }
  for (unsigned half = piece; 2 * half <= n_; half *= 2) stage(half, n_, outRe, outIm);
}

void Transform(uint16_t n, double angle, const double* inRe, const double* inIm, double* outRe, double* outIm) {
  FourierPlan(n, angle).Transform(inRe, inIm, outRe, outIm);
}

void ForwardTransform(uint16_t n, const double* inRe, const double* inIm, double* outRe, double* outIm) {
  Transform(n, kFourierTurn, inRe, inIm, outRe, outIm);
}
