#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include <portaudio.h>

#include "wave/system_sound_player.h"

// The system sound player on PortAudio: one output stream on the default output device that
// plays the sample data of a canonical WAV image (8-bit unsigned or 16-bit, mono or stereo),
// taking the format from the image's own 44-byte header.
//
// Lifetime: the stream callback reads straight from the caller's image, so the caller keeps the
// image alive and unchanged until StopAll (or the next PlayAsync). TWave stops the player before
// it replaces or frees its image.
//
// PortAudio is initialised at the first PlayAsync or StopAll, so a program that never plays
// never touches the sound system, and terminated when the player is destroyed. All calls come
// from one thread (the user-interface thread).
class PortAudioSoundPlayer : public ISystemSoundPlayer {
 public:
  PortAudioSoundPlayer() = default;
  ~PortAudioSoundPlayer() override;
  PortAudioSoundPlayer(const PortAudioSoundPlayer&) = delete;
  PortAudioSoundPlayer& operator=(const PortAudioSoundPlayer&) = delete;

  // Stops what plays, then starts the image and returns at once. False when the header is not
  // one this player can serve (nothing is opened then) or no output device can be opened.
  bool PlayAsync(const uint8_t* image, size_t size, int64_t firstFrame, int64_t frameCount) override;
  // Ends whatever plays. False only when the sound system has no output device.
  bool StopAll() override;
  // Worked out from the stream's clock and the time at which the device plays the buffer the
  // callback fills last, so it moves smoothly between callbacks and lags by no buffer.
  int64_t PlayingFrame() const override;

 private:
  enum class State { kUntouched, kReady, kNoDevice };

  // What the stream callback reads. The plain fields are set before the stream starts and stay
  // fixed while it exists; only the read position moves under the callback.
  struct Playback {
    const uint8_t* data = nullptr;
    size_t bytes = 0;
    size_t frameBytes = 1;
    // The image's frame that `data` begins with.
    int64_t first = 0;
    uint8_t silence = 0;
    // Float samples beyond full scale are clipped on their way to the device.
    bool clip = false;
    double rate = 1.0;
    std::atomic<size_t> played{0};
    // The stream time at which frame 0 is heard, as the latest buffer's output time puts it; NaN
    // until the host has told one.
    std::atomic<double> heardFromTime{0.0};
  };

  static int StreamCallback(const void* input, void* output, unsigned long frames,
                            const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags flags,
                            void* userData);
  bool EnsureInitialized();
  void CloseStream();

  State state_ = State::kUntouched;
  PaStream* stream_ = nullptr;
  Playback playback_;
};
