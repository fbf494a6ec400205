#pragma once

#include <cstdint>
#include <string>

struct SoundCard;

// A recording made without a window: the recorder set to a format, recording into `fileName`
// from the default input device for `seconds`, then stopped, as Rec, OK and Stop do in the
// window. Runs the user-interface thread's message loop meanwhile, making one when the process
// has none.
struct RecordingRequest {
  double Seconds = 0;
  uint16_t SampleRate = 11025;
  int Bits = 8;
  int Channels = 1;
};

struct RecordingOutcome {
  // Empty when the recording ran; otherwise the recorder's message.
  std::string Error;
  uint64_t DroppedFrames = 0;
};

// Throws std::runtime_error "Cannot create file …" when the file cannot be made.
RecordingOutcome RecordForSeconds(const SoundCard& card, const std::string& fileName, const RecordingRequest& request);
