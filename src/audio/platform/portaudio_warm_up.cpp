#include "audio/platform/portaudio_warm_up.h"

#include "audio/platform/portaudio_quiet.h"
#include "audio/platform/sound_system_watch.h"

PortAudioWarmUp::PortAudioWarmUp() {
  QuietSoundLibraries();
  BeginSoundSystemCall([result = result_] {
    *result = Pa_Initialize();
    return result->load();
  });
}

// A probe that never answered is left where it blocks: there is nothing to terminate.
PortAudioWarmUp::~PortAudioWarmUp() {
  if (AwaitSoundSystem() && *result_ == paNoError) CallSoundSystem([] { return Pa_Terminate(); });
}
