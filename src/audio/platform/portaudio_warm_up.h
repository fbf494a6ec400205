#pragma once

#include <portaudio.h>

#include <thread>

// PortAudio's first initialization probes every host API (ALSA's cards and plugins, JACK, the
// sound server behind ALSA), which takes tens to hundreds of milliseconds. Begun on a thread of
// its own as the program starts, it runs while Qt starts; the program's own initializations,
// after Wait(), then only count up. PortAudio is not safe from two threads at once: nothing else
// may reach it, or set ALSA's error handler, before Wait() returns.
class PortAudioWarmUp {
 public:
  PortAudioWarmUp();
  // Waits, and gives back the warm-up's own initialization.
  ~PortAudioWarmUp();
  PortAudioWarmUp(const PortAudioWarmUp&) = delete;
  PortAudioWarmUp& operator=(const PortAudioWarmUp&) = delete;

  void Wait();

 private:
  PaError result_ = paNotInitialized;
  std::thread probe_;
};
