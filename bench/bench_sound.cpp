#include "bench_sound.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "wave/wave_document.h"
#include "wave/wave_header.h"

void LoadBenchSound(TWave& wave, uint32_t seconds) {
  constexpr uint32_t kRate = 44100;
  const uint32_t frames = kRate * seconds;
  std::vector<uint8_t> image(kWaveHeaderSize + frames * 4);
  WriteWaveHeader(CanonicalWaveHeader(2, kRate, 16, frames * 4), image.data());
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const auto left = static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * 440 * t));
    const auto right = static_cast<int16_t>(9000 * std::sin(2 * std::numbers::pi * 523.25 * t));
    uint8_t* p = image.data() + kWaveHeaderSize + i * 4;
    p[0] = static_cast<uint8_t>(left);
    p[1] = static_cast<uint8_t>(static_cast<uint16_t>(left) >> 8);
    p[2] = static_cast<uint8_t>(right);
    p[3] = static_cast<uint8_t>(static_cast<uint16_t>(right) >> 8);
  }
  wave.LoadFromImage("bench.wav", std::move(image));
}
