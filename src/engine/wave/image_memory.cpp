#include "wave/image_memory.h"

#include <sys/mman.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

void AdviseLargePages(uint8_t* begin, size_t size) {
  constexpr size_t kLargePage = size_t{2} << 20;
  if (size < 2 * kLargePage) return;
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(begin) + size) & ~(page - 1);
  // Where the system has no large pages, the memory comes as before.
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
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

ByteBuffer ByteBuffer::Uncleared(size_t size) {
  ByteBuffer buffer;
  if (size == 0) return buffer;
  // Default-initialised bytes: fresh pages stay untouched until the copy writes them.
  buffer.data_.reset(new (std::nothrow) uint8_t[size]);
  if (!buffer.data_) return buffer;
  buffer.size_ = size;
  AdviseLargePages(buffer.data_.get(), size);
  return buffer;
}

void StreamCopy(uint8_t* to, const uint8_t* from, size_t count) {
#if defined(__SSE2__)
  constexpr size_t kLine = 64;
  // Up to the first aligned destination byte, and the tail after the last whole line, by memcpy.
  const size_t head = std::min(count, (kLine - reinterpret_cast<uintptr_t>(to) % kLine) % kLine);
  std::memcpy(to, from, head);
  size_t done = head;
  for (; done + kLine <= count; done += kLine) {
    const auto* source = reinterpret_cast<const __m128i*>(from + done);
    auto* target = reinterpret_cast<__m128i*>(to + done);
    const __m128i a = _mm_loadu_si128(source), b = _mm_loadu_si128(source + 1);
    const __m128i c = _mm_loadu_si128(source + 2), d = _mm_loadu_si128(source + 3);
    _mm_stream_si128(target, a);
    _mm_stream_si128(target + 1, b);
    _mm_stream_si128(target + 2, c);
    _mm_stream_si128(target + 3, d);
  }
  std::memcpy(to + done, from + done, count - done);
  // The streamed stores are seen by every later read before this returns.
  _mm_sfence();
#else
  std::memcpy(to, from, count);
#endif
}

namespace {
constexpr size_t kPrefetchStep = size_t{2} << 20;
}

PagePrefetch::PagePrefetch([[maybe_unused]] uint8_t* begin, [[maybe_unused]] size_t size) {
#ifndef MADV_POPULATE_WRITE
  // Headers older than the call: the writer takes the pages as it goes.
#else
  // Below a few large pages the thread costs more than it saves.
  if (size < 4 * kPrefetchStep) return;
  const auto take = [this, begin, size] {
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    uintptr_t at = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(begin) + size) & ~(page - 1);
    while (at < end && !stop_.load(std::memory_order_relaxed)) {
      const size_t step = std::min<size_t>(kPrefetchStep, end - at);
      // An older system without the call leaves the pages to the writer.
      if (madvise(reinterpret_cast<void*>(at), step, MADV_POPULATE_WRITE) != 0) return;
      at += step;
    }
  };
  try {
    thread_ = std::thread(take);
  } catch (const std::system_error&) {
    // No thread to spare: the writer takes the pages as it goes.
  }
#endif
}

PagePrefetch::~PagePrefetch() {
  stop_.store(true, std::memory_order_relaxed);
  if (thread_.joinable()) thread_.join();
}
