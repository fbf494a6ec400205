#pragma once

#include "audio/audio_component.h"
#include "audio/platform/alsa_mixer.h"
#include "audio/platform/portaudio_wave_input.h"
#include "audio/platform/portaudio_wave_output.h"

// The sound card as the program reaches it: PortAudio for recording and playing, ALSA's simple
// mixer for the mixer's lines. Outlives the components made on it.
struct SystemSoundCard {
  PortAudioWaveInput WaveIn;
  PortAudioWaveOutput WaveOut;
  AlsaMixer Mixer;

  SoundCard Card() { return {WaveIn, WaveOut, Mixer}; }
};
