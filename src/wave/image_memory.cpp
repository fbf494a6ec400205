#include "wave/image_memory.h"

#include <sys/mman.h>
#include <unistd.h>

std::vector<uint8_t> NewImage(size_t size, uint8_t fill) {
  std::vector<uint8_t> image;
  constexpr size_t kLargePage = size_t{2} << 20;
  if (size >= 2 * kLargePage) {
    image.reserve(size);
    // Only the advice changes: where the system has no large pages, the memory comes as before.
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<uintptr_t>(image.data()) + page - 1) & ~(page - 1);
    const auto end = reinterpret_cast<uintptr_t>(image.data()) + size;
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  }
  image.assign(size, fill);
  return image;
}
