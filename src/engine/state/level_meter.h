#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "wave/sample_codes.h"

// The peak levels of a recording as it is made, per channel: the highest since the display last
// asked, the highest of the last second (held), and whether a sample reached full scale (lit
// until cleared or the next recording). One thread hands over the recorded buffers (Take); any
// other may read at the same time, through atomics only.
class LevelMeter {
 public:
  static constexpr int kChannels = 2;

  // A new recording of this format: silence, clip lights out. Called while no Take runs.
  void Start(SampleKind kind, int channels, uint32_t sampleRate);
  // Interleaved frames of the recording's format, read through the sample mapping; a trailing part
  // frame counts with what it holds.
  void Take(const uint8_t* data, size_t bytes);

  int Channels() const { return channels_.load(std::memory_order_relaxed); }
  // In dBFS (0 at full scale, negative infinity for digital silence): the highest peak of `channel`
  // since the last call, which starts the next period; when no sound has come since, the peak of
  // the last buffer that came, as sound arrives in buffers far apart.
  double TakePeakDb(int channel);
  // The highest peak of the last second of sound, in dBFS.
  double HeldDb(int channel) const;
  bool Clipped(int channel) const { return clipped_[channel].load(std::memory_order_relaxed); }
  void ClearClips();

 private:
  // A second is held in ten parts; the held peak is the highest of the latest ten.
  static constexpr int kParts = 10;

  std::atomic<int> channels_{1};
  SampleKind kind_ = SampleKind::Byte;
  uint32_t partFrames_ = 1;
  // Magnitudes on a scale where full scale is 2^31.
  std::array<std::atomic<uint32_t>, kChannels> peak_{};
  std::array<std::atomic<uint32_t>, kChannels> held_{};
  std::array<std::atomic<bool>, kChannels> clipped_{};
  // The highest of the last buffer taken.
  std::array<std::atomic<uint32_t>, kChannels> latest_{};
  // Touched by the thread that takes the buffers only.
  std::array<std::array<uint32_t, kParts>, kChannels> parts_{};
  int part_ = 0;
  uint32_t framesInPart_ = 0;
  int nextChannel_ = 0;
};
