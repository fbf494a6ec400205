#pragma once

#include <cstdint>
#include <vector>

// A radix-2 fast Fourier transform of N complex values for N = 2, 4, …, 32768: with Angle 2π it
// gives X[m] = Σ x[n]·e^(+2πi·m·n/N), a positive exponent and no scaling. The twiddle factors come
// from a recurrence that needs only two sines per stage, so every result is fixed to the bit by
// the order of its arithmetic.

// True exactly for 2, 4, 8, …, 32768.
bool IsFftSize(uint16_t n);
// The position (0..15) of the lowest set bit of n > 0, log2 n for a power of two; 0 for 0.
uint16_t SizeExponent(uint16_t n);
// `index` with its lowest `bits` bits in reverse order.
uint16_t BitReversed(uint16_t index, uint16_t bits);

// One transform's size and angle worked out once: where each value goes in the bit-reversed copy
// and each stage's twiddle factors, which are the same in every block of the stage. Reusing a plan
// for transforms of the same size saves the recurrence.
class FourierPlan {
 public:
  // A size that IsFftSize refuses throws CommandError "Error in procedure Fourier:  NumSamples=N is
  // not a positive integer power of 2.".
  FourierPlan(uint16_t n, double angle);

  uint16_t Size() const { return n_; }
  // The transform of the n values (inRe, inIm) into (outRe, outIm); the inputs are not changed.
  void Transform(const double* inRe, const double* inIm, double* outRe, double* outIm) const;

 private:
  uint16_t n_;
  std::vector<uint16_t> reversed_;
  // Stage by stage, the stage of half-width h from index h − 1 on.
  std::vector<double> twiddleRe_, twiddleIm_;
};

void Transform(uint16_t n, double angle, const double* inRe, const double* inIm, double* outRe, double* outIm);
// Transform with the angle 2π.
void ForwardTransform(uint16_t n, const double* inRe, const double* inIm, double* outRe, double* outIm);

inline constexpr double kFourierTurn = 6.283185307179586;
