#pragma once

#include <cstdint>

class TWave;

// Samples as a meter or a resampler takes them: measured from the middle level, which the sample
// mapping puts half a code step off zero, so that a muted sound reads exactly 0 and what such a
// routine writes keeps the middle level where it was. Frames are interleaved, channels in file
// order, as the sound libraries take them.
struct CenteredScale {
  int Channels = 1;
  // The value of the middle level, and the lowest and highest value a sample can hold (unbounded
  // where the layout does not wrap).
  double Middle = 0.0;
  double Low = -1.0;
  double High = 1.0;
};

CenteredScale CenteredScaleOf(TWave& wave);

// Frames begin..begin + count - 1, all inside the sound.
void ReadCenteredFrames(const TWave& wave, const CenteredScale& scale, int64_t begin, int64_t count, double* out);
// The same frames written; a value beyond what a sample holds is held at the nearest it can,
// because wrapping round would turn an overshoot into a click of full scale.
void WriteCenteredFrames(TWave& wave, const CenteredScale& scale, int64_t begin, int64_t count, const double* in);
