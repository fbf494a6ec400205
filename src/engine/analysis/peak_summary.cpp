#include "analysis/peak_summary.h"

#include <algorithm>
#include <bit>
#include <type_traits>
#include <climits>
#include <cstring>
#include <utility>

#include "wave/wave_document.h"

namespace {

constexpr int64_t kBlock = PeakSummary::kBlockFrames;

// The typed samples of `wave` for reading; nothing here writes through them.
template <class F>
decltype(auto) ReadSamples(const TWave& wave, F&& f) {
  const std::vector<uint8_t>& image = wave.Image();
  uint8_t* data = image.size() > kWaveHeaderSize ? const_cast<uint8_t*>(image.data()) + kWaveHeaderSize : nullptr;
  return WithLayout(data, wave.SampleCount(), wave.Kind(), wave.Channels(), std::forward<F>(f));
}

// A code as a number in the order of the values: the integer codes as they read, a float's bits
// with those of negative values turned around.
template <class Code>
int32_t KeyOf(Code code) {
  if constexpr (std::is_same_v<Code, Int24>) {
    return WordOf(code);
  } else if constexpr (std::is_same_v<Code, float>) {
    const auto bits = std::bit_cast<int32_t>(code);
    return bits >= 0 ? bits : bits ^ 0x7FFFFFFF;
  } else {
    return code;
  }
}

template <class Code>
Code CodeOfKey(int32_t key) {
  if constexpr (std::is_same_v<Code, Int24>) {
    return Int24Of(key);
  } else if constexpr (std::is_same_v<Code, float>) {
    return std::bit_cast<float>(key >= 0 ? key : key ^ 0x7FFFFFFF);
  } else {
    return static_cast<Code>(key);
  }
}

// The lowest and highest code of each channel.
struct RunPeaks {
  int Low[2] = {INT_MAX, INT_MAX};
  int High[2] = {INT_MIN, INT_MIN};
};

// Frames [begin, end) of the sound in chunks as wide as a vector register, each lane of a chunk
// with its own running minimum and maximum, so that the compiler turns the loop into packed
// min/max instructions without a branch. A lane always holds one channel, the lane count being a
// multiple of the channel count. A run that ends in part of a chunk has that chunk padded with
// copies of its last frame, which move neither end.
template <class Samples>
RunPeaks SummariseRun(const Samples& samples, int64_t begin, int64_t end) {
  using Code = typename Samples::Code;
  constexpr int kChannels = Samples::kChannels;
  RunPeaks peaks;
  if (begin >= end) return peaks;
  if constexpr (sizeof(Code) == 3) {
    // Three-byte codes fill no vector lane evenly; they are read one by one.
    for (int64_t i = begin; i < end; ++i) {
      for (int c = 0; c < kChannels; ++c) {
        const int32_t key = KeyOf(samples.CodeAt(i, c == 1));
        peaks.Low[c] = std::min(peaks.Low[c], key);
        peaks.High[c] = std::max(peaks.High[c], key);
      }
    }
  } else {
    constexpr size_t kLanes = 32 / sizeof(Code);
    const uint8_t* bytes = samples.FrameBytes(begin);
    const auto count = static_cast<size_t>(end - begin) * kChannels;
    const size_t whole = count / kLanes;
    const size_t rest = count % kLanes;
    Code chunk[kLanes];
    if (rest == 0) {
      std::memcpy(chunk, bytes, sizeof chunk);
    } else {
      std::memcpy(chunk, bytes + whole * sizeof chunk, rest * sizeof(Code));
      for (size_t j = rest; j < kLanes; ++j) chunk[j] = chunk[j - kChannels];
    }
    Code lo[kLanes];
    Code hi[kLanes];
    for (size_t j = 0; j < kLanes; ++j) lo[j] = hi[j] = chunk[j];
    for (size_t c = 0; c < whole; ++c) {
      std::memcpy(chunk, bytes + c * sizeof chunk, sizeof chunk);
      for (size_t j = 0; j < kLanes; ++j) {
        lo[j] = std::min(lo[j], chunk[j]);
        hi[j] = std::max(hi[j], chunk[j]);
      }
    }
    for (size_t j = 0; j < kLanes; ++j) {
      peaks.Low[j % kChannels] = std::min<int>(peaks.Low[j % kChannels], KeyOf(lo[j]));
      peaks.High[j % kChannels] = std::max<int>(peaks.High[j % kChannels], KeyOf(hi[j]));
    }
  }
  return peaks;
}

}  // namespace

void PeakSummary::Build(const TWave& wave) {
  built_ = wave.Loaded();
  frames_ = built_ ? wave.SampleCount() : 0;
  kind_ = wave.Kind();
  channels_ = wave.Channels();
  const size_t blocks = built_ ? (frames_ + size_t{kBlock} - 1) / kBlock : 0;
  for (int c = 0; c < 2; ++c) {
    lows_[c].resize(c < channels_ ? blocks : 0);
    highs_[c].resize(c < channels_ ? blocks : 0);
  }
  if (built_) SummariseBlocks(wave, 0, (frames_ + uint64_t{kBlock} - 1) / kBlock);
}

void PeakSummary::Update(const TWave& wave, int64_t first, int64_t last) {
  if (!Fits(wave)) {
    Build(wave);
    return;
  }
  first = std::max<int64_t>(first, 0);
  last = std::min<int64_t>(last, int64_t{frames_} - 1);
  if (last >= first) SummariseBlocks(wave, static_cast<uint64_t>(first / kBlock), static_cast<uint64_t>(last / kBlock + 1));
}

bool PeakSummary::Fits(const TWave& wave) const {
  return built_ && wave.Loaded() && frames_ == wave.SampleCount() && kind_ == wave.Kind() &&
         channels_ == wave.Channels();
}

void PeakSummary::SummariseBlocks(const TWave& wave, uint64_t firstBlock, uint64_t endBlock) {
  ReadSamples(wave, [&](auto samples) {
    for (uint64_t block = firstBlock; block < endBlock; ++block) {
      const auto begin = static_cast<int64_t>(block * kBlock);
      const RunPeaks peaks = SummariseRun(samples, begin, std::min<int64_t>(begin + kBlock, frames_));
      for (size_t c = 0; c < channels_; ++c) {
        lows_[c][block] = peaks.Low[c];
        highs_[c][block] = peaks.High[c];
      }
    }
  });
}

PeakRange PeakSummary::Peak(const TWave& wave, bool right, int64_t begin, int64_t end) const {
  const int64_t first = std::max<int64_t>(begin, 0);
  const int64_t last = std::min<int64_t>(end, frames_);
  if (first >= last) return {};
  return ReadSamples(wave, [&](auto samples) {
    using Code = typename decltype(samples)::Code;
    const size_t channel = channels_ == 2 && right;
    // The frames before the first whole block and after the last are read themselves.
    const int64_t headEnd = std::min(last, (first + kBlock - 1) / kBlock * kBlock);
    const int64_t tailBegin = std::max(headEnd, last / kBlock * kBlock);
    const RunPeaks head = SummariseRun(samples, first, headEnd);
    const RunPeaks tail = SummariseRun(samples, tailBegin, last);
    int low = std::min(head.Low[channel], tail.Low[channel]);
    int high = std::max(head.High[channel], tail.High[channel]);
    const int32_t* lows = lows_[channel].data();
    const int32_t* highs = highs_[channel].data();
    for (auto block = static_cast<size_t>(headEnd / kBlock); block < static_cast<size_t>(tailBegin / kBlock); ++block) {
      low = std::min<int>(low, lows[block]);
      high = std::max<int>(high, highs[block]);
    }
    PeakRange range{samples.ValueOf(CodeOfKey<Code>(low)), samples.ValueOf(CodeOfKey<Code>(high))};
    if (begin < first || last < end) {
      range.Min = std::min(range.Min, 0.0);
      range.Max = std::max(range.Max, 0.0);
    }
    return range;
  });
}
