#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"
#include "wave/wave_document.h"

// A 16-bit sound loaded from a file in its own temporary folder. `right` empty makes it mono;
// otherwise both channels must be of the same length.
class LoadedWave {
 public:
  LoadedWave(const std::vector<int16_t>& left, const std::vector<int16_t>& right = {}) {
    std::vector<int16_t> samples;
    for (size_t i = 0; i < left.size(); ++i) {
      samples.push_back(left[i]);
      if (!right.empty()) samples.push_back(right.at(i));
    }
    const std::string file = dir_.File("sound.wav");
    WriteBytes(file, CanonicalWave(right.empty() ? 1 : 2, 44100, 16, Words(samples)));
    wave_.LoadFromFile(file);
  }

  const TWave& operator*() const { return wave_; }

 private:
  TempDir dir_;
  TWave wave_;
};
