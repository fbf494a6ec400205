#pragma once

#include <cstdint>

#include "state/selection.h"

class TWave;

// What the strips show and what the next command works on: the selection with its channel
// flags, the view range, and whether the channel boxes can be changed. The window shows it;
// velorin-cli keeps one without a window.
struct ViewState {
  Selection Sel;
  int32_t ViewStart = 0;
  int32_t ViewEnd = 0;
  bool LeftEnabled = false;
  bool RightEnabled = false;

  bool operator==(const ViewState&) const = default;
};

// The view covers the whole sound: 0 .. SampleCount - 1.
void ShowWholeWave(ViewState& state, const TWave& wave);
// Both channel flags on, selection 0 .. SampleCount - 1, then the channel rules below.
void SelectAll(ViewState& state, const TWave& wave);
// The channel boxes by the channel count: mono has left checked, right unchecked, both fixed;
// stereo leaves both free and as they were.
void ApplyChannelRules(ViewState& state, const TWave& wave);

// The frame under column `x` of a strip `width` pixels wide that shows the view: column 0 is
// ViewStart, the last column ViewEnd, rounded to the nearest frame (ties to even). A strip too
// narrow to scale gives ViewStart.
int32_t FrameAtColumn(const ViewState& state, int x, int width);
// The column of that strip nearest to `frame` (ties to even), or -1 when the frame is negative
// or lies outside the view by more than half a column.
int ColumnOfFrame(const ViewState& state, int64_t frame, int width);
// A press on a strip: `start` moves the selection's start to `frame`, otherwise its end moves
// there. The end always stays at least one frame after the start.
void MarkSelection(ViewState& state, bool start, int32_t frame);
// A drag from the frame pressed on, `anchor`, to `frame`: the selection runs from the lower of
// the two to the higher, and, where they are the same frame, as a press there leaves it.
void DragSelection(ViewState& state, int32_t anchor, int32_t frame);
// Shift+click: the edge of the selection nearer to `frame` moves there (the end when `frame` lies
// halfway or past it), the end kept at least one frame after the start.
void ExtendSelection(ViewState& state, int32_t frame);

// The view becomes the selection, which may reach past the sound.
void ZoomToSelection(ViewState& state);
// The view grows by half its width on each side, kept within the sound at both ends.
void ZoomOut(ViewState& state, const TWave& wave);

// The view narrower than the sound, so that there is somewhere to scroll to.
bool ViewNarrowerThanWave(const ViewState& state, const TWave& wave);
// The view moved to begin at `start`, keeping its width and staying within the sound. A view as
// wide as the sound, or reversed, stays where it is.
void ScrollView(ViewState& state, const TWave& wave, int64_t start);
// The view's width times `factor` (at least one frame, never wider than the sound, and always a
// step when the factor asks for one), placed so that `frame` stays under column `x` of a strip
// `width` columns wide as far as the sound's ends allow.
void ZoomAround(ViewState& state, const TWave& wave, int32_t frame, int x, int width, double factor);

// The frame the play cursor shows `elapsed` seconds after frames first..last began to play at
// `rate` frames a second: the frame the device says is heard, unless it says none (negative) or
// one ahead of the time passed, as a device that takes the sound faster than it plays it does;
// then the time tells. -1 once that time is past the last frame.
int64_t PlayCursorFrame(int64_t heard, double elapsed, double rate, int64_t first, int64_t last);
