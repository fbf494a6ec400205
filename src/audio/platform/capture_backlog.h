#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

// Captured frames waiting for a buffer, oldest first, in memory set aside before capturing starts.
// One thread at a time uses it: the real-time callback while the stream runs, the user thread
// while it is stopped. Capacity and every amount are whole frames, so a frame never splits at the
// ring's end.
class CaptureBacklog {
 public:
  // Throws std::bad_alloc; the memory is left untouched until frames arrive.
  void Allocate(size_t frames, size_t frameBytes) {
    memory_ = std::make_unique_for_overwrite<uint8_t[]>(frames * frameBytes);
    capacity_ = frames * frameBytes;
    frameBytes_ = frameBytes;
    Clear();
  }
  void Clear() { start_ = size_ = 0; }
  bool Empty() const { return size_ == 0; }
  size_t Frames() const { return size_ / frameBytes_; }

  // Keeps as many of `frames` as there is room for; returns how many.
  size_t Put(const uint8_t* from, size_t frames) {
    const size_t bytes = std::min(frames * frameBytes_, capacity_ - size_);
    size_t end = (start_ + size_) % std::max<size_t>(capacity_, 1);
    for (size_t done = 0; done < bytes;) {
      const size_t piece = std::min(bytes - done, capacity_ - end);
      std::memcpy(memory_.get() + end, from + done, piece);
      done += piece;
      end = 0;
    }
    size_ += bytes;
    return bytes / frameBytes_;
  }
  // The oldest frames that lie in one piece.
  std::span<const uint8_t> Front() const { return {memory_.get() + start_, std::min(size_, capacity_ - start_)}; }
  void Drop(size_t frames) {
    const size_t bytes = frames * frameBytes_;
    start_ = (start_ + bytes) % capacity_;
    size_ -= bytes;
  }

 private:
  std::unique_ptr<uint8_t[]> memory_;
  size_t capacity_ = 0;
  size_t frameBytes_ = 1;
  size_t start_ = 0;
  size_t size_ = 0;
};
