#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/alsa_file_home.h"
#include "audio/platform/portaudio_wave_output.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = kDevicePatience;

// A counter running on from `first`, in 1..127: never 0 nor 128, the silence of either sample
// size, so that silence can be told from sound byte by byte.
std::vector<uint8_t> Counter(size_t first, size_t count) {
  std::vector<uint8_t> out(count);
  for (size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(1 + (first + i) % 127);
  return out;
}

// Stands in for the player: records every notification and the buffers handed back.
struct Owner {
  WaveOutNotify Notify() {
    return [this](uint32_t message, WaveHeader* header) {
      std::lock_guard lock(mutex);
      messages.push_back(message);
      if (message != kWaveOutDone) return;
      returned.push_back(header);
      stillQueued += (header->Flags & kWaveHeaderInQueue) != 0;
    };
  }
  bool WaitFor(size_t count) {
    for (const auto deadline = Clock::now() + kPatience;; std::this_thread::sleep_for(1ms)) {
      std::lock_guard lock(mutex);
      if (returned.size() >= count || Clock::now() > deadline) return returned.size() >= count;
    }
  }

  std::mutex mutex;
  std::vector<uint32_t> messages;
  std::vector<WaveHeader*> returned;
  int stillQueued = 0;  // handed back while still marked as the device's
};

TEST(WaveOutputDeviceTest, PlaysEveryBufferOnceInQueueOrderAndHandsItBack) {
  const struct {
    const char* what;
    uint16_t channels;
    uint32_t rate;
    uint16_t bits;
    std::array<uint32_t, 4> bufferBytes;
    bool drainAfterTwo;  // the queue runs dry after two buffers, then two more are written
  } cases[] = {
      {"16-bit stereo", 2, 44100, 16, {1 << 20, 8820, 17644, 4000}, false},
      {"8-bit mono", 1, 22050, 8, {1 << 20, 4001, 3500, 4000}, false},
      {"odd bytes past the last frame are skipped", 2, 48000, 16, {(1 << 20) + 3, 16003, 16002, 16000}, false},
      {"silence while nothing is queued", 1, 16000, 8, {1 << 20, 3000, 1 << 20, 3000}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const WaveFormatEx format = Pcm(c.channels, c.rate, c.bits);
    const uint8_t silence = c.bits == 8 ? 128 : 0;
    Owner owner;
    std::array<std::vector<uint8_t>, 4> memory;
    std::array<WaveHeader, 4> headers;
    std::array<std::vector<uint8_t>, 2> rounds;  // what each round of writing must play
    size_t counted = 0;
    PlaybackPipe pipe(PlaybackFile(c.rate, c.channels, c.bits));
    PortAudioWaveOutput output;
    ASSERT_EQ(output.Open(-1, format, owner.Notify()), 0);
    for (size_t i = 0; i < 4; ++i) {
      memory[i] = Counter(counted, c.bufferBytes[i]);
      counted += c.bufferBytes[i];
      headers[i].Data = memory[i].data();
      headers[i].BufferLength = c.bufferBytes[i];
      ASSERT_EQ(output.PrepareHeader(headers[i]), 0);
      const size_t whole = c.bufferBytes[i] / format.BlockAlign * format.BlockAlign;
      auto& round = rounds[c.drainAfterTwo && i >= 2];
      round.insert(round.end(), memory[i].begin(), memory[i].begin() + whole);
    }
    // The first buffer of a round outlasts the held pipe, so the others are queued before it
    // has been played.
    for (size_t i = 0; i < 4; ++i) {
      if (c.drainAfterTwo && i == 2) {
        pipe.Release();
        ASSERT_TRUE(owner.WaitFor(2)) << "the first two buffers never came back";
        pipe.Hold();
      }
      EXPECT_EQ(output.Write(headers[i]), 0);
    }
    pipe.Release();
    ASSERT_TRUE(owner.WaitFor(4)) << "the buffers never came back";
    ASSERT_EQ(output.Close(), 0);

    EXPECT_EQ(owner.messages.front(), kWaveOutOpened);
    EXPECT_EQ(owner.messages.back(), kWaveOutClosed);
    EXPECT_EQ(owner.messages.size(), 6u);
    EXPECT_EQ(owner.returned, (std::vector<WaveHeader*>{&headers[0], &headers[1], &headers[2], &headers[3]}));
    EXPECT_EQ(owner.stillQueued, 0);
    for (WaveHeader& header : headers) {
      EXPECT_TRUE(header.Flags & kWaveHeaderDone);
      EXPECT_EQ(output.UnprepareHeader(header), 0);
    }

    // Each round plays whole and unbroken, after the one before; all else is silence.
    const std::vector<uint8_t>& out = pipe.Finish();
    auto from = out.begin();
    for (const auto& round : rounds) {
      if (round.empty()) continue;
      const auto at = std::search(from, out.end(), round.begin(), round.end());
      ASSERT_NE(at, out.end()) << "a round of buffers is not in the output whole and in order";
      EXPECT_EQ(std::count(from, at, silence), at - from) << "sound before the buffers";
      from = at + static_cast<ptrdiff_t>(round.size());
    }
    EXPECT_EQ(std::count(from, out.end(), silence), out.end() - from) << "sound after the buffers";
  }
}

TEST(WaveOutputDeviceTest, ErrorTextExplainsEveryCodeOfItsOwnAndPortAudiosToo) {
  PortAudioWaveOutput output;
  EXPECT_EQ(output.ErrorText(0), "");
  for (int code = PortAudioWaveOutput::kNoSuchDevice; code <= PortAudioWaveOutput::kNoMemory; ++code)
    EXPECT_FALSE(output.ErrorText(code).empty()) << code;
  EXPECT_EQ(output.ErrorText(PortAudioWaveOutput::kNoMemory + 1), "");
  EXPECT_FALSE(output.ErrorText(paInvalidDevice).empty());
}

}  // namespace
