#pragma once

#include <cstdint>

#include "wave/sample_codes.h"

// Eight chains of one channel of a first-order recursion, stepped together in vectors, which the
// compiler maps onto what the instruction set has: two AVX registers or four SSE ones. Each lane
// gives exactly the code the single-sample form gives, from the same operations in the same order.
inline constexpr int kLanes = 8;
using LaneDoubles = double __attribute__((vector_size(8 * kLanes)));
using LaneWords = int32_t __attribute__((vector_size(4 * kLanes)));
using LaneLongs = int64_t __attribute__((vector_size(8 * kLanes)));

// The low 32 bits of each rounded value, wrapped as a stored code wraps: adding 1.5·2^52 rounds a
// value of magnitude below 2^51 to an integer as llrint does, ties to even, and leaves that
// integer in the low bits of the sum.
[[gnu::always_inline]] inline LaneWords RoundedLowWords(LaneDoubles unrounded) {
  const LaneDoubles shifted = unrounded + 0x1.8p52;
  return __builtin_convertvector((LaneLongs)shifted, LaneWords);
}

// Outputs of smaller magnitude give unrounded codes well inside RoundedLowWords' range.
inline constexpr double kLaneBound = 1e5;

// The lanes hold codes as words: their values, and the words of values.
template <SampleKind K>
struct LaneCodes;

template <>
struct LaneCodes<SampleKind::Triple> {
  [[gnu::always_inline]] static LaneDoubles Value(LaneWords words) {
    return OddOverSteps<24>(__builtin_convertvector(2 * words + 1, LaneDoubles));
  }
  [[gnu::always_inline]] static LaneWords Of(LaneDoubles values) {
    return (RoundedLowWords(UnroundedTwentyFourBitCode(values)) << 8) >> 8;
  }
};

template <>
struct LaneCodes<SampleKind::Long> {
  [[gnu::always_inline]] static LaneDoubles Value(LaneWords words) {
    return OddOverSteps<32>(2.0 * __builtin_convertvector(words, LaneDoubles) + 1.0);
  }
  [[gnu::always_inline]] static LaneWords Of(LaneDoubles values) {
    return RoundedLowWords(UnroundedThirtyTwoBitCode(values));
  }
};

// Whether the chains of a layout run in lanes: those of 24- and 32-bit codes, whose frames take
// long enough that gathering and scattering the lanes' samples costs less than it saves. A float
// frame is quickly made, and faster by scalar chains.
template <class Samples>
inline constexpr bool kLaned = Samples::kKind == SampleKind::Triple || Samples::kKind == SampleKind::Long;
