#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "processing/resample.h"
#include "state/session.h"
#include "test_support.h"

namespace {

TEST(Resample, FrameCountsRoundToNearestTiesToEvenWithoutOverflow) {
  EXPECT_EQ(ResampledFrames(5, 16000, 8000), 2);
  EXPECT_EQ(ResampledFrames(2147483647, 8000, 192000), 51539607528);
}

// A tone comes out as the ideal tone at the new rate within the rounding of the codes (the
// resampler's own error lies far below a 16-bit step), one above the new rate's half as silence,
// and a full-scale square's overshoot is held at full scale instead of wrapping round, which
// would flip the sign inside the square's flat halves; a rate reduced two thousandfold, in steps,
// keeps the tone as well. The view's end follows the frames.
TEST(Resample, TonesComeOutIdealToTheCodeAndTheViewFollows) {
  const struct {
    uint16_t channels;
    uint32_t from, to;
    double hz;
    bool square;
  } cases[] = {{2, 44100, 48000, 1000, false}, {1, 22050, 8000, 440, false}, {2, 48000, 44100, 23000, false},
               {1, 48000, 44100, 100, true}, {1, 16000000, 8000, 1000, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.hz) + " Hz to " + std::to_string(c.to));
    Session session;
    std::vector<uint8_t> image = ToneWave(c.channels, c.from, c.hz, {{1, -1}});
    for (size_t i = 45; c.square && i < image.size(); i += 2) image[i] = image[i] & 0x80 ? 0x80 : 0x7F;
    // Lowered over its own image where nothing keeps the old one, or into a new one: the same.
    Session kept;
    kept.Wave.LoadFromImage("tone.wav", image);
    kept.Wave.KeepReplacedImage(true);
    session.Wave.LoadFromImage("tone.wav", std::move(image));
    session.View = {.Sel = {5, 9, true, false}, .ViewStart = 3, .ViewEnd = static_cast<int32_t>(c.from) - 1};
    NoProgress gauge;
    ResampleSound(session, gauge, std::to_string(c.to));
    ResampleSound(kept, gauge, std::to_string(c.to));
    const TWave& wave = session.Wave;
    EXPECT_EQ(wave.Image(), kept.Wave.Image());
    ASSERT_EQ(wave.SampleCount(), c.to);
    EXPECT_EQ(wave.Header().BytesPerSec, c.to * c.channels * 2);
    EXPECT_EQ(session.View.ViewEnd, static_cast<int32_t>(std::nearbyint((c.from - 1.0) * c.to / c.from)));
    EXPECT_EQ(session.View.Sel.SelEnd, static_cast<int32_t>(c.to) - 1);
    const double amplitude = c.hz * 2 < c.to ? std::pow(10.0, -1 / 20.0) : 0;
    double largest = 0;
    int signChanges = 0;
    // Away from the ends, where the filter sees the sound begin and end; values from the middle level.
    for (uint32_t i = c.to / 10; i < c.to - c.to / 10; ++i) {
      const double value = wave.GetSample(i, false) - 1 / 65535.0;
      signChanges += (value < 0) != (wave.GetSample(i - 1, false) - 1 / 65535.0 < 0);
      largest = std::max(largest, std::fabs(value - amplitude * std::sin(2 * std::numbers::pi * c.hz * i / c.to)));
    }
    if (c.square) {
      EXPECT_LE(signChanges, 2 * c.hz * 0.8 + 2);
    } else {
      EXPECT_LE(largest * 32767.5, c.hz * 2 < c.to ? 1.5 : 0.5);
    }
  }
}

}  // namespace
