#include "views/peak_summary.h"

#include <algorithm>
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
  return WithLayout(data, wave.SampleCount(), wave.BitsPerSample(), wave.Channels(), std::forward<F>(f));
}

// A whole block in lanes as wide as a vector register, each lane with its own running minimum
// and maximum, so that the compiler turns the loop into packed min/max instructions without a
// branch. The lane count is a multiple of the channel count: a lane always holds one channel.
template <class Samples>
void SummariseWholeBlock(const Samples& samples, int64_t firstFrame, int16_t* lows, int16_t* highs) {
  using Code = typename Samples::Code;
  constexpr int kChannels = Samples::kChannels;
  constexpr size_t kCount = PeakSummary::kBlockFrames * kChannels;
  constexpr size_t kLanes = 32 / sizeof(Code);
  Code codes[kCount];
  std::memcpy(codes, samples.FrameBytes(firstFrame), sizeof codes);
  Code lo[kLanes];
  Code hi[kLanes];
  for (size_t j = 0; j < kLanes; ++j) lo[j] = hi[j] = codes[j];
  for (size_t i = kLanes; i < kCount; i += kLanes) {
    for (size_t j = 0; j < kLanes; ++j) {
      lo[j] = std::min(lo[j], codes[i + j]);
      hi[j] = std::max(hi[j], codes[i + j]);
    }
  }
  for (int c = 0; c < kChannels; ++c) {
    Code low = lo[c];
    Code high = hi[c];
    for (size_t j = c + kChannels; j < kLanes; j += kChannels) {
      low = std::min(low, lo[j]);
      high = std::max(high, hi[j]);
    }
    lows[c] = low;
    highs[c] = high;
  }
}

// Frames [begin, end) of one channel, all inside the sound, one at a time: the ends of a run
// that fill no whole block.
template <class Samples>
void ScanFrames(const Samples& samples, bool right, int64_t begin, int64_t end, int& low, int& high) {
  for (int64_t i = begin; i < end; ++i) {
    const int code = samples.CodeAt(i, right);
    low = std::min(low, code);
    high = std::max(high, code);
  }
}

}  // namespace

void PeakSummary::Build(const TWave& wave) {
  built_ = wave.Loaded();
  frames_ = built_ ? wave.SampleCount() : 0;
  bits_ = wave.BitsPerSample();
  channels_ = wave.Channels();
  const size_t entries = built_ ? (frames_ + size_t{kBlock} - 1) / kBlock * channels_ : 0;
  lows_.resize(entries);
  highs_.resize(entries);
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
  return built_ && wave.Loaded() && frames_ == wave.SampleCount() && bits_ == wave.BitsPerSample() &&
         channels_ == wave.Channels();
}

void PeakSummary::SummariseBlocks(const TWave& wave, uint64_t firstBlock, uint64_t endBlock) {
  ReadSamples(wave, [&](auto samples) {
    for (uint64_t block = firstBlock; block < endBlock; ++block) {
      const auto begin = static_cast<int64_t>(block * kBlock);
      int16_t* lows = lows_.data() + block * channels_;
      int16_t* highs = highs_.data() + block * channels_;
      if (begin + kBlock <= int64_t{frames_}) {
        SummariseWholeBlock(samples, begin, lows, highs);
        continue;
      }
      for (int c = 0; c < channels_; ++c) {
        int low = INT_MAX;
        int high = INT_MIN;
        ScanFrames(samples, c == 1, begin, frames_, low, high);
        lows[c] = static_cast<int16_t>(low);
        highs[c] = static_cast<int16_t>(high);
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
    int low = INT_MAX;
    int high = INT_MIN;
    // The frames before the first whole block and after the last are read one by one.
    const int64_t headEnd = std::min(last, (first + kBlock - 1) / kBlock * kBlock);
    const int64_t tailBegin = std::max(headEnd, last / kBlock * kBlock);
    ScanFrames(samples, right, first, headEnd, low, high);
    for (int64_t block = headEnd / kBlock; block < tailBegin / kBlock; ++block) {
      low = std::min<int>(low, lows_[static_cast<size_t>(block) * channels_ + channel]);
      high = std::max<int>(high, highs_[static_cast<size_t>(block) * channels_ + channel]);
    }
    ScanFrames(samples, right, tailBegin, last, low, high);
    PeakRange range{samples.ValueOf(static_cast<Code>(low)), samples.ValueOf(static_cast<Code>(high))};
    if (begin < first || last < end) {
      range.Min = std::min(range.Min, 0.0);
      range.Max = std::max(range.Max, 0.0);
    }
    return range;
  });
}
