#include "audio/platform/portaudio_warm_up.h"

#include "audio/platform/portaudio_quiet.h"

PortAudioWarmUp::PortAudioWarmUp() {
  QuietSoundLibraries();
  // The result is read only after the join, which orders it after this write.
  probe_ = std::thread([this] { result_ = Pa_Initialize(); });
}

PortAudioWarmUp::~PortAudioWarmUp() {
  Wait();
  if (result_ == paNoError) Pa_Terminate();
}

void PortAudioWarmUp::Wait() {
  if (probe_.joinable()) probe_.join();
}
