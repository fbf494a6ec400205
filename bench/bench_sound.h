#pragma once

#include <cstdint>

class TWave;

// A 44,100 Hz 16-bit stereo sound of `seconds` loaded into `wave`: a tone on the left, a
// different one on the right, so that no routine meets silence.
void LoadBenchSound(TWave& wave, uint32_t seconds = 600);
