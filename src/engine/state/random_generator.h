#pragma once

#include <cstdint>

// The program-wide pseudo-random generator: a 32-bit seed, 0 when the program starts and never
// taken from the clock, so the same noise follows each start and successive noise commands
// continue one sequence. Each draw steps the seed as seed·134775813 + 1 (mod 2^32).
class RandomGenerator {
 public:
  static constexpr uint32_t kMultiplier = 134775813u;

  uint32_t Seed = 0;

  // A draw among `range` values: the upper 32 bits of the stepped seed times `range`.
  uint32_t Draw(uint32_t range) {
    Seed = Seed * kMultiplier + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(Seed) * range) >> 32);
  }

  // The seed after `draws` more draws, in time that grows with the number's digits only.
  void Skip(uint64_t draws) {
    uint32_t multiplier = kMultiplier, increment = 1u;  // one step: s -> m·s + c
    for (; draws != 0; draws >>= 1) {
      if (draws & 1u) Seed = Seed * multiplier + increment;
      increment = increment * multiplier + increment;
      multiplier *= multiplier;
    }
  }
};
