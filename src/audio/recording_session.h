#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audio/audio_settings.h"

struct SoundCard;

// The format a recording is made in.
struct RecordingFormat {
  uint16_t SampleRate = 11025;
  TBPS Bits = TBPS::_8;
  TChannels Channels = TChannels::Mono;
};

// Sets the recorder of `audio` to `format`, makes `fileName` the header of that format and
// starts capturing into it from the default input device, as OK in the recording options does.
// From here on every device error in `audio.ErrorMessage` belongs to this recording. False when
// the device did not start; the file then stays an empty recording. Throws std::runtime_error
// "Cannot create file …" when the file cannot be made and "Another recording is using …" when
// another recording holds it, with nothing started.
bool StartRecording(TAudio& audio, const std::string& fileName, const RecordingFormat& format);

// What a recording made, as Stop finds it.
struct RecordingOutcome {
  // The device's failure, as the recorder reported it; empty when the device ran.
  std::string DeviceError;
  // Why the file holds less than was captured: a write error, or the file deleted meanwhile.
  std::string FileError;
  // Set when the file lost its name while recording: Image is then all that is left of it.
  bool FileLost = false;
  // Set when the recording stopped at the largest sound the editor holds, saying so.
  std::string Notice;
  // The recording as its file holds it, read through the descriptor that wrote it; empty when
  // there is no file to open (none made).
  std::vector<uint8_t> Image;
  uint64_t DroppedFrames = 0;
};

// Stops the recording that StartRecording began, as Stop in the window does, and hands over
// what it made, cut to `keepBytes` (header included) when it holds more. The scratch file's lock
// ends here.
RecordingOutcome StopRecording(TAudio& audio, uint64_t keepBytes = UINT64_MAX);

// A recording made without a window: started as above and stopped once at least `Seconds` of
// sound have reached the file, which then keeps exactly those frames, as Rec, OK and Stop do in the window. Runs the user-interface
// thread's message loop meanwhile, making one when the process has none.
struct RecordingRequest {
  double Seconds = 0;
  RecordingFormat Format;
  // Asked between buffers: true stops the recording at once.
  std::function<bool()> Interrupted = [] { return false; };
};

// Throws std::runtime_error as StartRecording does.
RecordingOutcome RecordForSeconds(const SoundCard& card, const std::string& fileName, const RecordingRequest& request);
