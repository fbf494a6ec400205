#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "state/level_meter.h"

namespace {

std::vector<uint8_t> Codes16(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  for (const int16_t sample : samples) {
    bytes.push_back(static_cast<uint8_t>(sample & 0xFF));
    bytes.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
  }
  return bytes;
}

TEST(LevelMeterTest, PeaksAndClipLightsFromKnownBuffers) {
  struct Row {
    int bits, channels;
    std::vector<uint8_t> bytes;
    double leftDb, rightDb;
    bool leftClip, rightClip;
  };
  const double inf = INFINITY;
  for (const Row& row : std::vector<Row>{
           {16, 1, Codes16({0, 16384, -8192}), -6.0206, -inf, false, false},
           {16, 1, Codes16({32767}), -0.000265, -inf, true, false},
           {16, 2, Codes16({-32768, 1, -32767, 0}), 0.0, -90.309, true, false},
           {8, 2, {128, 0, 192, 128}, -6.0206, 0.0, false, true},
           {8, 1, {255, 129}, -0.0683, -inf, true, false},
           {16, 2, Codes16({0, 0, 0}), -inf, -inf, false, false},
       }) {
    SCOPED_TRACE(::testing::Message() << row.bits << " bits, " << row.channels << " channels");
    LevelMeter meter;
    meter.Start(row.bits, row.channels, 44100);
    meter.Take(row.bytes.data(), row.bytes.size());
    // Silence reads negative infinity exactly.
    const auto near = [](double db, double expected) { return db == expected || std::abs(db - expected) < 1e-3; };
    EXPECT_PRED2(near, meter.TakePeakDb(0), row.leftDb);
    if (row.channels == 2) EXPECT_PRED2(near, meter.TakePeakDb(1), row.rightDb);
    EXPECT_EQ(meter.Clipped(0), row.leftClip);
    EXPECT_EQ(meter.Clipped(1), row.rightClip);
    // The peak starts again after each reading; the clip light stays until put out.
    EXPECT_EQ(meter.TakePeakDb(0), -inf);
    EXPECT_EQ(meter.Clipped(0), row.leftClip);
    meter.ClearClips();
    EXPECT_FALSE(meter.Clipped(0) || meter.Clipped(1));
  }
}

TEST(LevelMeterTest, TheHeldPeakIsTheLoudestOfTheLastSecond) {
  LevelMeter meter;
  meter.Start(16, 1, 100);  // a second is ten parts of ten frames
  const std::vector<uint8_t> loud = Codes16({16384});
  const std::vector<uint8_t> quiet = Codes16(std::vector<int16_t>(10, 1024));
  meter.Take(loud.data(), loud.size());
  for (int part = 0; part < 10; ++part) {
    EXPECT_NEAR(meter.HeldDb(0), -6.0206, 1e-3) << part;
    meter.Take(quiet.data(), quiet.size());
  }
  EXPECT_NEAR(meter.HeldDb(0), -30.103, 1e-3);
  meter.Start(16, 1, 100);
  EXPECT_EQ(meter.HeldDb(0), -INFINITY);
}

}  // namespace
