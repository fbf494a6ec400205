#pragma once

#include <cstdint>
#include <vector>

#include "wave/sample_codes.h"

class TWave;

// The lowest and highest sample value of a run of frames.
struct PeakRange {
  double Min = 0.0;
  double Max = 0.0;
};

// The lowest and highest sample code of each channel in every block of kBlockFrames frames of a
// sound, so that a picture of a long stretch reads a few blocks instead of every frame. Codes
// rather than values are kept, as numbers in the order of their values (see KeyOf): every sample
// mapping keeps that order, and a code is four bytes at most where a value is eight. The summary knows nothing of later changes to the sound; whoever
// changes it says which frames changed.
class PeakSummary {
 public:
  static constexpr uint32_t kBlockFrames = 256;

  // Summarises the whole sound; with none loaded the summary is empty.
  void Build(const TWave& wave);
  // After frames first..last of `wave` changed in place: their blocks again. A sound whose
  // length or layout is not the summarised one's is summarised whole.
  void Update(const TWave& wave, int64_t first, int64_t last);
  // Whether the summary was built for a sound of wave's length and layout.
  bool Fits(const TWave& wave) const;

  // The lowest and highest value of one channel over frames [begin, end) of `wave`, which the
  // summary must fit. Frames outside the sound read silence, as everywhere else; an empty run
  // gives silence.
  PeakRange Peak(const TWave& wave, bool right, int64_t begin, int64_t end) const;

 private:
  void SummariseBlocks(const TWave& wave, uint64_t firstBlock, uint64_t endBlock);

  bool built_ = false;
  uint32_t frames_ = 0;
  SampleKind kind_ = SampleKind::Byte;
  uint16_t channels_ = 0;
  // Per channel, one entry a block: a column reads a channel's blocks side by side.
  std::vector<int32_t> lows_[2];
  std::vector<int32_t> highs_[2];
};
