#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>

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

TEST(SampleMapping, EverySixteenAndTwentyFourBitCodeRoundTrips) {
  for (const int bits : {16, 24}) {
    const int codes = 1 << bits, bytes = bits / 8;
    LoadedWave w(1, static_cast<uint16_t>(bits), codes * bytes);
    const auto stored = [&](int i) { return bits == 16 ? w.Word(44 + 2 * i) : w.Triple(44 + 3 * i); };
    for (int i = 0; i < codes; ++i) {
      const int code = i - codes / 2;
      w.wave.SetSample(i, false, (2.0 * code + 1.0) / (codes - 1.0));
      ASSERT_EQ(stored(i), code) << bits;
      const double v = w.wave.GetSample(i, false);
      w.wave.SetSample(i, false, v);
      ASSERT_EQ(stored(i), code) << bits << " bits, value " << v;
    }
  }
}

// Integer codes of 16 bits and more are read without a division, and must give the division's
// double: every 16- and 24-bit code, and 32-bit codes drawn over the whole range, with its ends.
TEST(SampleMapping, IntegerCodesReadAsTheDivisionWould) {
  for (int32_t code = -(1 << 23); code < (1 << 23); ++code) {
    ASSERT_EQ(TwentyFourBitValue(code), (2.0 * code + 1.0) / 16777215.0) << code;
    if (code == static_cast<int16_t>(code)) {
      ASSERT_EQ(SixteenBitValue(static_cast<int16_t>(code)), (2.0 * code + 1.0) / 65535.0) << code;
    }
  }
  std::mt19937 random(20261208u);
  for (int i = 0; i < (1 << 22); ++i) {
    const int32_t code = i < 3 ? INT32_MIN + i : i < 6 ? INT32_MAX - i + 3 : static_cast<int32_t>(random());
    ASSERT_EQ(ThirtyTwoBitValue(code), (2.0 * code + 1.0) / 4294967295.0) << code;
  }
}

// Zero, full scale and beyond, where integer codes wrap and floats keep the value; each code
// written reads back as `read` (skipped where NaN) and is written again as itself.
TEST(SampleMapping, ZeroFullScaleAndBeyondInEveryResolution) {
  const double kAny = std::nan("");
  struct Case {
    uint16_t bits;  // 0: float
    double value;
    int64_t code;  // for floats, the float's bits
    double read;
  };
  const Case cases[] = {
      {8, 0.0, 128, 1.0 / 255.0},
      {8, -1.0, 0, -1.0},
      {8, 1.0, 255, 1.0},
      {8, 1.01, 0, kAny},
      {8, -1.01, 255, kAny},
      {16, 0.0, 0, 1.0 / 65535.0},
      {16, -1.0, -32768, -1.0},
      {16, 1.0, 32767, 1.0},
      {16, 1.5, 49151 - 65536, kAny},
      {24, -1.0, -8388608, -1.0},
      {24, 1.5, 12582911 - 16777216, kAny},
      {32, 0.0, 0, 1.0 / 4294967295.0},
      {32, 1.0, INT32_MAX, 1.0},
      {32, 1.5, int64_t{3221225471} - 4294967296, kAny},
      {32, (2.0 * INT32_MIN + 3.0) / 4294967295.0, INT32_MIN + 1, kAny},
      {0, 1.5, std::bit_cast<int32_t>(1.5f), 1.5},
      {0, 0.1, std::bit_cast<int32_t>(0.1f), static_cast<float>(0.1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits, " + std::to_string(c.value));
    LoadedWave w(1, c.bits == 0 ? 32 : c.bits, 8, c.bits == 0);
    const auto code = [&] {
      switch (c.bits) {
        case 8: return int64_t{w.Byte(44)};
        case 16: return int64_t{w.Word(44)};
        case 24: return int64_t{w.Triple(44)};
        default: return int64_t{w.Long(44)};
      }
    };
    w.wave.SetSample(0, false, c.value);
    EXPECT_EQ(code(), c.code);
    const double v = w.wave.GetSample(0, false);
    if (!std::isnan(c.read)) {
      EXPECT_EQ(v, c.read);
    }
    w.wave.SetSample(0, false, v);
    EXPECT_EQ(code(), c.code);
  }
}

TEST(SampleMapping, NoNumberCannotBeStored) {
  for (const bool floats : {false, true}) {
    LoadedWave w(1, floats ? 32 : 16, 4, floats);
    EXPECT_THROW(w.wave.SetSample(0, false, std::nan("")), std::domain_error);
    EXPECT_THROW(w.wave.SetSample(0, false, floats ? 1e39 : HUGE_VAL), std::domain_error);
    EXPECT_EQ(w.Long(44), 0);
  }
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
