#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "test_support.h"
#include "wave/wave_document.h"

namespace {

// 600 MiB of 16-bit stereo, past where the 32-bit frame arithmetic broke, silent but for two
// frames: one at 2^29 bytes, the last. At most 900 MiB are held at once.
TEST(LongSound, LoadsConvertsAndSavesPastFiveHundredTwelveMiB) {
  constexpr uint32_t kFrames = 600u << 18, kMiddle = 1u << 27;
  TempDir dir;
  const std::string in = dir.File("long.wav"), out = dir.File("long8.wav");
  WriteBytes(in, CanonicalHeader(2, 44100, 16, kFrames * 4));
  std::filesystem::resize_file(in, 44 + uint64_t{kFrames} * 4);  // sparse
  std::fstream file(in, std::ios::in | std::ios::out | std::ios::binary);
  const std::pair<uint32_t, std::vector<uint8_t>> marks[] = {{kMiddle, Words({-32768, 32767})},
                                                             {kFrames - 1, Words({12345, -321})}};
  for (const auto& [frame, words] : marks)
    file.seekp(44 + int64_t{frame} * 4).write(reinterpret_cast<const char*>(words.data()), 4);
  file.close();

  TWave wave;
  wave.LoadFromFile(in, 0);
  ASSERT_EQ(wave.SampleCount(), kFrames);
  EXPECT_EQ(wave.GetSample(kMiddle, true), SixteenBitValue(32767));
  EXPECT_EQ(wave.GetSample(kFrames - 1, false), SixteenBitValue(12345));
  wave.ConvertTo8Bit();  // the nearest of (s + 32768) / 257
  EXPECT_EQ(wave.GetSample(kMiddle, false), EightBitValue(0));
  EXPECT_EQ(wave.GetSample(kFrames - 1, true), EightBitValue(126));
  wave.SaveToFile(out);
  TWave saved;
  saved.LoadFromFile(out, 0);
  EXPECT_TRUE(saved.Image() == wave.Image());
}

}  // namespace
