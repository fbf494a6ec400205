#pragma once

#include <portaudio.h>

#include <atomic>
#include <memory>

// PortAudio's first initialization probes every host API (ALSA's cards and plugins, JACK, the
// sound server behind ALSA), which takes tens to hundreds of milliseconds. Begun on a thread of
// its own as the program starts, it runs while Qt starts; the program's own initializations,
// after it, then only count up. It runs as the sound system's calls do (sound_system_watch.h),
// which wait for it, each within its bound, before they reach PortAudio themselves: a sound
// system that never answers holds up nothing but the sound.
class PortAudioWarmUp {
 public:
  PortAudioWarmUp();
  // Waits within the bound, and gives back the warm-up's own initialization.
  ~PortAudioWarmUp();
  PortAudioWarmUp(const PortAudioWarmUp&) = delete;
  PortAudioWarmUp& operator=(const PortAudioWarmUp&) = delete;

 private:
  // Shared with the probe, which may outlive this object.
  std::shared_ptr<std::atomic<PaError>> result_ = std::make_shared<std::atomic<PaError>>(paNotInitialized);
};
