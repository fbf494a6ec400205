#include "wave/image_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <new>
#include <stdexcept>
#include <string>

void AdviseLargePages(uint8_t* begin, size_t size) {
  constexpr size_t kLargePage = size_t{2} << 20;
  if (size < 2 * kLargePage) return;
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(begin) + size) & ~(page - 1);
  // Where the system has no large pages, the memory comes as before.
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

void ReleaseSpareCapacity(std::vector<uint8_t>& image) {
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<uintptr_t>(image.data());
  // Only pages wholly past the last byte in use, and within the allocation.
  const uintptr_t first = (begin + image.size() + page - 1) & ~(page - 1);
  const uintptr_t end = (begin + image.capacity()) & ~(page - 1);
  // Bytes past the size are no element's, so nothing reads what the system puts there (zeros).
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_DONTNEED);
}

std::vector<uint8_t> NewImage(size_t size, uint8_t fill) {
  std::vector<uint8_t> image;
  try {
    image.reserve(size);
  } catch (const std::bad_alloc&) {
    // A sound may take gigabytes; the user is told so rather than shown the exception's name.
    throw std::runtime_error("Out of memory for a sound of " + std::to_string(size) + " bytes");
  }
  AdviseLargePages(image.data(), size);
  image.assign(size, fill);
  return image;
}

std::vector<uint8_t> CopyOfBytes(const uint8_t* from, size_t size) {
  std::vector<uint8_t> copy;
  copy.reserve(size);
  AdviseLargePages(copy.data(), size);
  copy.assign(from, from + size);
  return copy;
}
