#pragma once

#include "audio/audio_component.h"
#include "test_mixer.h"
#include "test_wave_input.h"

// A sound card of test backends, driven by the test.
struct TestSoundCard {
  TestWaveInput WaveIn;
  TestMixer Mixer;

  SoundCard Card() { return {WaveIn, Mixer}; }
};
