#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>
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

// Memory for bytes that are about to be written in full, such as a copy: it is not cleared first,
// which for hundreds of megabytes would cost as much as the writing. Empty when there is not that
// much memory.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  static ByteBuffer Uncleared(size_t size);

  uint8_t* Data() { return data_.get(); }
  const uint8_t* Data() const { return data_.get(); }
  size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t size_ = 0;
};

// Copies `count` bytes past the cache into memory that will not be read again soon: a copy kept
// for later leaves the cache to the work that goes on beside it.
void StreamCopy(uint8_t* to, const uint8_t* from, size_t count);

// Has the system hand over the pages of `size` bytes from `begin` on a thread of its own while
// the caller goes on writing them: the system clears every fresh page first, which for a copy of
// hundreds of megabytes costs as much as the copy itself. Only takes pages; never writes a byte.
// Stops and waits for the thread when destroyed.
class PagePrefetch {
 public:
  PagePrefetch(uint8_t* begin, size_t size);
  ~PagePrefetch();
  PagePrefetch(const PagePrefetch&) = delete;
  PagePrefetch& operator=(const PagePrefetch&) = delete;

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
