#include "wave/frame_backup.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <utility>

void FrameBackup::SaveMore(int64_t end) {
  if (reversal_) throw std::logic_error("A routine wrote frames after handing over how to take them back");
  const auto offset = [&](int64_t frame) { return static_cast<size_t>(frame - first_) * frameBytes_; };
  // Some way ahead of the routine, which then reads those frames from the cache.
  constexpr int64_t kAheadBytes = 64 * 1024;
  const int64_t to = std::min(end_, std::max(end, saved_ + kAheadBytes / frameBytes_));
  if (to <= saved_) return;
  if (!prefetch_) prefetch_.emplace(into_ + offset(saved_), offset(end_) - offset(saved_));
  StreamCopy(into_ + offset(saved_), samples_ + static_cast<size_t>(saved_) * frameBytes_, offset(to) - offset(saved_));
  saved_ = to;
}

void FrameBackup::Finish() {
  if (reversal_) return;
  SaveMore(end_);
  prefetch_.reset();
}

bool FrameBackup::Replace(FrameReversal reversal) {
  if (saved_ > first_) return false;
  reversal_ = std::move(reversal);
  return true;
}
