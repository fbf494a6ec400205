#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstring>

#include "test_support.h"
#include "wave/wave_document.h"

namespace {

// A loaded sound of the given format whose data bytes are all zero.
struct LoadedWave {
  TWave wave;
  LoadedWave(uint16_t channels, uint16_t bits, uint32_t dataSize, bool floats = false) {
    std::vector<uint8_t> image = CanonicalWave(channels, 44100, bits, std::vector<uint8_t>(dataSize, 0));
    if (floats) PutU16(image, 20, 3);
    wave.LoadFromImage("w.wav", std::move(image));
  }
  uint8_t Byte(size_t pos) const { return wave.Image()[pos]; }
  int16_t Word(size_t pos) const { return static_cast<int16_t>(Byte(pos) | (Byte(pos + 1) << 8)); }
  int32_t Triple(size_t pos) const { return static_cast<int32_t>(Long(pos - 1) & 0xFFFFFF00) >> 8; }
  int32_t Long(size_t pos) const {
    int32_t code;
    std::memcpy(&code, wave.Image().data() + pos, sizeof code);
    return code;
  }
};

TEST(SampleMapping, EveryEightBitCodeRoundTrips) {
  LoadedWave w(1, 8, 256);
  for (int code = 0; code < 256; ++code) w.wave.SetSample(code, false, code * 2.0 / 255.0 - 1.0);
  for (int code = 0; code < 256; ++code) {
    ASSERT_EQ(w.Byte(44 + code), code);
    const double v = w.wave.GetSample(code, false);
    w.wave.SetSample(code, false, v);
    ASSERT_EQ(w.Byte(44 + code), code) << "value " << v;
  }
}

TEST(SampleMapping, EverySixteenBitCodeRoundTrips) {
  LoadedWave w(1, 16, 65536 * 2);
  for (int i = 0; i < 65536; ++i) {
    const int code = i - 32768;
    w.wave.SetSample(i, false, (2.0 * code + 1.0) / 65535.0);
    ASSERT_EQ(w.Word(44 + 2 * i), code);
    const double v = w.wave.GetSample(i, false);
    w.wave.SetSample(i, false, v);
    ASSERT_EQ(w.Word(44 + 2 * i), code) << "value " << v;
  }
}

TEST(SampleMapping, EveryTwentyFourBitCodeRoundTrips) {
  constexpr int kCodes = 1 << 24;
  LoadedWave w(1, 24, kCodes * 3);
  for (int i = 0; i < kCodes; ++i) {
    const int code = i - kCodes / 2;
    w.wave.SetSample(i, false, (2.0 * code + 1.0) / 16777215.0);
    ASSERT_EQ(w.Triple(44 + 3 * i), code);
    const double v = w.wave.GetSample(i, false);
    w.wave.SetSample(i, false, v);
    ASSERT_EQ(w.Triple(44 + 3 * i), code) << "value " << v;
  }
}

// The wider integers as 16 bits, over more steps: full scale, the middle, wrapping; 32-bit codes
// at the ends of the range and between read back as themselves. Floats keep any value a float
// holds, beyond full scale too.
TEST(SampleMapping, WiderLayouts) {
  struct Case {
    uint16_t bits;
    double value;
    int64_t code;  // for floats, the float's bits
  };
  const Case cases[] = {
      {24, 0.0, 0},
      {24, -1.0, -8388608},
      {24, 1.0, 8388607},
      {24, 1.5, 12582911 - 16777216},
      {24, -1.5, -12582912 + 16777216},
      {32, 0.0, 0},
      {32, -1.0, INT32_MIN},
      {32, 1.0, INT32_MAX},
      {32, 1.5, int64_t{3221225471} - 4294967296},
      {32, (2.0 * INT32_MIN + 3.0) / 4294967295.0, INT32_MIN + 1},
      {32, (2.0 * 123456789 + 1.0) / 4294967295.0, 123456789},
      {32, (2.0 * (INT32_MAX - 1) + 1.0) / 4294967295.0, INT32_MAX - 1},
      {0, 1.5, std::bit_cast<int32_t>(1.5f)},
      {0, -1000.25, std::bit_cast<int32_t>(-1000.25f)},
      {0, 0.1, std::bit_cast<int32_t>(0.1f)},
      {0, -0.0, std::bit_cast<int32_t>(-0.0f)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits, " + std::to_string(c.value));
    LoadedWave w(1, c.bits == 24 ? 24 : 32, 8, c.bits == 0);
    w.wave.SetSample(0, false, c.value);
    EXPECT_EQ(c.bits == 24 ? w.Triple(44) : w.Long(44), c.code);
    const double v = w.wave.GetSample(0, false);
    if (c.bits == 0) {
      EXPECT_EQ(v, static_cast<float>(c.value));
    }
    w.wave.SetSample(0, false, v);
    EXPECT_EQ(c.bits == 24 ? w.Triple(44) : w.Long(44), c.code);
  }
  LoadedWave floats(1, 32, 4, true);
  EXPECT_THROW(floats.wave.SetSample(0, false, std::nan("")), std::domain_error);
  EXPECT_THROW(floats.wave.SetSample(0, false, 1e39), std::domain_error);
  EXPECT_EQ(floats.Long(44), 0);
}

TEST(SampleMapping, ZeroAndFullScale) {
  LoadedWave eight(1, 8, 4);
  eight.wave.SetSample(0, false, 0.0);
  eight.wave.SetSample(1, false, -1.0);
  eight.wave.SetSample(2, false, 1.0);
  EXPECT_EQ(eight.Byte(44), 128);
  EXPECT_EQ(eight.Byte(45), 0);
  EXPECT_EQ(eight.Byte(46), 255);
  EXPECT_DOUBLE_EQ(eight.wave.GetSample(0, false), 1.0 / 255.0);

  LoadedWave sixteen(1, 16, 8);
  sixteen.wave.SetSample(0, false, 0.0);
  sixteen.wave.SetSample(1, false, -1.0);
  sixteen.wave.SetSample(2, false, 1.0);
  EXPECT_EQ(sixteen.Word(44), 0);
  EXPECT_EQ(sixteen.Word(46), -32768);
  EXPECT_EQ(sixteen.Word(48), 32767);
  EXPECT_DOUBLE_EQ(sixteen.wave.GetSample(0, false), 1.0 / 65535.0);
  EXPECT_EQ(sixteen.wave.GetSample(1, false), -1.0);
  EXPECT_EQ(sixteen.wave.GetSample(2, false), 1.0);
}

TEST(SampleMapping, ValuesBeyondFullScaleWrapAround) {
  LoadedWave eight(1, 8, 2);
  eight.wave.SetSample(0, false, 1.01);
  eight.wave.SetSample(1, false, -1.01);
  EXPECT_EQ(eight.Byte(44), 0);
  EXPECT_EQ(eight.Byte(45), 255);

  LoadedWave sixteen(1, 16, 2);
  sixteen.wave.SetSample(0, false, 1.5);  // 49151 -> low 16 bits read as -16385
  EXPECT_EQ(sixteen.Word(44), static_cast<int16_t>(49151));
}

TEST(SampleMapping, NoNumberCannotBeStored) {
  LoadedWave w(1, 16, 2);
  EXPECT_THROW(w.wave.SetSample(0, false, std::nan("")), std::domain_error);
  EXPECT_THROW(w.wave.SetSample(0, false, HUGE_VAL), std::domain_error);
  EXPECT_EQ(w.Word(44), 0);
}

TEST(SampleMapping, ChannelLayouts) {
  // Stereo 16-bit: left at 44 + 4i, right at 46 + 4i; nothing else changes.
  LoadedWave stereo(2, 16, 12);
  stereo.wave.SetSample(1, true, -1.0);
  std::vector<uint8_t> expected(12, 0);
  expected[6] = 0x00;
  expected[7] = 0x80;
  EXPECT_EQ(std::vector<uint8_t>(stereo.wave.Image().begin() + 44, stereo.wave.Image().end()), expected);
  EXPECT_EQ(stereo.wave.GetSample(1, true), -1.0);
  EXPECT_NE(stereo.wave.GetSample(1, false), -1.0);

  // Stereo 8-bit: left at 44 + 2i, right at 45 + 2i.
  LoadedWave stereo8(2, 8, 6);
  stereo8.wave.SetSample(2, true, 1.0);
  stereo8.wave.SetSample(2, false, -1.0);
  EXPECT_EQ(stereo8.Byte(48), 0);
  EXPECT_EQ(stereo8.Byte(49), 255);

  // Mono: the right channel is the only channel.
  LoadedWave mono(1, 8, 3);
  mono.wave.SetSample(1, true, 1.0);
  EXPECT_EQ(mono.Byte(45), 255);
  EXPECT_EQ(mono.wave.GetSample(1, true), mono.wave.GetSample(1, false));
}

TEST(SampleMapping, FramesAtOrPastTheEnd) {
  LoadedWave w(2, 16, 8);  // two frames
  ASSERT_EQ(w.wave.SampleCount(), 2u);
  const std::vector<uint8_t> before = w.wave.Image();
  EXPECT_EQ(w.wave.GetSample(2, false), 0.0);
  EXPECT_EQ(w.wave.GetSample(0xFFFFFFFFu, true), 0.0);
  w.wave.SetSample(2, false, 0.5);
  w.wave.SetSample(0xFFFFFFFFu, true, 0.5);
  EXPECT_EQ(w.wave.Image(), before);
}

}  // namespace
