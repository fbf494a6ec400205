#pragma once

#include "audio/audio_component.h"
#include "audio/platform/alsa_mixer.h"
#include "audio/platform/portaudio_wave_input.h"

// The sound card as the program reaches it for recording: PortAudio for the wave input, ALSA's
// simple mixer for the mixer's lines. Outlives the components made on it.
struct SystemSoundCard {
  PortAudioWaveInput WaveIn;
  AlsaMixer Mixer;

  SoundCard Card() { return {WaveIn, Mixer}; }
};
