#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "processing/engine_frame.h"
#include "wave/frame_backup.h"

// A rewrite in which each selected sample's new code comes from a table of its old code. It is
// also taken back for undo without a copy of its frames: where one old code leads to a new one,
// the new one gives it back; where two to four do, a rank of one or two bits per sample, kept as
// the rewrite goes, says which it was. A sound made louder keeps no bits at all; one made quieter,
// down to half its level, keeps one bit for every sixteen of a copy of 16-bit frames.

// The codes a rewrite's samples may hold, lowest to highest: all of them unless the routine knows
// better, as normalize knows its loudest sample.
template <class Code>
struct CodeRange {
  Code Low = std::numeric_limits<Code>::min();
  Code High = std::numeric_limits<Code>::max();
};

// The rewrite of the samples of the image channels it takes, frame after frame from the first
// one, and the way back over the frames rewritten so far. Codes are taken as their raw bits.
template <class Samples>
class CodeMapRewrite {
 public:
  using Code = typename Samples::Code;
  using Raw = std::make_unsigned_t<Code>;
  static constexpr int kChannels = Samples::kChannels;
  static constexpr size_t kCodes = size_t{1} << (8 * sizeof(Code));

  // `newCode(right, old)` for the samples of the selection's checked channels, frames `first` on;
  // the one channel of a mono sound with both checked takes the left rewrite, then the right.
  template <class NewCode>
  CodeMapRewrite(const Selection& sel, int64_t first, NewCode&& newCode) : first_(first), done_(first) {
    if constexpr (kChannels == 2) {
      taken_[0] = sel.Left;
      taken_[1] = sel.Right;
    } else {
      taken_[0] = sel.Left || sel.Right;
    }
    for (int c = 0; c < kChannels; ++c) {
      if (!taken_[c]) continue;
      maps_[c].Forward.resize(kCodes);
      for (size_t x = 0; x < kCodes; ++x) {
        Code code = std::bit_cast<Code>(static_cast<Raw>(x));
        if (kChannels == 2) {
          code = newCode(c == 1, code);
        } else {
          if (sel.Left) code = newCode(false, code);
          if (sel.Right) code = newCode(true, code);
        }
        maps_[c].Forward[x] = RawOf(code);
      }
    }
  }

  // From now on the rewrite keeps what its way back needs, for samples holding only `present`
  // codes, in frames up to `end`. False, keeping nothing, where the frames are better copied:
  // when the way back would hold `copy` bytes or more, or more than four of those old codes lead
  // to one new code (mute leads all of them to one).
  bool KeepWayBack(CodeRange<Code> present, int64_t end, uint64_t copy) {
    int most = 1;
    for (int c = 0; c < kChannels; ++c) {
      if (!taken_[c]) continue;
      Map& map = maps_[c];
      map.Rank.assign(kCodes, 0);
      std::vector<uint32_t> leading(kCodes, 0);
      for (int64_t code = present.Low; code <= present.High; ++code) {
        const Raw x = RawOf(static_cast<Code>(code));
        uint32_t& count = leading[map.Forward[x]];
        if (count == 4) return false;
        map.Rank[x] = static_cast<uint8_t>(count++);
        most = std::max(most, static_cast<int>(count));
      }
    }
    bits_ = most == 1 ? 0 : most == 2 ? 1 : 2;
    for (int c = 0; c < kChannels; ++c) {
      if (!taken_[c]) continue;
      Map& map = maps_[c];
      map.Back.assign(kCodes << bits_, 0);
      for (int64_t code = present.Low; code <= present.High; ++code) {
        const Raw x = RawOf(static_cast<Code>(code));
        map.Back[(size_t{map.Forward[x]} << bits_) | map.Rank[x]] = x;
      }
      if (bits_ == 0) std::vector<uint8_t>().swap(map.Rank);
    }
    const auto channels = static_cast<uint64_t>(std::count(taken_, taken_ + kChannels, true));
    const uint64_t samples = static_cast<uint64_t>(std::max<int64_t>(end - first_, 0)) * channels;
    ranks_.reserve((samples * static_cast<uint64_t>(bits_) + 63) / 64);
    keeping_ = Bytes() < copy;
    return keeping_;
  }

  // The memory held, the ranks counted in full.
  uint64_t Bytes() const {
    uint64_t bytes = sizeof(*this) + ranks_.capacity() * sizeof(uint64_t);
    for (const Map& map : maps_) bytes += (map.Forward.capacity() + map.Back.capacity()) * sizeof(Raw) + map.Rank.capacity();
    return bytes;
  }

  // Frames `begin`..`end`−1, the next ones in order, rewritten (and their ranks kept).
  void Rewrite(Samples& samples, int64_t begin, int64_t end) {
    if (end <= begin) return;
    RankCursor cursor{pending_, pendingBits_, nullptr, nullptr, 0, &ranks_};
    const Tables forward = Forward();
    const auto keep = [&]<int kBits>() { Walk<Pass::Keep, kBits>(samples, begin, end, forward, cursor); };
    if (!keeping_ || bits_ == 0) {
      Walk<Pass::Map, 0>(samples, begin, end, forward, cursor);
    } else if (bits_ == 1) {
      keep.template operator()<1>();
    } else {
      keep.template operator()<2>();
    }
    pending_ = cursor.Word;
    pendingBits_ = cursor.Used;
    done_ = end;
  }

  // The frames rewritten so far brought back as they were (back) or rewritten again.
  void Run(TWave& wave, bool back) const {
    wave.WithSamples([&](auto samples) {
      if constexpr (std::is_same_v<decltype(samples), Samples>) {
        if (done_ <= first_) return;
        Tables tables = Forward();
        // The last word is filled from the top: its first rank comes down to bit 0.
        const uint64_t tail = pendingBits_ == 0 ? 0 : pending_ >> (64 - pendingBits_);
        RankCursor cursor{ranks_.empty() ? tail : ranks_[0], 0, ranks_.data(), ranks_.data() + ranks_.size(), tail,
                          nullptr};
        if (!back || bits_ == 0) {
          if (back) {
            for (int c = 0; c < kChannels; ++c) tables.Of[c] = maps_[c].Back.data();
          }
          Walk<Pass::Map, 0>(samples, first_, done_, tables, cursor);
          return;
        }
        for (int c = 0; c < kChannels; ++c) tables.Of[c] = maps_[c].Back.data();
        if (bits_ == 1) {
          Walk<Pass::Restore, 1>(samples, first_, done_, tables, cursor);
        } else {
          Walk<Pass::Restore, 2>(samples, first_, done_, tables, cursor);
        }
      } else {
        throw std::logic_error("A sound's layout changed under its undo entry");
      }
    });
  }

 private:
  struct Map {
    std::vector<Raw> Forward;    // the new code of each old code
    std::vector<uint8_t> Rank;   // an old code's place among the present old codes of its new one
    std::vector<Raw> Back;       // the old code of (new code << rank bits | rank)
  };
  // One table per channel, held by the loops as plain pointers: their stores into the sound's
  // bytes then cannot make them read the tables' places again.
  struct Tables {
    const Raw* Of[kChannels];
  };
  // Where a walk stands in the ranks: the word being filled or read and its bits used; for
  // reading, the word read and the end of the whole ones, then the last part word; for filling,
  // where whole words go.
  struct RankCursor {
    uint64_t Word;
    int Used;
    const uint64_t* At;
    const uint64_t* End;
    uint64_t Tail;
    std::vector<uint64_t>* Out;
  };
  // Each code through its table; each through its table with its rank kept; each with its
  // rank read back through the table of old codes.
  enum class Pass { Map, Keep, Restore };

  static Raw RawOf(Code code) { return std::bit_cast<Raw>(code); }

  Tables Forward() const {
    Tables tables{};
    for (int c = 0; c < kChannels; ++c) tables.Of[c] = maps_[c].Forward.data();
    return tables;
  }

  // Each taken sample of frames `begin`..`end`−1, in order, through `tables` as `kPass` says.
  template <Pass kPass, int kBits>
  void Walk(Samples& samples, int64_t begin, int64_t end, const Tables& tables, RankCursor& cursor) const {
    uint8_t* bytes = samples.FrameBytes(begin);
    const size_t count = static_cast<size_t>(end - begin) * kChannels;
    if (kChannels == 1 || (taken_[0] && taken_[1])) {
      WalkWords<true, true, kPass, kBits>(bytes, count, tables, cursor);
    } else if (taken_[0]) {
      WalkWords<true, false, kPass, kBits>(bytes, count, tables, cursor);
    } else {
      WalkWords<false, true, kPass, kBits>(bytes, count, tables, cursor);
    }
  }

  // The walk with the taken channels fixed, eight bytes at a time: one load and one store for
  // every four 16-bit or eight 8-bit samples, which a sound of hundreds of megabytes needs to keep
  // up with its memory. Frames never straddle eight bytes. The cursor is held in locals while
  // the loop runs, where the stores into the sound cannot reach it.
  template <bool kLeft, bool kRight, Pass kPass, int kBits>
  void WalkWords(uint8_t* bytes, size_t count, const Tables& tables, RankCursor& cursor) const {
    constexpr size_t kPerWord = 8 / sizeof(Raw);
    constexpr int kWidth = 8 * sizeof(Raw);
    constexpr uint64_t kMask = (uint64_t{1} << kBits) - 1;
    const Raw* of[kChannels];
    const uint8_t* rank[kChannels];
    for (int c = 0; c < kChannels; ++c) {
      of[c] = tables.Of[c];
      rank[c] = maps_[c].Rank.data();
    }
    uint64_t word = cursor.Word;
    int used = cursor.Used;
    const uint64_t* at = cursor.At;
    // A word of ranks is filled from the top and read from the bottom, by constant shifts. Read
    // ranks run out only at the end of eight bytes of samples, as the walk starts at rank 0
    // and 64 bits hold the ranks of a whole number of them.
    const auto nextRanks = [&] {
      if (used == 64) {
        ++at;
        word = at < cursor.End ? *at : cursor.Tail;
        used = 0;
      }
    };
    const auto one = [&](Raw code, size_t j) -> Raw {
      const int c = kChannels == 2 ? static_cast<int>(j % 2) : 0;
      if (!(c == 0 ? kLeft : kRight)) return code;
      if constexpr (kPass == Pass::Map) {
        return of[c][code];
      } else if constexpr (kPass == Pass::Keep) {
        word = (word >> kBits) | (uint64_t{rank[c][code]} << (64 - kBits));
        used += kBits;
        if (used == 64) {
          cursor.Out->push_back(word);
          word = 0;
          used = 0;
        }
        return of[c][code];
      } else {
        const size_t r = word & kMask;
        word >>= kBits;
        used += kBits;
        return of[c][(size_t{code} << kBits) | r];
      }
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
      if constexpr (kPass == Pass::Restore) nextRanks();
    }
    for (; j < count; ++j) {
      Raw code;
      std::memcpy(&code, bytes + j * sizeof(Raw), sizeof code);
      code = one(code, j);
      std::memcpy(bytes + j * sizeof(Raw), &code, sizeof code);
      if constexpr (kPass == Pass::Restore) nextRanks();
    }
    cursor.Word = word;
    cursor.Used = used;
    cursor.At = at;
  }

  bool taken_[kChannels] = {};
  Map maps_[kChannels];
  int64_t first_;
  int64_t done_;
  bool keeping_ = false;
  int bits_ = 0;
  std::vector<uint64_t> ranks_;  // bits_ per taken sample, in the order of the walk
  uint64_t pending_ = 0;         // the ranks past the last whole word, filled from the top
  int pendingBits_ = 0;
};

// Every selected sample of a checked channel becomes `newCode(right, code)` through a table,
// frame after frame. While undo is recorded and nothing has been saved yet, the rewrite hands the
// backup its way back instead of a copy, where that is smaller; the routine then writes nothing
// after it. Otherwise each run is saved before it is written, as everywhere.
template <class Samples, class NewCode>
void RewriteThroughTable(Samples& samples, const Selection& sel, Progress& progress, PassShare share,
                         NewCode&& newCode, CodeRange<typename Samples::Code> present) {
  const FrameSpan inside = FramesInside(sel.SelStart, sel.SelEnd, samples.Frames());
  auto rewrite = std::make_shared<CodeMapRewrite<Samples>>(sel, inside.Begin, newCode);
  FrameBackup* backup = samples.Backup();
  const bool wayBack = backup != nullptr && rewrite->KeepWayBack(present, inside.End, backup->Size()) &&
                       backup->Replace({[rewrite](TWave& wave, bool back) { rewrite->Run(wave, back); }, rewrite->Bytes()});
  WalkSoundRuns(sel, samples.Frames(), progress, share, [&](int64_t begin, int64_t end) {
    if (!wayBack) samples.SaveUpTo(end);
    rewrite->Rewrite(samples, begin, end);
  });
}
