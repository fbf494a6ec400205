#include "wave/frame_backup.h"

#include <algorithm>
#include <cstddef>

#include "wave/image_memory.h"

void FrameBackup::SaveMore(int64_t end) {
  // Some way ahead of the routine, which then reads those frames from the cache.
  constexpr int64_t kAheadBytes = 64 * 1024;
  const int64_t to = std::min(end_, std::max(end, saved_ + kAheadBytes / frameBytes_));
  if (to <= saved_) return;
  const auto offset = static_cast<size_t>(saved_ - first_) * frameBytes_;
  StreamCopy(into_ + offset, samples_ + static_cast<size_t>(saved_) * frameBytes_,
             static_cast<size_t>(to - saved_) * frameBytes_);
  saved_ = to;
}
