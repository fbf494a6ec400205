#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "wave/image_memory.h"

class TWave;

// How a routine's change is taken back without a copy of its frames: Run(wave, true) brings the
// frames back as they were, Run(wave, false) makes the change again. Bytes: the memory it holds.
struct FrameReversal {
  std::function<void(TWave&, bool back)> Run;
  uint64_t Bytes = 0;

  explicit operator bool() const { return static_cast<bool>(Run); }
};

// The bytes of frames First..End−1 of a sound as they were before a routine wrote them, taken as
// the routine reaches them: a routine that is about to write a frame first saves up to it, so the
// copy rides on the routine's own pass through memory instead of reading the frames once more
// before it starts. Every frame from the first unsaved one on is still as it was; Finish takes
// them as they are.
class FrameBackup {
 public:
  // `samples`: frame 0 of the sound; `into`: room for (end − first) × frameBytes bytes.
  FrameBackup(const uint8_t* samples, uint32_t frameBytes, int64_t first, int64_t end, uint8_t* into)
      : samples_(samples), into_(into), frameBytes_(frameBytes), first_(first), end_(end), saved_(first) {}

  // Before frames below `end` are written.
  void SaveUpTo(int64_t end) {
    if (end > saved_) SaveMore(end);
  }
  // Before the image changes in any other way, and when the routine is done.
  void Finish();

  // The bytes the copy takes in full.
  uint64_t Size() const { return static_cast<uint64_t>(end_ - first_) * frameBytes_; }

  // A routine that can take back its change without the copy hands over how before it writes
  // anything, and then writes nothing else: no frame is copied. False, with nothing handed over,
  // once frames are saved.
  bool Replace(FrameReversal reversal);
  FrameReversal TakeReversal() { return std::move(reversal_); }

 private:
  void SaveMore(int64_t end);

  const uint8_t* samples_;
  uint8_t* into_;
  uint32_t frameBytes_;
  int64_t first_;
  int64_t end_;
  int64_t saved_;  // frames first_..saved_−1 are taken
  FrameReversal reversal_;
  // The copy's fresh pages, taken from the system beside the routine from the first save on.
  std::optional<PagePrefetch> prefetch_;
};
