#pragma once

#include <portaudio.h>

// Pa_Initialize without the sound system's own chatter: while PortAudio probes its host APIs,
// ALSA reports every card and plugin it cannot open and JACK every server it cannot reach, on the
// process's standard error. Those messages are meant for their libraries' developers, not for
// someone recording; a device that cannot be used is reported by the caller, with PortAudio's
// error text. ALSA's error handler stays silent from the first call on, and JACK is told not to
// start a server of its own.
// Bounded as the sound system's calls are (sound_system_watch.h).
PaError InitializePortAudioQuietly();
// The silencing alone, for a caller that initializes PortAudio on another thread: environment and
// handlers are set here, on the calling thread, before anything else in the program reads them.
void QuietSoundLibraries();
