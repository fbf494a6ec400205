#pragma once

#include <cstddef>
#include <cstdint>

// Whether each of `count` floats at `data` (file order, any alignment) lies within ±`bound`: a
// routine that would write over its own input first makes sure that no value can make it refuse
// the sound halfway. A value that is no number is never within.
bool FloatsWithin(const uint8_t* data, size_t count, float bound);
