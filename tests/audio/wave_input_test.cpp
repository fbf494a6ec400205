#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/alsa_file_home.h"
#include "audio/platform/portaudio_wave_input.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = kDevicePatience;

// Frames first, first + 1, ... of the capture source. Four-byte frames hold their own number
// (16-bit stereo: the low half left, the high half right); narrower ones hold noise made from
// it, which a dozen frames in a row place in the stream just as surely.
std::vector<uint8_t> SourceFrames(size_t frameBytes, uint64_t first, size_t count) {
  std::vector<uint8_t> out(frameBytes * count);
  for (size_t i = 0; i < count; ++i) {
    uint64_t bits = first + i;
    if (frameBytes != 4) {
      bits = (bits ^ (bits >> 31)) * 0x9E3779B97F4A7C15ull;
      bits = (bits ^ (bits >> 29)) * 0xBF58476D1CE4E5B9ull;
      bits ^= bits >> 32;
    }
    for (size_t b = 0; b < frameBytes; ++b) out[i * frameBytes + b] = static_cast<uint8_t>(bits >> (8 * b));
  }
  return out;
}

// Lays the captured frames along the source: equal frames move both on; where they differ,
// frames went missing and the capture must go on at a later source frame (a doubled or
// reordered frame never lines up again). Returns how many frames are missing, or -1.
int64_t MissingFrames(const std::vector<uint8_t>& captured, const std::vector<uint8_t>& source,
                      size_t frameBytes) {
  const size_t n = captured.size() / frameBytes, m = source.size() / frameBytes;
  const auto same = [&](size_t i, size_t p, size_t count) {
    return p + count <= m && std::equal(captured.begin() + i * frameBytes, captured.begin() + (i + count) * frameBytes,
                                        source.begin() + p * frameBytes);
  };
  int64_t missing = 0;
  for (size_t i = 0, p = 0; i < n; ++i, ++p) {
    if (same(i, p, 1)) continue;
    const size_t window = std::min<size_t>(12, n - i);
    size_t skip = 1;
    while (p + skip + window <= m && !same(i, p + skip, window)) ++skip;
    if (p + skip + window > m) {
      ADD_FAILURE() << "captured frame " << i << " does not follow source frame " << p;
      return -1;
    }
    missing += skip;
    p += skip;
  }
  return missing;
}

// Stands in for the recorder: keeps what each buffer brought back, and leaves those that came
// back with data for the test thread to queue again, as the recorder's window does.
struct Owner {
  WaveInNotify Notify() {
    return [this](uint32_t message, WaveHeader* header) {
      std::lock_guard lock(mutex);
      messages.push_back(message);
      if (message != kWaveInData) return;
      returned.push_back(header);
      sizes.push_back(header->BytesRecorded);
      data.insert(data.end(), header->Data, header->Data + header->BytesRecorded);
      if (header->BytesRecorded > 0) full.push_back(header);
    };
  }

  std::mutex mutex;
  std::vector<uint32_t> messages;
  std::vector<WaveHeader*> returned;
  std::vector<uint32_t> sizes;
  std::vector<uint8_t> data;
  std::vector<WaveHeader*> full;  // back with data, not yet queued again
};

TEST(WaveInputDeviceTest, CapturesEveryFrameInQueueOrderOrCountsItAsDropped) {
  const struct {
    const char* what;
    uint16_t channels;
    uint32_t rate;
    uint16_t bits;
    std::array<uint32_t, 4> bufferBytes;  // some not a whole number of frames
    bool queueAfterDrops;                 // start with nothing queued
    bool restart;                         // reset, queue all four again, start again
    bool closeWithoutReset;
  } cases[] = {
      {"16-bit stereo", 2, 44100, 16, {16000, 16003, 16001, 16002}, false, false, false},
      {"8-bit mono", 1, 22050, 8, {3000, 4001, 3500, 4000}, false, false, false},
      {"nothing queued at first", 2, 44100, 16, {16000, 16000, 16000, 16000}, true, false, false},
      {"started again after a reset", 2, 44100, 16, {16000, 12000, 16000, 12000}, false, true, false},
      {"closed without a reset", 1, 22050, 8, {3000, 3000, 3000, 3000}, false, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const WaveFormatEx format = Pcm(c.channels, c.rate, c.bits);
    const size_t frameBytes = format.BlockAlign;
    // Four times as fast as a sound card, so that two seconds of sound take half a second.
    CaptureSource source([=](uint64_t first, size_t count) { return SourceFrames(frameBytes, first, count); },
                         4.0 * c.rate, 4 * kFramesPerCallback);
    Owner owner;
    std::array<std::vector<uint8_t>, 4> memory;
    std::array<WaveHeader, 4> headers;
    std::vector<WaveHeader*> queued;
    std::vector<size_t> resets;  // buffers back when each reset (or the closing) had returned
    PortAudioWaveInput input;
    ASSERT_EQ(input.Open(-1, format, owner.Notify()), 0);
    for (size_t i = 0; i < 4; ++i) {
      memory[i].resize(c.bufferBytes[i]);
      headers[i].Data = memory[i].data();
      headers[i].BufferLength = c.bufferBytes[i];
      ASSERT_EQ(input.PrepareHeader(headers[i]), 0);
    }
    const auto queue = [&](WaveHeader& header) {
      EXPECT_EQ(input.AddBuffer(header), 0);
      queued.push_back(&header);
    };
    const auto deadline = Clock::now() + kPatience;
    const auto collect = [&](size_t bytes) {
      for (std::vector<WaveHeader*> full;; full.clear(), std::this_thread::sleep_for(1ms)) {
        std::unique_lock lock(owner.mutex);
        if (owner.data.size() >= bytes || Clock::now() > deadline) return owner.data.size() >= bytes;
        full.swap(owner.full);
        lock.unlock();
        for (WaveHeader* header : full) queue(*header);
      }
    };
    const auto reset = [&] {
      EXPECT_EQ(input.Reset(), 0);
      resets.push_back(owner.returned.size());
      owner.full.clear();
    };
    if (!c.queueAfterDrops) std::for_each(headers.begin(), headers.end(), queue);
    ASSERT_EQ(input.Start(), 0);
    if (c.queueAfterDrops) {
      while (input.DroppedFrames() == 0 && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
      ASSERT_GT(input.DroppedFrames(), 0u);
      std::for_each(headers.begin(), headers.end(), queue);
    }
    const size_t wanted = 2 * c.rate * frameBytes;  // two seconds of sound
    ASSERT_TRUE(collect(wanted)) << "the capture stalled";
    if (c.restart) {
      reset();
      std::for_each(headers.begin(), headers.end(), queue);
      ASSERT_EQ(input.Start(), 0);
      ASSERT_TRUE(collect(2 * wanted)) << "the capture stalled after the restart";
    }
    if (!c.closeWithoutReset) reset();
    ASSERT_EQ(input.Close(), 0);
    resets.push_back(owner.returned.size());

    EXPECT_EQ(owner.messages.front(), kWaveInOpened);
    EXPECT_EQ(owner.messages.back(), kWaveInClosed);
    EXPECT_EQ(owner.returned, queued) << "every queued buffer comes back once, in queue order";
    // Up to each reset: full buffers, then the one being filled with what it holds, the rest empty.
    bool endedInPartBuffers = true;
    for (size_t j = 0; const size_t end : resets) {
      while (j < end && owner.sizes[j] == queued[j]->BufferLength / frameBytes * frameBytes) ++j;
      endedInPartBuffers &= j < end && owner.sizes[j] > 0;
      if (j < end) {
        EXPECT_EQ(owner.sizes[j] % frameBytes, 0u);
      }
      for (++j; j < end; ++j) EXPECT_EQ(owner.sizes[j], 0u) << "buffer " << j;
      j = end;
    }
    for (WaveHeader& header : headers) EXPECT_EQ(input.UnprepareHeader(header), 0);

    // Frames dropped after the last one captured leave no gap; a buffer being filled at the end
    // shows that there were none.
    const int64_t missing = MissingFrames(owner.data, SourceFrames(frameBytes, 0, source.Written()), frameBytes);
    const auto dropped = static_cast<int64_t>(input.DroppedFrames());
    if (endedInPartBuffers) {
      EXPECT_EQ(missing, dropped);
    }
    EXPECT_LE(missing, dropped);
  }
}

}  // namespace
