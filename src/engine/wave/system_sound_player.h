#pragma once

#include <cstddef>
#include <cstdint>

// The platform's system sound player as the document sees it: it plays `frameCount` frames from
// `firstFrame` of a WAV image (header included, the format taken from the header; the range is
// cut to the frames the image holds) straight from memory, asynchronously, and stops whatever
// it plays. Neither call throws; false means no device took the sound.
// The caller keeps the image alive and unchanged until Stop or the end of playback.
class ISystemSoundPlayer {
 public:
  virtual ~ISystemSoundPlayer() = default;
  virtual bool PlayAsync(const uint8_t* image, size_t size, int64_t firstFrame, int64_t frameCount) = 0;
  virtual bool StopAll() = 0;
  // The frame of the playing image being heard now, counted from the first of its data; -1 when
  // nothing plays. Asked from the thread that plays and stops.
  virtual int64_t PlayingFrame() const = 0;
};
