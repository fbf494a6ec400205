#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "state/view_state.h"
#include "test_support.h"
#include "views/wave_drawing.h"
#include "wave/wave_document.h"

namespace {

constexpr int kWidth = 761;
constexpr int kHeight = 153;  // half 76

ViewState View(int32_t start, int32_t end, int32_t selStart = 0, int32_t selEnd = -1) {
  ViewState state;
  state.ViewStart = start;
  state.ViewEnd = end;
  state.Sel.SelStart = selStart;
  state.Sel.SelEnd = selEnd;
  return state;
}

std::vector<int32_t> Frames(const std::vector<TracePoint>& trace) {
  std::vector<int32_t> frames;
  for (const TracePoint& point : trace) frames.push_back(point.Frame);
  return frames;
}

std::vector<int> Rows(const std::vector<TracePoint>& trace) {
  std::vector<int> rows;
  for (const TracePoint& point : trace) rows.push_back(point.Y);
  return rows;
}

// The pens of columns 1.. (column 0 draws nothing).
std::vector<TracePen> Pens(const std::vector<TracePoint>& trace) {
  std::vector<TracePen> pens;
  for (size_t x = 1; x < trace.size(); ++x) pens.push_back(trace[x].Pen);
  return pens;
}

// Samples counting up from `first` in steps of `step`.
std::vector<int16_t> Ramp(int count, int first, int step) {
  std::vector<int16_t> samples;
  for (int i = 0; i < count; ++i) samples.push_back(static_cast<int16_t>(first + i * step));
  return samples;
}

TEST(SampleRowTest, FullScaleReachesTopAndBottomRows) {
  EXPECT_EQ(SampleRow(1.0, kHeight), 0);
  EXPECT_EQ(SampleRow(0.0, kHeight), 76);
  EXPECT_EQ(SampleRow(-1.0, kHeight), 152);
  EXPECT_EQ(SampleRow(-1.0, 152), 152);
  EXPECT_EQ(SampleRow(1.0, 152), 0);
  // The extreme 16-bit codes read exactly +1 and -1.
  TWave wave;
  wave.LoadFromImage("s.wav", Wave16({32767, -32768}));
  EXPECT_EQ(SampleRow(wave.GetSample(0, false), kHeight), 0);
  EXPECT_EQ(SampleRow(wave.GetSample(1, false), kHeight), 152);
}

TEST(SampleRowTest, HalfPixelsRoundToEven) {
  // Height 5 has half 2: 0.25 and 0.75 give 0.5 and 1.5 pixels.
  EXPECT_EQ(SampleRow(0.25, 5), 2);
  EXPECT_EQ(SampleRow(0.75, 5), 0);
  EXPECT_EQ(SampleRow(-0.25, 5), 2);
  EXPECT_EQ(SampleRow(-0.75, 5), 4);
  EXPECT_EQ(SampleRow(0.5, kHeight), 38);
}

class TraceChannelTest : public ::testing::Test {
 protected:
  void Load(const std::vector<int16_t>& left, const std::vector<int16_t>& right = {}) {
    wave.LoadFromImage("sound.wav", Wave16(left, right));
  }
  TWave wave;
};

TEST_F(TraceChannelTest, OneFramePerColumnSkippingFramesOfALongView) {
  Load(Ramp(2000, -1000, 1));
  const std::vector<TracePoint> trace = TraceChannel(wave, View(0, 1520), false, kWidth, kHeight);
  ASSERT_EQ(trace.size(), 761u);
  for (int x = 0; x < kWidth; ++x) {
    ASSERT_EQ(trace[x].Frame, 2 * x) << x;
    ASSERT_EQ(trace[x].Y, SampleRow(wave.GetSample(2 * x, false), kHeight)) << x;
  }
}

TEST_F(TraceChannelTest, AShortViewRepeatsFramesInNeighbouringColumns) {
  // Ten frames far apart in value, so every frame has its own row.
  Load(Ramp(10, -30000, 6000));
  const std::vector<TracePoint> trace = TraceChannel(wave, View(0, 9), false, kWidth, kHeight);
  ASSERT_EQ(trace.size(), 761u);

  std::vector<int32_t> runFrames;
  std::vector<int> runLengths;
  for (const TracePoint& point : trace) {
    if (runFrames.empty() || runFrames.back() != point.Frame) {
      runFrames.push_back(point.Frame);
      runLengths.push_back(0);
    }
    ++runLengths.back();
  }
  EXPECT_EQ(runFrames, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  // Column x shows x * 9 / 760 rounded: the end frames get half a share each, column 380 at 4.5
  // goes to frame 4.
  EXPECT_EQ(runLengths, (std::vector<int>{43, 84, 85, 84, 85, 84, 84, 85, 84, 43}));

  // Equal frames draw at equal rows, and different frames at different rows.
  for (size_t x = 1; x < trace.size(); ++x)
    EXPECT_EQ(trace[x].Y == trace[x - 1].Y, trace[x].Frame == trace[x - 1].Frame) << x;
}

TEST_F(TraceChannelTest, ColumnsBetweenFramesRoundToEven) {
  Load(Ramp(3, -20000, 20000));
  const std::vector<TracePoint> trace = TraceChannel(wave, View(0, 2), false, 5, kHeight);
  EXPECT_EQ(Frames(trace), (std::vector<int32_t>{0, 0, 1, 2, 2}));
}

TEST_F(TraceChannelTest, PensFollowTheSelectionAndTheChannelFlags) {
  Load(Ramp(100, 0, 100), Ramp(100, 0, -100));
  ViewState view = View(0, 9, 3, 6);
  const TracePen g = TracePen::Grey;
  const TracePen r = TracePen::Red;
  const TracePen n = TracePen::Green;

  // Columns 1..9 show frames 1..9; 3..6 are selected, both ends included.
  EXPECT_EQ(Pens(TraceChannel(wave, view, false, 10, kHeight)),
            (std::vector<TracePen>{g, g, r, r, r, r, g, g, g}));
  EXPECT_EQ(Pens(TraceChannel(wave, view, true, 10, kHeight)),
            (std::vector<TracePen>{g, g, n, n, n, n, g, g, g}));

  view.Sel.Left = false;
  EXPECT_EQ(Pens(TraceChannel(wave, view, false, 10, kHeight)), std::vector<TracePen>(9, g));
  EXPECT_EQ(Pens(TraceChannel(wave, view, true, 10, kHeight)),
            (std::vector<TracePen>{g, g, n, n, n, n, g, g, g}));
  view.Sel.Left = true;
  view.Sel.Right = false;
  EXPECT_EQ(Pens(TraceChannel(wave, view, true, 10, kHeight)), std::vector<TracePen>(9, g));

  // A selection wholly outside the view colours nothing.
  view = View(0, 9, 20, 30);
  EXPECT_EQ(Pens(TraceChannel(wave, view, false, 10, kHeight)), std::vector<TracePen>(9, g));
}

TEST_F(TraceChannelTest, TheSelectionIsTestedAtTheExactColumnPosition) {
  Load(Ramp(3, -20000, 20000), Ramp(3, -20000, 20000));
  // Columns sit at 0, 0.5, 1, 1.5, 2: only column 2 lies in 1..1, although columns 1 and 3 read
  // frames right next to it.
  const ViewState view = View(0, 2, 1, 1);
  const TracePen g = TracePen::Grey;
  EXPECT_EQ(Pens(TraceChannel(wave, view, false, 5, kHeight)),
            (std::vector<TracePen>{g, TracePen::Red, g, g}));
  EXPECT_EQ(Pens(TraceChannel(wave, View(0, 2, 0, 1), true, 5, kHeight)),
            (std::vector<TracePen>{TracePen::Green, TracePen::Green, g, g}));
}

TEST_F(TraceChannelTest, EachChannelDrawsItsOwnSamples) {
  Load(std::vector<int16_t>(20, 32767), std::vector<int16_t>(20, -32768));
  const ViewState view = View(0, 19);
  EXPECT_EQ(Rows(TraceChannel(wave, view, false, 20, kHeight)), std::vector<int>(20, 0));
  EXPECT_EQ(Rows(TraceChannel(wave, view, true, 20, kHeight)), std::vector<int>(20, 152));
}

TEST_F(TraceChannelTest, FramesOutsideTheSoundDrawAsSilence) {
  Load(std::vector<int16_t>(5, 32767));
  // Frames -3..6: only 0..4 exist.
  const std::vector<TracePoint> trace = TraceChannel(wave, View(-3, 6), false, 10, kHeight);
  EXPECT_EQ(Frames(trace), (std::vector<int32_t>{-3, -2, -1, 0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Rows(trace), (std::vector<int>{76, 76, 76, 0, 0, 0, 0, 0, 76, 76}));
}

TEST_F(TraceChannelTest, NothingToDrawWithoutSoundOrRightChannel) {
  TWave none;
  EXPECT_TRUE(TraceChannel(none, View(0, 10), false, kWidth, kHeight).empty());
  Load(std::vector<int16_t>(10, 32767));
  EXPECT_TRUE(TraceChannel(wave, View(0, 9), true, kWidth, kHeight).empty());
  EXPECT_EQ(TraceChannel(wave, View(0, 9), false, kWidth, kHeight).size(), 761u);
  // A strip one column wide shows only where the line would start.
  const std::vector<TracePoint> single = TraceChannel(wave, View(0, 9), false, 1, kHeight);
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(single[0].Y, 0);
}

}  // namespace
