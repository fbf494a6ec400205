#include <gtest/gtest.h>

#include "test_support.h"
#include "wave/wave_document.h"

namespace {

// A loaded sound of the given format whose data bytes are all zero.
struct LoadedWave {
  TWave wave;
  LoadedWave(uint16_t channels, uint16_t bits, uint32_t dataSize) {
    wave.LoadFromImage("w.wav",
                       CanonicalWave(channels, 44100, bits, std::vector<uint8_t>(dataSize, 0)));
  }
  uint8_t Byte(size_t pos) const { return wave.Image()[pos]; }
  int16_t Word(size_t pos) const { return static_cast<int16_t>(Byte(pos) | (Byte(pos + 1) << 8)); }
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
