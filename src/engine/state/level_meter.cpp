#include "state/level_meter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kFullScale = 2147483648.0;

double Decibels(uint32_t magnitude) {
  return magnitude == 0 ? -std::numeric_limits<double>::infinity() : 20.0 * std::log10(magnitude / kFullScale);
}

void RaiseTo(std::atomic<uint32_t>& level, uint32_t value) {
  uint32_t now = level.load(std::memory_order_relaxed);
  while (value > now && !level.compare_exchange_weak(now, value, std::memory_order_relaxed)) {
  }
}

}  // namespace

void LevelMeter::Start(SampleKind kind, int channels, uint32_t sampleRate) {
  kind_ = kind;
  channels_.store(std::clamp(channels, 1, kChannels), std::memory_order_relaxed);
  partFrames_ = std::max<uint32_t>(sampleRate / kParts, 1);
  for (int c = 0; c < kChannels; ++c) {
    peak_[c].store(0, std::memory_order_relaxed);
    held_[c].store(0, std::memory_order_relaxed);
    latest_[c].store(0, std::memory_order_relaxed);
    parts_[c].fill(0);
  }
  ClearClips();
  part_ = 0;
  framesInPart_ = 0;
  nextChannel_ = 0;
}

void LevelMeter::Take(const uint8_t* data, size_t bytes) {
  const int channels = Channels();
  const auto count = static_cast<uint32_t>(bytes / FormatOf(kind_).Bytes);
  std::array<uint32_t, kChannels> highest{};
  std::array<bool, kChannels> clipped{};
  // The samples one after another, as the one channel of a mono layout of the recording's kind;
  // the channels take turns. Only reads go through the pointer.
  WithLayout(const_cast<uint8_t*>(data), count, kind_, 1, [&](auto samples) {
    using Samples = decltype(samples);
    // Levels are measured from the middle level, so that digital silence reads nothing, as a
    // share of the distance to the lowest code, which is full scale.
    const double middle = samples.ValueOf(Samples::kSilence);
    const double fullScale = middle - samples.ValueOf(Samples::kLowest);
    for (uint32_t i = 0; i < count; ++i) {
      const auto code = samples.CodeAt(i, false);
      const double share = std::fabs(samples.ValueOf(code) - middle) / fullScale;
      // A float beyond full scale, or none at all, reads as the loudest the scale holds.
      const uint32_t magnitude = share < 2.0 ? static_cast<uint32_t>(std::llround(share * kFullScale)) : UINT32_MAX;
      bool full;
      if constexpr (Samples::kKind == SampleKind::Float) {
        full = !(std::fabs(code) < Samples::kHighest);
      } else {
        full = code == Samples::kLowest || code == Samples::kHighest;
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
  });
  for (int c = 0; c < channels; ++c) {
    latest_[c].store(highest[c], std::memory_order_relaxed);
    RaiseTo(peak_[c], highest[c]);
    if (clipped[c]) clipped_[c].store(true, std::memory_order_relaxed);
    held_[c].store(*std::max_element(parts_[c].begin(), parts_[c].end()), std::memory_order_relaxed);
  }
}

double LevelMeter::TakePeakDb(int channel) {
  const uint32_t peak = peak_[channel].exchange(0, std::memory_order_relaxed);
  return Decibels(peak != 0 ? peak : latest_[channel].load(std::memory_order_relaxed));
}

double LevelMeter::HeldDb(int channel) const { return Decibels(held_[channel].load(std::memory_order_relaxed)); }

void LevelMeter::ClearClips() {
  for (auto& light : clipped_) light.store(false, std::memory_order_relaxed);
}
