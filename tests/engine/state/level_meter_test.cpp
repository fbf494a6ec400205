#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "state/level_meter.h"
#include "test_support.h"

namespace {

constexpr double kSilent = -INFINITY;

bool Near(double db, double expected) { return db == expected || std::abs(db - expected) < 1e-3; }

// One buffer each: the peaks in dBFS, held until the next buffer, and the clip lights, which stay
// until put out.
TEST(LevelMeterTest, PeaksAndClipLightsFromKnownBuffers) {
  for (const auto& [bits, channels, bytes, left, right, clips] :
       std::vector<std::tuple<SampleKind, int, std::vector<uint8_t>, double, double, std::pair<bool, bool>>>{
           {SampleKind::Word, 1, Words({0, 16384, -8192}), -6.0206, kSilent, {false, false}},
           {SampleKind::Word, 1, Words({32767}), -0.000265, kSilent, {true, false}},
           {SampleKind::Word, 2, Words({-32768, 1, 0, 0}), 0.0, -90.309, {true, false}},
           {SampleKind::Byte, 2, {128, 0, 192, 128}, -6.0206, 0.0, {false, true}},
           {SampleKind::Byte, 1, {255}, -0.0682, kSilent, {true, false}},
           // Digital silence on the left, the lowest code and half scale on the right.
           {SampleKind::Triple, 2, {0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0x40}, kSilent, 0.0, {false, true}}}) {
    LevelMeter meter;
    meter.Start(bits, channels, 44100);
    meter.Take(bytes.data(), bytes.size());
    EXPECT_PRED2(Near, meter.TakePeakDb(0), left) << FormatOf(bits).Bits << channels;
    EXPECT_PRED2(Near, meter.TakePeakDb(1), right) << FormatOf(bits).Bits << channels;
    // Until the next buffer comes the reading stays; a buffer of digital silence reads nothing.
    EXPECT_PRED2(Near, meter.TakePeakDb(0), left);
    const std::vector<uint8_t> silence(FormatOf(bits).Bytes * channels, FormatOf(bits).SilenceByte);
    meter.Take(silence.data(), silence.size());
    EXPECT_EQ(meter.TakePeakDb(0), kSilent);
    EXPECT_EQ(std::make_pair(meter.Clipped(0), meter.Clipped(1)), clips);
    meter.ClearClips();
    EXPECT_FALSE(meter.Clipped(0) || meter.Clipped(1));
  }
}

TEST(LevelMeterTest, TheHeldPeakIsTheLoudestOfTheLastSecond) {
  LevelMeter meter;
  meter.Start(SampleKind::Word, 1, 100);  // a second is ten parts of ten frames
  const std::vector<uint8_t> loud = Words({16384}), quiet = Words(std::vector<int16_t>(10, 1024));
  meter.Take(loud.data(), loud.size());
  for (int part = 0; part < 10; ++part) {
    EXPECT_PRED2(Near, meter.HeldDb(0), -6.0206) << part;
    meter.Take(quiet.data(), quiet.size());
  }
  EXPECT_PRED2(Near, meter.HeldDb(0), -30.103);
}

}  // namespace
