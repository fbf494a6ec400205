#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A new image of `size` bytes, each `fill`. A sound's image runs to hundreds of megabytes, and
// taking that much fresh memory page by page costs more than reading the sound into it: the
// memory is asked for in large pages where the system offers them.
std::vector<uint8_t> NewImage(size_t size, uint8_t fill = 0);
