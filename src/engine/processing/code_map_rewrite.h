#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "processing/engine_frame.h"

// A rewrite in which each selected sample's new code comes from a table of its old code, worked
// out once for every code.

// The rewrite of the samples of the image channels it takes. Codes are taken as their raw bits.
template <class Samples>
class CodeMapRewrite {
 public:
  using Code = typename Samples::Code;
  using Raw = std::make_unsigned_t<Code>;
  static constexpr int kChannels = Samples::kChannels;
  static constexpr size_t kCodes = size_t{1} << (8 * sizeof(Code));

  // `newCode(right, old)` for the samples of the selection's checked channels; the one channel of
  // a mono sound with both checked takes the left rewrite, then the right.
  template <class NewCode>
  CodeMapRewrite(const Selection& sel, NewCode&& newCode) {
    if constexpr (kChannels == 2) {
      taken_[0] = sel.Left;
      taken_[1] = sel.Right;
    } else {
      taken_[0] = sel.Left || sel.Right;
    }
    for (int c = 0; c < kChannels; ++c) {
      if (!taken_[c]) continue;
      maps_[c].resize(kCodes);
      for (size_t x = 0; x < kCodes; ++x) {
        Code code = std::bit_cast<Code>(static_cast<Raw>(x));
        if (kChannels == 2) {
          code = newCode(c == 1, code);
        } else {
          if (sel.Left) code = newCode(false, code);
          if (sel.Right) code = newCode(true, code);
        }
        maps_[c][x] = std::bit_cast<Raw>(code);
      }
    }
  }

  // Frames `begin`..`end`−1 rewritten.
  void Rewrite(Samples& samples, int64_t begin, int64_t end) const {
    if (end <= begin) return;
    uint8_t* bytes = samples.FrameBytes(begin);
    const size_t count = static_cast<size_t>(end - begin) * kChannels;
    if (kChannels == 1 || (taken_[0] && taken_[1])) {
      WalkWords<true, true>(bytes, count);
    } else if (taken_[0]) {
      WalkWords<true, false>(bytes, count);
    } else {
      WalkWords<false, true>(bytes, count);
    }
  }

 private:
  // The walk with the taken channels fixed, eight bytes at a time: one load and one store for
  // every four 16-bit or eight 8-bit samples, which a sound of hundreds of megabytes needs to keep
  // up with its memory. Frames never straddle eight bytes. The tables are held in locals, where
  // the stores into the sound cannot make the loop read their places again.
  template <bool kLeft, bool kRight>
  void WalkWords(uint8_t* bytes, size_t count) const {
    constexpr size_t kPerWord = 8 / sizeof(Raw);
    constexpr int kWidth = 8 * sizeof(Raw);
    const Raw* of[kChannels];
    for (int c = 0; c < kChannels; ++c) of[c] = maps_[c].data();
    const auto one = [&](Raw code, size_t j) -> Raw {
      const int c = kChannels == 2 ? static_cast<int>(j % 2) : 0;
      if (!(c == 0 ? kLeft : kRight)) return code;
      return of[c][code];
    };
    size_t j = 0;
    for (; j + kPerWord <= count; j += kPerWord) {
      uint64_t in;
      std::memcpy(&in, bytes + j * sizeof(Raw), sizeof in);
      uint64_t out = 0;
      // Spelled out sample by sample, in order, so that every shift is a constant.
      [&]<size_t... k>(std::index_sequence<k...>) {
        ((out |= uint64_t{one(static_cast<Raw>(in >> (kWidth * k)), k)} << (kWidth * k)), ...);
      }(std::make_index_sequence<kPerWord>{});
      std::memcpy(bytes + j * sizeof(Raw), &out, sizeof out);
    }
    for (; j < count; ++j) {
      Raw code;
      std::memcpy(&code, bytes + j * sizeof(Raw), sizeof code);
      code = one(code, j);
      std::memcpy(bytes + j * sizeof(Raw), &code, sizeof code);
    }
  }

  bool taken_[kChannels] = {};
  std::vector<Raw> maps_[kChannels];
};

// Every selected sample of a checked channel becomes `newCode(right, code)` through a table,
// frame after frame.
template <class Samples, class NewCode>
void RewriteThroughTable(Samples& samples, const Selection& sel, Progress& progress, PassShare share,
                         NewCode&& newCode) {
  const CodeMapRewrite<Samples> rewrite(sel, newCode);
  WalkSoundRuns(sel, samples.Frames(), progress, share,
                [&](int64_t begin, int64_t end) { rewrite.Rewrite(samples, begin, end); });
}
