#pragma once

#include <cstdint>
#include <string>

#include "audio/audio_settings.h"

struct SoundCard;

// The format a recording is made in.
struct RecordingFormat {
  uint16_t SampleRate = 11025;
  TBPS Bits = TBPS::_8;
  TChannels Channels = TChannels::Mono;
};

// Sets the recorder of `audio` to `format`, replaces `fileName` with the header of that format and
// starts capturing into it from the default input device, as OK in the recording options does.
// From here on every device error in `audio.ErrorMessage` belongs to this recording. False when
// the device did not start; the file then stays an empty recording. Throws std::runtime_error
// "Cannot create file …" when the file cannot be made, with nothing started.
bool StartRecording(TAudio& audio, const std::string& fileName, const RecordingFormat& format);

// A recording made without a window: started as above, recording for `seconds`, then stopped, as
// Rec, OK and Stop do in the window. Runs the user-interface thread's message loop meanwhile,
// making one when the process has none.
struct RecordingRequest {
  double Seconds = 0;
  RecordingFormat Format;
};

struct RecordingOutcome {
  // Empty when the recording ran; otherwise the recorder's message.
  std::string Error;
  uint64_t DroppedFrames = 0;
};

// Throws std::runtime_error "Cannot create file …" when the file cannot be made.
RecordingOutcome RecordForSeconds(const SoundCard& card, const std::string& fileName, const RecordingRequest& request);
