#pragma once

#include <cstdint>
#include <vector>

// A change of the sound's length, in whole frames: the new sound is old frames Begin..Cut - 1,
// then InsertedFrames frames copied from Inserted (silence when it is null), then old frames
// Resume..End - 1. Begin <= Cut <= Resume <= End <= the old frame count.
struct FrameSplice {
  uint32_t Begin = 0;
  uint32_t Cut = 0;
  const uint8_t* Inserted = nullptr;
  uint32_t InsertedFrames = 0;
  uint32_t Resume = 0;
  uint32_t End = 0;
};

// Frames of a sound that are in it on one side of an undo and out of it on the other: Count
// frames from Frame of the longer sound, with their bytes while they are out.
struct FramePiece {
  uint32_t Frame = 0;
  uint32_t Count = 0;
  std::vector<uint8_t> Bytes;
};
