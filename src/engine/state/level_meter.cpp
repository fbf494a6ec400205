#include "state/level_meter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kFullScale = 32768.0;

double Decibels(uint32_t magnitude) {
  return magnitude == 0 ? -std::numeric_limits<double>::infinity() : 20.0 * std::log10(magnitude / kFullScale);
}

void RaiseTo(std::atomic<uint32_t>& level, uint32_t value) {
  uint32_t now = level.load(std::memory_order_relaxed);
  while (value > now && !level.compare_exchange_weak(now, value, std::memory_order_relaxed)) {
  }
}

}  // namespace

void LevelMeter::Start(int bitsPerSample, int channels, uint32_t sampleRate) {
  bits_ = bitsPerSample;
  channels_.store(std::clamp(channels, 1, kChannels), std::memory_order_relaxed);
  partFrames_ = std::max<uint32_t>(sampleRate / kParts, 1);
  for (int c = 0; c < kChannels; ++c) {
    peak_[c].store(0, std::memory_order_relaxed);
    held_[c].store(0, std::memory_order_relaxed);
    parts_[c].fill(0);
  }
  ClearClips();
  part_ = 0;
  framesInPart_ = 0;
  nextChannel_ = 0;
}

void LevelMeter::Take(const uint8_t* data, size_t bytes) {
  const int channels = Channels();
  const size_t sampleBytes = bits_ == 16 ? 2 : 1;
  std::array<uint32_t, kChannels> highest{};
  std::array<bool, kChannels> clipped{};
  for (size_t at = 0; at + sampleBytes <= bytes; at += sampleBytes) {
    uint32_t magnitude = 0;
    bool full = false;
    if (sampleBytes == 2) {
      const auto code = static_cast<int16_t>(data[at] | (data[at + 1] << 8));
      magnitude = static_cast<uint32_t>(std::abs(int32_t{code}));
      full = code == INT16_MIN || code == INT16_MAX;
    } else {
      magnitude = static_cast<uint32_t>(std::abs(int32_t{data[at]} - 128)) << 8;
      full = data[at] == 0 || data[at] == 255;
    }
    const int c = nextChannel_;
    highest[c] = std::max(highest[c], magnitude);
    clipped[c] = clipped[c] || full;
    parts_[c][part_] = std::max(parts_[c][part_], magnitude);
    if (++nextChannel_ < channels) continue;
    nextChannel_ = 0;
    if (++framesInPart_ < partFrames_) continue;
    // Publish the second that ends here, then start the next part afresh.
    for (int k = 0; k < channels; ++k)
      held_[k].store(*std::max_element(parts_[k].begin(), parts_[k].end()), std::memory_order_relaxed);
    part_ = (part_ + 1) % kParts;
    framesInPart_ = 0;
    for (int k = 0; k < channels; ++k) parts_[k][part_] = 0;
  }
  for (int c = 0; c < channels; ++c) {
    RaiseTo(peak_[c], highest[c]);
    if (clipped[c]) clipped_[c].store(true, std::memory_order_relaxed);
    held_[c].store(*std::max_element(parts_[c].begin(), parts_[c].end()), std::memory_order_relaxed);
  }
}

double LevelMeter::TakePeakDb(int channel) { return Decibels(peak_[channel].exchange(0, std::memory_order_relaxed)); }

double LevelMeter::HeldDb(int channel) const { return Decibels(held_[channel].load(std::memory_order_relaxed)); }

void LevelMeter::ClearClips() {
  for (auto& light : clipped_) light.store(false, std::memory_order_relaxed);
}
