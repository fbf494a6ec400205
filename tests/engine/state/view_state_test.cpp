#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include "state/view_state.h"
#include "test_support.h"
#include "wave/wave_document.h"

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

ViewState View(int32_t start, int32_t end) {
  ViewState state;
  state.ViewStart = start;
  state.ViewEnd = end;
  return state;
}

ViewState Selected(int32_t selStart, int32_t selEnd) {
  ViewState state;
  state.Sel.SelStart = selStart;
  state.Sel.SelEnd = selEnd;
  return state;
}

TEST(FrameAtColumnTest, EndColumnsAreTheViewsEnds) {
  EXPECT_EQ(FrameAtColumn(View(100, 500), 0, 761), 100);
  EXPECT_EQ(FrameAtColumn(View(100, 500), 760, 761), 500);
  EXPECT_EQ(FrameAtColumn(View(0, 22049), 760, 761), 22049);
  EXPECT_EQ(FrameAtColumn(View(-20, -10), 0, 761), -20);
}

TEST(FrameAtColumnTest, RoundsToNearestFrameWithTiesToEven) {
  // Columns 0..4 over frames 0..2 sit at 0, 0.5, 1, 1.5, 2.
  std::vector<int32_t> frames;
  for (int x = 0; x < 5; ++x) frames.push_back(FrameAtColumn(View(0, 2), x, 5));
  EXPECT_EQ(frames, (std::vector<int32_t>{0, 0, 1, 2, 2}));
  // 1 * 999 / 760 = 1.314...
  EXPECT_EQ(FrameAtColumn(View(0, 999), 1, 761), 1);
  EXPECT_EQ(FrameAtColumn(View(0, 999), 380, 761), 500);  // 499.5 -> 500
}

TEST(FrameAtColumnTest, DegenerateStripsAndFarPressesStayInRange) {
  EXPECT_EQ(FrameAtColumn(View(7, 90), 0, 1), 7);
  EXPECT_EQ(FrameAtColumn(View(7, 90), 5, 0), 7);
  EXPECT_EQ(FrameAtColumn(View(0, kMax), 1 << 30, 2), kMax);
  EXPECT_EQ(FrameAtColumn(View(0, kMax), -(1 << 30), 2), kMin);
  EXPECT_EQ(FrameAtColumn(View(kMin, kMax), 1, 3), 0);
}

// Where a view has at least as many frames as columns, the column of each column's own frame is
// that column; frames before the view or past its last column by half a column have none.
TEST(ColumnOfFrameTest, UndoesFrameAtColumn) {
  for (const ViewState& view : {View(0, 760), View(100, 5000), View(0, 26459999)}) {
    for (int x = 0; x < 761; ++x) ASSERT_EQ(ColumnOfFrame(view, FrameAtColumn(view, x, 761), 761), x);
  }
  std::vector<int> columns;
  for (int64_t frame : {96, 97, 5003, 5004}) columns.push_back(ColumnOfFrame(View(100, 5000), frame, 761));
  EXPECT_EQ(columns, (std::vector<int>{-1, 0, 760, -1}));
  EXPECT_EQ(ColumnOfFrame(View(7, 7), 7, 761), 0);
}

TEST(MarkSelectionTest, StartAndEndMoveOnTheirOwn) {
  ViewState state = Selected(10, 50);
  MarkSelection(state, true, 20);
  EXPECT_EQ(state.Sel.SelStart, 20);
  EXPECT_EQ(state.Sel.SelEnd, 50);
  MarkSelection(state, false, 40);
  EXPECT_EQ(state.Sel.SelStart, 20);
  EXPECT_EQ(state.Sel.SelEnd, 40);
  MarkSelection(state, false, 21);
  EXPECT_EQ(state.Sel.SelEnd, 21);
}

TEST(MarkSelectionTest, EndNeverReachesTheStart) {
  ViewState state = Selected(10, 50);
  MarkSelection(state, true, 50);  // onto the end
  EXPECT_EQ(state.Sel.SelEnd, 51);
  MarkSelection(state, true, 900);  // past the end
  EXPECT_EQ(state.Sel.SelStart, 900);
  EXPECT_EQ(state.Sel.SelEnd, 901);
  MarkSelection(state, false, 3);  // before the start
  EXPECT_EQ(state.Sel.SelStart, 900);
  EXPECT_EQ(state.Sel.SelEnd, 901);
  MarkSelection(state, false, 900);
  EXPECT_EQ(state.Sel.SelEnd, 901);
  MarkSelection(state, true, kMax);  // no overflow at the last frame number
  EXPECT_EQ(state.Sel.SelEnd, kMax);
}

// A drag from `anchor` to `frame`, or a Shift+click at `frame`, on a selection of 10..50.
TEST(DragSelectionTest, RunsLowToHighAndShiftMovesTheNearerEdge) {
  for (const auto& [drag, anchor, frame, selStart, selEnd] : std::vector<std::tuple<bool, int32_t, int32_t, int32_t, int32_t>>{
           {true, 30, 20, 20, 30}, {true, 20, 20, 20, 21}, {true, 5, kMax, 5, kMax}, {false, 0, 25, 25, 50},
           {false, 0, 30, 10, 30}, {false, 0, 3, 3, 50}, {false, 0, 900, 10, 900}}) {
    ViewState state = Selected(10, 50);
    drag ? DragSelection(state, anchor, frame) : ExtendSelection(state, frame);
    EXPECT_EQ(std::make_pair(state.Sel.SelStart, state.Sel.SelEnd), std::make_pair(selStart, selEnd)) << drag << frame;
  }
}

// Frames 100..2000 playing at 1000 frames a second.
TEST(PlayCursorFrameTest, TheDevicesFrameWhereTimeAllowsItOtherwiseTheTime) {
  for (const auto& [heard, elapsed, shown] : std::vector<std::tuple<int64_t, double, int64_t>>{
           {550, 0.5, 550}, {-1, 0.5, 600}, {900, 0.5, 600}, {50, 0.5, 600}, {-1, 2.0, -1}, {1990, 2.0, 1990}})
    EXPECT_EQ(PlayCursorFrame(heard, elapsed, 1000, 100, 2000), shown) << heard << " at " << elapsed;
}

class ZoomOutTest : public ::testing::Test {
 protected:
  // 1000 frames: the last is 999.
  void SetUp() override { wave.LoadFromImage("s.wav", Wave16(std::vector<int16_t>(1000, 0))); }
  TWave wave;

  std::pair<int32_t, int32_t> ZoomedOut(int32_t start, int32_t end) {
    ViewState state = View(start, end);
    ZoomOut(state, wave);
    return {state.ViewStart, state.ViewEnd};
  }
};

TEST_F(ZoomOutTest, AViewAtTheStartGrowsOnlyToTheRight) {
  EXPECT_EQ(ZoomedOut(0, 99), std::make_pair(0, 148));
  EXPECT_EQ(ZoomedOut(0, 148), std::make_pair(0, 222));
  // The start would go to -50 and stops at 0; the end grows by half of 0..150.
  EXPECT_EQ(ZoomedOut(50, 150), std::make_pair(0, 225));
}

TEST_F(ZoomOutTest, TheEndGrowsByHalfTheWidthFromTheMovedStart) {
  // 100 - 99/2 = 51; 199 + (199 - 51)/2 = 273.
  EXPECT_EQ(ZoomedOut(100, 199), std::make_pair(51, 273));
  EXPECT_EQ(ZoomedOut(500, 500), std::make_pair(500, 500));
  EXPECT_EQ(ZoomedOut(500, 501), std::make_pair(500, 501));
  EXPECT_EQ(ZoomedOut(500, 503), std::make_pair(499, 505));
}

TEST_F(ZoomOutTest, TheEndStopsAtTheLastFrame) {
  EXPECT_EQ(ZoomedOut(0, 800), std::make_pair(0, 999));
  EXPECT_EQ(ZoomedOut(0, 999), std::make_pair(0, 999));
  // A view wholly past the sound, as zooming into a selection beyond it leaves.
  EXPECT_EQ(ZoomedOut(2000, 2100), std::make_pair(1950, 999));
}

TEST_F(ZoomOutTest, ReversedViewsHalveTowardZero) {
  // Width -5 halves to -2, so the start moves right; then (5 - 12) / 2 = -3.
  EXPECT_EQ(ZoomedOut(10, 5), std::make_pair(12, 2));
  EXPECT_EQ(ZoomedOut(10, 9), std::make_pair(10, 9));
}

TEST_F(ZoomOutTest, ExtremeFrameNumbersDoNotOverflow) {
  EXPECT_EQ(ZoomedOut(kMin, kMax), std::make_pair(0, 999));
  EXPECT_EQ(ZoomedOut(kMax, kMin), std::make_pair(kMax, kMin));
}

// The wheel over a 761-column strip on the 1000-frame sound.
TEST_F(ZoomOutTest, ScrollingKeepsTheWidthWithinTheSound) {
  for (const auto& [start, end, to, expected] : std::vector<std::tuple<int32_t, int32_t, int64_t, std::pair<int32_t, int32_t>>>{
           {100, 199, 300, {300, 399}}, {100, 199, -50, {0, 99}}, {100, 199, 950, {900, 999}},
           {2000, 2100, 5, {5, 105}},  // a view past the sound comes back into it
           {0, 999, 300, {0, 999}}, {10, 5, 300, {10, 5}}}) {
    ViewState state = View(start, end);
    ScrollView(state, wave, to);
    EXPECT_EQ(std::make_pair(state.ViewStart, state.ViewEnd), expected) << start << ".." << end << " to " << to;
  }
}

TEST_F(ZoomOutTest, ZoomingAroundAColumnKeepsItsFrameUnlessTheSoundEndsFirst) {
  // The view, the column, the factor, the view after, and whether the frame under the column stayed.
  for (const auto& [start, end, x, factor, expected, kept] :
       std::vector<std::tuple<int32_t, int32_t, int, double, std::pair<int32_t, int32_t>, bool>>{
           {0, 999, 380, 0.5, {250, 750}, true}, {250, 750, 100, 0.8, {263, 663}, true},
           {900, 999, 760, 2.0, {801, 999}, true},
           {250, 750, 0, 2.0, {0, 999}, false},   // never wider than the sound
           {10, 109, 760, 4.0, {0, 396}, false},  // the sound's start stops it
           {500, 502, 0, 0.8, {500, 501}, true},  // a narrow view still steps, to one frame at most
           {500, 501, 0, 0.8, {500, 501}, true}, {500, 501, 760, 1.25, {499, 501}, true}}) {
    SCOPED_TRACE(testing::Message() << start << ".." << end << " at " << x << " x" << factor);
    ViewState state = View(start, end);
    const int32_t frame = FrameAtColumn(state, x, 761);
    ZoomAround(state, wave, frame, x, 761, factor);
    EXPECT_EQ(std::make_pair(state.ViewStart, state.ViewEnd), expected);
    EXPECT_EQ(FrameAtColumn(state, x, 761) == frame, kept);
  }
}

TEST(ZoomOutEmptyTest, AnEmptySoundEndsTheViewBeforeFrameZero) {
  TWave empty;
  empty.LoadFromImage("e.wav", Wave16({}));
  ViewState state = View(0, 10);
  ZoomOut(state, empty);
  EXPECT_EQ(state.ViewStart, 0);
  EXPECT_EQ(state.ViewEnd, -1);
}

}  // namespace
