#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "audio/alsa_file_home.h"
#include "audio/platform/portaudio_wave_input.h"

// What the PortAudio wave input refuses, and how Reset hands back the buffers queued.

namespace {

// Recording never starts here, so the queued buffers stay queued.
TEST(WaveDeviceTest, RefusesWhatItCannotDoWithAReasonAndResetReturnsEveryQueuedBuffer) {
  constexpr uint32_t kBytes = 4000;
  PortAudioWaveInput device;
  const WaveFormatEx format = Pcm(2, 44100, 16);
  const int devices = static_cast<int>(device.DeviceCount());
  ASSERT_GE(devices, 1) << "the test's default device records";
  const int kLast = kMaxQueuedHeaders;
  std::vector<std::vector<uint8_t>> memory(kLast + 1, std::vector<uint8_t>(kBytes, 1));
  std::vector<WaveHeader> headers(memory.size());
  for (size_t i = 0; i < memory.size(); ++i) headers[i] = {memory[i].data(), kBytes};
  WaveHeader unprepared{memory[0].data(), kBytes}, belowAFrame{memory[0].data(), format.BlockAlign - 1u};
  WaveHeader noMemory{nullptr, 4000}, noLength{memory[0].data(), 0};
  ASSERT_EQ(device.PrepareHeader(headers[0]), 0);
  ASSERT_EQ(device.PrepareHeader(belowAFrame), 0);
  WaveFormatEx floatTag = Pcm(2, 44100, 16), halfFrame = Pcm(2, 44100, 16);
  floatTag.FormatTag = 3;
  halfFrame.BlockAlign = 2;
  std::vector<uint32_t> messages;
  std::vector<WaveHeader*> returned;
  std::vector<int> calledFromNotification;
  std::atomic<size_t> done{0};
  const auto notify = [&](uint32_t message, WaveHeader* header) {
    messages.push_back(message);
    if (message != kWaveInData) return;
    ++done;
    returned.push_back(header);
    EXPECT_EQ(header->BytesRecorded, 0u);
    calledFromNotification.push_back(device.AddBuffer(*header));
  };

  const std::pair<const char*, int> whileClosed[] = {
      {"the device past the last", device.Open(devices, format, notify)},
      {"a negative device other than the default", device.Open(-2, format, notify)},
      {"12-bit samples", device.Open(-1, Pcm(2, 44100, 12), notify)},
      {"no channels", device.Open(-1, Pcm(0, 44100, 16), notify)},
      {"a rate of 0", device.Open(-1, Pcm(2, 0, 16), notify)},
      {"a format tag other than PCM", device.Open(-1, floatTag, notify)},
      {"a block align of half a frame", device.Open(-1, halfFrame, notify)},
      {"preparing no memory", device.PrepareHeader(noMemory)},
      {"preparing no length", device.PrepareHeader(noLength)},
      {"queuing on a closed device", device.AddBuffer(headers[0])},
      {"Reset", device.Reset()},
      {"Close", device.Close()},
  };
  for (const auto& [what, code] : whileClosed) EXPECT_FALSE(code == 0 || device.ErrorText(code).empty()) << what;
  EXPECT_NE(device.Start(), 0) << "Start while closed";
  EXPECT_TRUE(messages.empty());

  ASSERT_EQ(device.Open(-1, Pcm(2, 44100, 16), notify), 0) << "a refused Open left something open";
  ASSERT_EQ(device.Close(), 0);
  ASSERT_EQ(device.Open(-1, format, notify), 0);
  for (WaveHeader& header : headers) ASSERT_EQ(device.PrepareHeader(header), 0);
  // One short of the limit, so that the limit hides no other refusal.
  for (int i = 0; i < kLast - 1; ++i) ASSERT_EQ(device.AddBuffer(headers[i]), 0);
  const std::pair<const char*, int> whileOpen[] = {
      {"a second Open", device.Open(-1, format, nullptr)},
      {"queuing an unprepared buffer", device.AddBuffer(unprepared)},
      {"queuing less than a frame", device.AddBuffer(belowAFrame)},
      {"queuing a queued buffer", device.AddBuffer(headers[0])},
      {"unpreparing a queued buffer", device.UnprepareHeader(headers[0])},
      // The first fills the queue; the second finds it full.
      {"queuing past the limit", (device.AddBuffer(headers[kLast - 1]), device.AddBuffer(headers[kLast]))},
  };
  for (const auto& [what, code] : whileOpen) EXPECT_FALSE(code == 0 || device.ErrorText(code).empty()) << what;

  EXPECT_LT(done.load(), static_cast<size_t>(kLast)) << "the device let every buffer through";
  ASSERT_EQ(device.Reset(), 0);
  std::vector<WaveHeader*> expected;
  for (int i = 0; i < kLast; ++i) expected.push_back(&headers[i]);
  EXPECT_EQ(returned, expected) << "Reset returned before handing back every buffer, in order";
  for (const int code : calledFromNotification) EXPECT_NE(code, 0);
  for (WaveHeader& header : headers) EXPECT_EQ(device.UnprepareHeader(header), 0);

  // The device takes buffers again after a Reset, and Close hands back the last one.
  ASSERT_EQ(device.PrepareHeader(headers[0]), 0);
  ASSERT_EQ(device.AddBuffer(headers[0]), 0);
  EXPECT_EQ(device.Close(), 0);
  EXPECT_EQ(returned.size(), expected.size() + 1) << "Close did not hand back the buffer queued last";
  EXPECT_EQ(messages.front(), kWaveInOpened);
  EXPECT_EQ(messages.back(), kWaveInClosed);
  EXPECT_EQ(messages.size(), 2 + 2 + returned.size());
}

}  // namespace
