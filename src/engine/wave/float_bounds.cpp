#include "wave/float_bounds.h"

#include <cmath>
#include <cstring>

#include "wave/vector_clones.h"

VELORIN_VECTOR_CLONES bool FloatsWithin(const uint8_t* data, size_t count, float bound) {
  // In runs of a fixed length, which the vectorizer takes whole.
  constexpr size_t kRun = 32;
  int outside = 0;
  size_t i = 0;
  for (; i + kRun <= count; i += kRun) {
    float run[kRun];
    std::memcpy(run, data + i * sizeof(float), sizeof run);
    for (size_t j = 0; j < kRun; ++j) outside |= !(std::fabs(run[j]) <= bound);
  }
  for (; i < count; ++i) {
    float value;
    std::memcpy(&value, data + i * sizeof(float), sizeof value);
    outside |= !(std::fabs(value) <= bound);
  }
  return outside == 0;
}
