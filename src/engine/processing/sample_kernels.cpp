#include "processing/sample_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "wave/sample_codes.h"
#include "wave/vector_clones.h"

namespace {

// Rounded to nearest with ties to even, as llrint rounds, and kept when it fits in 32 bits.
inline bool Fits(double rounded) { return std::fabs(rounded) < 2147483648.0; }

// Converting a value that does not fit is undefined even where the result would be dropped, so
// the kernels round all values first and convert only once every one fits.
inline int32_t Code(double rounded) { return static_cast<int32_t>(rounded); }

// The wider codes are loaded as 32-bit integers or floats, one lane each. The helpers go whole
// into each kernel, so that every instruction-set copy of the kernel has its own.
template <SampleKind K>
using Lane = std::conditional_t<K == SampleKind::Float, float, int32_t>;

template <SampleKind K>
[[gnu::always_inline]] inline void LoadLanes(const uint8_t* bytes, Lane<K>* lanes, int count) {
  if constexpr (K == SampleKind::Triple) {
    for (int j = 0; j < count; ++j) {
      const uint8_t* p = bytes + 3 * j;
      lanes[j] = static_cast<int32_t>(static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) << 8) >> 8;
    }
  } else {
    std::memcpy(lanes, bytes, sizeof(Lane<K>) * count);
  }
}

template <SampleKind K>
[[gnu::always_inline]] inline double LaneValue(Lane<K> lane) {
  if constexpr (K == SampleKind::Triple) {
    return TwentyFourBitValue(lane);
  } else if constexpr (K == SampleKind::Long) {
    return ThirtyTwoBitValue(lane);
  } else {
    return lane;
  }
}

template <SampleKind K>
[[gnu::always_inline]] inline bool StoreLanes(uint8_t* bytes, const double* values, int count) {
  Lane<K> lanes[kKernelRun];
  int outside = 0;
  if constexpr (K == SampleKind::Float) {
    for (int j = 0; j < count; ++j) {
      lanes[j] = static_cast<float>(values[j]);
      outside |= !std::isfinite(lanes[j]);
    }
  } else {
    double rounded[kKernelRun];
    for (int j = 0; j < count; ++j) {
      rounded[j] = std::nearbyint(K == SampleKind::Triple ? UnroundedTwentyFourBitCode(values[j])
                                                          : UnroundedThirtyTwoBitCode(values[j]));
      outside |= !Fits(rounded[j]);
    }
    if (outside) return false;
    for (int j = 0; j < count; ++j) lanes[j] = Code(rounded[j]);
  }
  if (outside) return false;
  if constexpr (K == SampleKind::Triple) {
    for (int j = 0; j < count; ++j) {
      const auto u = static_cast<uint32_t>(lanes[j]);
      bytes[3 * j] = static_cast<uint8_t>(u);
      bytes[3 * j + 1] = static_cast<uint8_t>(u >> 8);
      bytes[3 * j + 2] = static_cast<uint8_t>(u >> 16);
    }
  } else {
    std::memcpy(bytes, lanes, sizeof(Lane<K>) * count);
  }
  return true;
}

template <SampleKind K>
[[gnu::always_inline]] inline bool ScaleLanes(uint8_t* bytes, const double* scale, const double* shift, int count) {
  if (count > kKernelRun) return false;
  Lane<K> in[kKernelRun];
  double values[kKernelRun];
  LoadLanes<K>(bytes, in, count);
  for (int j = 0; j < count; ++j) values[j] = scale[j] * LaneValue<K>(in[j]) - shift[j];
  return StoreLanes<K>(bytes, values, count);
}

}  // namespace

VELORIN_VECTOR_CLONES bool ScaleTriples(uint8_t* triples, const double* scale, const double* shift, int count) {
  return ScaleLanes<SampleKind::Triple>(triples, scale, shift, count);
}
VELORIN_VECTOR_CLONES bool ScaleLongs(uint8_t* longs, const double* scale, const double* shift, int count) {
  return ScaleLanes<SampleKind::Long>(longs, scale, shift, count);
}
VELORIN_VECTOR_CLONES bool ScaleFloats(uint8_t* floats, const double* scale, const double* shift, int count) {
  return ScaleLanes<SampleKind::Float>(floats, scale, shift, count);
}
VELORIN_VECTOR_CLONES bool StoreTriples(uint8_t* triples, const double* values, int count) {
  return count <= kKernelRun && StoreLanes<SampleKind::Triple>(triples, values, count);
}
VELORIN_VECTOR_CLONES bool StoreLongs(uint8_t* longs, const double* values, int count) {
  return count <= kKernelRun && StoreLanes<SampleKind::Long>(longs, values, count);
}
VELORIN_VECTOR_CLONES bool StoreFloats(uint8_t* floats, const double* values, int count) {
  return count <= kKernelRun && StoreLanes<SampleKind::Float>(floats, values, count);
}

VELORIN_VECTOR_CLONES bool ScaleWords(uint8_t* words, const double* scale, const double* shift, int count) {
  if (count > kKernelRun) return false;
  int16_t in[kKernelRun];
  double rounded[kKernelRun];
  std::memcpy(in, words, sizeof(int16_t) * count);
  int outside = 0;
  for (int j = 0; j < count; ++j) {
    const double value = SixteenBitValue(in[j]);
    rounded[j] = std::nearbyint(UnroundedSixteenBitCode(scale[j] * value - shift[j]));
    outside |= !Fits(rounded[j]);
  }
  if (outside) return false;
  for (int j = 0; j < count; ++j) in[j] = static_cast<int16_t>(static_cast<uint16_t>(Code(rounded[j])));
  std::memcpy(words, in, sizeof(int16_t) * count);
  return true;
}

VELORIN_VECTOR_CLONES bool ScaleBytes(uint8_t* bytes, const double* scale, const double* shift, int count) {
  if (count > kKernelRun) return false;
  double rounded[kKernelRun];
  int outside = 0;
  for (int j = 0; j < count; ++j) {
    const double value = EightBitValue(bytes[j]);
    rounded[j] = std::nearbyint(UnroundedEightBitCode(scale[j] * value - shift[j]));
    outside |= !Fits(rounded[j]);
  }
  if (outside) return false;
  for (int j = 0; j < count; ++j) bytes[j] = static_cast<uint8_t>(Code(rounded[j]));
  return true;
}

VELORIN_VECTOR_CLONES bool StoreWords(uint8_t* words, const double* values, int count) {
  if (count > kKernelRun) return false;
  int16_t codes[kKernelRun];
  double rounded[kKernelRun];
  int outside = 0;
  for (int j = 0; j < count; ++j) {
    rounded[j] = std::nearbyint(UnroundedSixteenBitCode(values[j]));
    outside |= !Fits(rounded[j]);
  }
  if (outside) return false;
  for (int j = 0; j < count; ++j) codes[j] = static_cast<int16_t>(static_cast<uint16_t>(Code(rounded[j])));
  std::memcpy(words, codes, sizeof(int16_t) * count);
  return true;
}

VELORIN_VECTOR_CLONES bool StoreBytes(uint8_t* bytes, const double* values, int count) {
  if (count > kKernelRun) return false;
  double rounded[kKernelRun];
  int outside = 0;
  for (int j = 0; j < count; ++j) {
    rounded[j] = std::nearbyint(UnroundedEightBitCode(values[j]));
    outside |= !Fits(rounded[j]);
  }
  if (outside) return false;
  for (int j = 0; j < count; ++j) bytes[j] = static_cast<uint8_t>(Code(rounded[j]));
  return true;
}

VELORIN_VECTOR_CLONES void WindowSums(const double* values, int count, int from, int to, double start, double* sums) {
  for (int k = 0; k < count; ++k) sums[k] = start;
  // One term at a time across all sums keeps each sum's order and lets the compiler take several
  // sums at once.
  for (int o = from; o <= to; ++o) {
    for (int k = 0; k < count; ++k) sums[k] += values[k + o];
  }
}

VELORIN_VECTOR_CLONES void FadeWeights(double* weights, double offset, double span, int count, bool fadeOut) {
  const auto ramp = [](double t) { return 3 * t * t - 2 * t * t * t; };
  // Two loops rather than a choice in one, which would keep the compiler from vectorizing it.
  if (fadeOut) {
    for (int k = 0; k < count; ++k) weights[k] = ramp(1 - (offset + k) / span);
  } else {
    for (int k = 0; k < count; ++k) weights[k] = ramp((offset + k) / span);
  }
}

VELORIN_VECTOR_CLONES void InvertCodes(uint8_t* bytes, size_t size, bool floats) {
  if (floats) {
    // Only whole floats: a loaded sound never holds a part of one.
    for (size_t j = 0; j + 4 <= size; j += 4) {
      uint32_t code;
      std::memcpy(&code, bytes + j, 4);
      code ^= 0x80000000u;
      std::memcpy(bytes + j, &code, 4);
    }
    return;
  }
  for (size_t j = 0; j < size; ++j) bytes[j] = static_cast<uint8_t>(~bytes[j]);
}

VELORIN_VECTOR_CLONES void WideCodeRange(const uint8_t* codes, int count, bool triples, int32_t& lo, int32_t& hi) {
  int32_t lanes[kKernelRun];
  if (count > kKernelRun) count = kKernelRun;
  if (triples) {
    LoadLanes<SampleKind::Triple>(codes, lanes, count);
  } else {
    LoadLanes<SampleKind::Long>(codes, lanes, count);
  }
  int32_t low = lo, high = hi;
  for (int j = 0; j < count; ++j) {
    low = std::min(low, lanes[j]);
    high = std::max(high, lanes[j]);
  }
  lo = low;
  hi = high;
}
