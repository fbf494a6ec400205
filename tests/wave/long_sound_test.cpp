#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "wave/wave_document.h"

namespace {

void WriteAt(const std::string& path, uint64_t offset, const std::vector<uint8_t>& bytes) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(static_cast<std::streamoff>(offset));
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadAt(const std::string& path, uint64_t offset, size_t size) {
  std::ifstream file(path, std::ios::binary);
  file.seekg(static_cast<std::streamoff>(offset));
  std::vector<uint8_t> bytes(size);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  return bytes;
}

// 600 MiB of 16-bit stereo: frame offsets and the data size in bits pass 32 bits, which is where
// the 32-bit frame arithmetic broke. Silence but for two frames, one at 2^29 bytes, one the last.
// At most 900 MiB are held at once, the sound and its 8-bit conversion.
TEST(LongSound, LoadsConvertsAndSavesPastFiveHundredTwelveMiB) {
  constexpr uint32_t kFrames = 600u << 18;
  constexpr uint32_t kDataSize = kFrames * 4;
  constexpr uint32_t kMiddle = 1u << 27;
  TempDir dir;
  const std::string in = dir.File("long.wav"), out = dir.File("long8.wav");
  WriteBytes(in, CanonicalHeader(2, 44100, 16, kDataSize));
  std::filesystem::resize_file(in, 44 + uint64_t{kDataSize});  // sparse
  WriteAt(in, 44 + uint64_t{kMiddle} * 4, Words({-32768, 32767}));
  WriteAt(in, 44 + uint64_t{kFrames - 1} * 4, Words({12345, -321}));

  TWave wave;
  wave.LoadFromFile(in, 0);
  ASSERT_EQ(wave.SampleCount(), kFrames);
  EXPECT_EQ(wave.GetSample(kMiddle, false), SixteenBitValue(-32768));
  EXPECT_EQ(wave.GetSample(kMiddle, true), SixteenBitValue(32767));
  EXPECT_EQ(wave.GetSample(kFrames - 1, false), SixteenBitValue(12345));
  EXPECT_EQ(wave.GetSample(kFrames - 1, true), SixteenBitValue(-321));
  EXPECT_EQ(wave.GetSample(kFrames, false), 0.0);

  wave.ConvertTo8Bit();
  ASSERT_EQ(wave.SampleCount(), kFrames);
  // The nearest of (s + 32768) / 257.
  const std::vector<uint8_t> middle = {0, 255}, last = {176, 126};
  EXPECT_EQ(wave.GetSample(kMiddle, true), EightBitValue(255));
  EXPECT_EQ(wave.GetSample(kFrames - 1, false), EightBitValue(176));

  wave.SaveToFile(out);
  EXPECT_EQ(std::filesystem::file_size(out), 44 + uint64_t{kDataSize} / 2);
  EXPECT_EQ(ReadAt(out, 0, 44), CanonicalHeader(2, 44100, 8, kDataSize / 2));
  EXPECT_EQ(ReadAt(out, 44 + uint64_t{kMiddle} * 2, 2), middle);
  EXPECT_EQ(ReadAt(out, 44 + uint64_t{kFrames - 1} * 2, 2), last);
}

}  // namespace
