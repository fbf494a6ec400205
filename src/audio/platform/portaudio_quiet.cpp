#include "audio/platform/portaudio_quiet.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>

#include <cstdlib>
#include <initializer_list>

#include "audio/platform/sound_system_watch.h"

namespace {

void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}
void SilentJackMessage(const char*) {}

// JACK comes in through PortAudio; its message hooks are looked up where it is loaded, so that the
// program does not link JACK itself.
void SilenceJack() {
  using MessageFunction = void (*)(void (*)(const char*));
  for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
    if (auto set = reinterpret_cast<MessageFunction>(dlsym(RTLD_DEFAULT, name))) set(SilentJackMessage);
  }
}

}  // namespace

void QuietSoundLibraries() {
  snd_lib_error_set_handler(SilentAlsaError);
  // Only for this process and what it starts; a user's own setting is kept.
  setenv("JACK_NO_START_SERVER", "1", 0);
  SilenceJack();
}

PaError InitializePortAudioQuietly() {
  QuietSoundLibraries();
  return CallSoundSystem([] { return Pa_Initialize(); });
}
