#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Asks for the untouched memory of an allocation of `size` bytes from `begin` to come in large
// pages: only a hint, and only pages wholly inside the allocation, which may share its first and
// last with others. Nothing for less than two large pages.
void AdviseLargePages(uint8_t* begin, size_t size);

// A new image of `size` bytes, each `fill`. A sound's image runs to hundreds of megabytes, and
// taking that much fresh memory page by page costs more than reading the sound into it: the
// memory is asked for in large pages where the system offers them. Without that much memory it
// throws std::runtime_error with a message for the user.
std::vector<uint8_t> NewImage(size_t size, uint8_t fill = 0);

// Gives the memory of `image`'s spare capacity back to the system, for an image that shrank in
// place: its pages are dropped, the capacity itself stays.
void ReleaseSpareCapacity(std::vector<uint8_t>& image);

// A copy of `size` bytes from `from`, in memory asked for as NewImage asks for it: the copy an
// undo entry keeps may be as large as the sound. Throws std::bad_alloc without that much memory.
std::vector<uint8_t> CopyOfBytes(const uint8_t* from, size_t size);
