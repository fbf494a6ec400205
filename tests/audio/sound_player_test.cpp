#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <tuple>
#include <set>
#include <thread>

#include "audio/alsa_file_home.h"
#include "audio/platform/portaudio_sound_player.h"
#include "test_support.h"
#include "wave/system_sound_player.h"
#include "wave/wave_document.h"

namespace {

using namespace std::chrono_literals;

// Never among the played patterns: marks bytes that must not reach the device.
constexpr uint8_t kForbidden = 0x55;

// Noise-like bytes that cannot be mistaken for silence, for a shifted copy of themselves or for
// another seed's pattern.
std::vector<uint8_t> Pattern(size_t bytes, uint32_t seed) {
  std::vector<uint8_t> out(bytes);
  uint32_t x = seed;
  for (uint8_t& b : out) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(x >> 24);
    if (b == kForbidden) b = kForbidden + 1;
  }
  return out;
}

size_t Find(const std::vector<uint8_t>& haystack, const std::vector<uint8_t>& needle) {
  return static_cast<size_t>(std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) -
                             haystack.begin());
}

// Waits until the file holds `bytes` followed by at least `after` more bytes; returns the file.
std::vector<uint8_t> WaitForOutput(const std::string& path, const std::vector<uint8_t>& bytes,
                                   size_t after = 0) {
  const auto deadline = std::chrono::steady_clock::now() + kDevicePatience;
  std::vector<uint8_t> out;
  do {
    out = ReadBytes(path);
    const size_t at = Find(out, bytes);
    if (at < out.size() && out.size() - at - bytes.size() >= after) break;
    std::this_thread::sleep_for(10ms);
  } while (std::chrono::steady_clock::now() < deadline);
  return out;
}

std::set<std::string> PlaybackFiles() {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(SoundHome()))
    if (entry.path().filename().string().starts_with("out-")) names.insert(entry.path().filename());
  return names;
}

// The device's output file as a pipe read at about 2 MB/s: the null device cannot then run
// through a long sound before the test acts, and the writer closing the pipe shows that the
// stream was closed. The reader keeps going while the test stops the sound: the stream's thread
// may sit in a write to the full pipe, and stopping waits for that thread.
struct PacedPipe : PlaybackPipe {
  explicit PacedPipe(const std::string& path) : PlaybackPipe(path) { Release(2e6); }
  bool WaitUntilPlaying() const { return WaitUntilReceived(64 * 1024); }
};

class SoundPlayerDeviceTest : public testing::Test {
 protected:
  void Load(TWave& wave, uint16_t channels, uint32_t rate, uint16_t bits,
            const std::vector<uint8_t>& data, bool floats = false) {
    std::vector<uint8_t> image = CanonicalWave(channels, rate, bits, data);
    if (floats) PutU16(image, 20, 3);
    wave.LoadFromImage("sound.wav", image);
    wave.SetSoundPlayer(&player_);
  }

  PortAudioSoundPlayer player_;
};

// Every layout reaches the device as it is stored, but floats past full scale, which are clipped
// (and what is no number, which is silence).
TEST_F(SoundPlayerDeviceTest, TWavePlaysItsSamplesOnTheDefaultDevice) {
  std::vector<float> floats, clipped;
  for (int i = 0; i < 3000; ++i) {
    const float values[4] = {2.0f, -3.0f, std::nanf(""), i / 3000.0f};
    floats.push_back(values[i % 4]);
    clipped.push_back(i % 4 == 2 ? 0.0f : std::clamp(values[i % 4], -1.0f, 1.0f));
  }
  const auto bytes = [](const std::vector<float>& v) {
    return std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(v.data()), reinterpret_cast<const uint8_t*>(v.data() + v.size()));
  };
  const std::tuple<uint16_t, uint32_t, uint16_t, std::vector<uint8_t>, std::vector<uint8_t>> cases[] = {
      {2, 44100, 16, Pattern(4 * 4000, 1), {}},
      {1, 11025, 8, Pattern(3000, 2), {}},
      {2, 22050, 24, Pattern(6 * 3000, 3), {}},
      {2, 11025, 32, bytes(floats), bytes(clipped)},
  };
  for (const auto& [channels, rate, bits, data, heard] : cases) {
    SCOPED_TRACE(bits);
    TWave wave;
    Load(wave, channels, rate, bits, data, !heard.empty());
    const std::vector<uint8_t>& expected = heard.empty() ? data : heard;
    ASSERT_TRUE(wave.Play());
    const std::vector<uint8_t> out = WaitForOutput(PlaybackFile(rate, channels, bits), expected);
    EXPECT_LT(Find(out, expected), out.size()) << "the samples never reached the device";
    EXPECT_TRUE(wave.Stop());
  }
}

TEST_F(SoundPlayerDeviceTest, PlaysOnlyTheWholeFramesTheImageHolds) {
  // The header promises twice the data; the image ends in half a frame, and the memory beyond
  // it is not the image's. None of that may be read. 3001 frames, a prime, cannot fill a whole
  // number of device buffers, so silence must follow them at once.
  const std::vector<uint8_t> data = Pattern(4 * 3001, 3);
  std::vector<uint8_t> memory = CanonicalHeader(2, 44100, 16, 2 * 4 * 3001);
  memory.insert(memory.end(), data.begin(), data.end());
  const size_t imageSize = memory.size() + 2;
  memory.resize(imageSize + 4096, kForbidden);

  ASSERT_TRUE(player_.PlayAsync(memory.data(), imageSize, 0, INT64_MAX));
  const std::vector<uint8_t> out = WaitForOutput(PlaybackFile(44100, 2, 16), data, 4);
  EXPECT_TRUE(player_.StopAll());  // the stream reads `memory`, which goes at the first failed ASSERT
  const size_t at = Find(out, data);
  ASSERT_LE(at + data.size() + 4, out.size()) << "the samples never reached the device";
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + at + data.size(), out.begin() + at + data.size() + 4),
            std::vector<uint8_t>(4, 0));
  EXPECT_EQ(std::count(out.begin(), out.end(), kForbidden), 0);
}

TEST_F(SoundPlayerDeviceTest, StopEndsPlaybackAndASecondStopIsHarmless) {
  const std::vector<uint8_t> data = Pattern(4 * 22050 * 60, 4);
  PacedPipe pipe(PlaybackFile(22050, 2, 16));
  TWave wave;
  Load(wave, 2, 22050, 16, data);
  EXPECT_EQ(wave.PlayingFrame(), -1);
  ASSERT_TRUE(wave.Play());
  ASSERT_TRUE(pipe.WaitUntilPlaying());
  // The frame being heard moves on, within the sound.
  const int64_t heard = wave.PlayingFrame();
  std::this_thread::sleep_for(100ms);
  EXPECT_GE(heard, 0);
  EXPECT_GT(wave.PlayingFrame(), heard);
  EXPECT_LT(wave.PlayingFrame(), 22050 * 60);

  EXPECT_TRUE(wave.Stop());
  EXPECT_EQ(wave.PlayingFrame(), -1);
  EXPECT_TRUE(wave.Stop());
  EXPECT_TRUE(pipe.WaitUntilClosed()) << "the stream was left open";
  EXPECT_LT(pipe.Received(), data.size()) << "the sound played to its end";
}

TEST_F(SoundPlayerDeviceTest, PlayEndsWhatPlaysAndStartsTheNewSound) {
  const std::vector<uint8_t> longData = Pattern(4 * 22050 * 60, 5);
  const std::vector<uint8_t> shortData = Pattern(4 * 2000, 6);
  PacedPipe pipe(PlaybackFile(22050, 2, 16));
  TWave longWave, shortWave;
  Load(longWave, 2, 22050, 16, longData);
  Load(shortWave, 2, 44100, 16, shortData);
  ASSERT_TRUE(longWave.Play());
  ASSERT_TRUE(pipe.WaitUntilPlaying());

  ASSERT_TRUE(shortWave.Play());
  EXPECT_TRUE(pipe.WaitUntilClosed()) << "the first stream was left open";
  EXPECT_LT(pipe.Received(), longData.size());
  const std::vector<uint8_t> out = WaitForOutput(PlaybackFile(44100, 2, 16), shortData);
  EXPECT_LT(Find(out, shortData), out.size()) << "the second sound never reached the device";
}

TEST_F(SoundPlayerDeviceTest, RefusesImagesItCannotPlayWithoutOpeningTheDevice) {
  const std::vector<uint8_t> data = Pattern(400, 7);
  std::vector<std::vector<uint8_t>> refused = {
      CanonicalWave(3, 44100, 16, data), CanonicalWave(0, 44100, 16, data),
      CanonicalWave(2, 44100, 12, data), CanonicalWave(2, 44100, 0, data),
      CanonicalWave(2, 0, 16, data),     CanonicalHeader(2, 8000, 16, 0),
  };
  refused.back().pop_back();  // 43 bytes: not even a header

  const std::set<std::string> before = PlaybackFiles();
  for (const auto& image : refused) EXPECT_FALSE(player_.PlayAsync(image.data(), image.size(), 0, INT64_MAX));
  EXPECT_FALSE(player_.PlayAsync(nullptr, 0, 0, 0));
  EXPECT_EQ(PlaybackFiles(), before);
}

}  // namespace
