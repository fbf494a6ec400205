#include "state/view_state.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "wave/wave_document.h"

void ShowWholeWave(ViewState& state, const TWave& wave) {
  state.ViewStart = 0;
  state.ViewEnd = static_cast<int32_t>(wave.SampleCount()) - 1;
}

void SelectAll(ViewState& state, const TWave& wave) {
  state.Sel.Left = true;
  state.Sel.Right = true;
  state.Sel.SelStart = 0;
  state.Sel.SelEnd = static_cast<int32_t>(wave.SampleCount()) - 1;
  ApplyChannelRules(state, wave);
}

void ApplyChannelRules(ViewState& state, const TWave& wave) {
  if (wave.Channels() == 1) {
    state.Sel.Left = true;
    state.Sel.Right = false;
    state.LeftEnabled = false;
    state.RightEnabled = false;
  } else if (wave.Channels() == 2) {
    state.LeftEnabled = true;
    state.RightEnabled = true;
  }
}

namespace {

// A frame number computed in a wider type, saturated to what the view state holds.
int32_t ClampToFrame(int64_t frame) {
  return static_cast<int32_t>(std::clamp<int64_t>(frame, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

int32_t FrameAtColumn(const ViewState& state, int x, int width) {
  if (width < 2) return state.ViewStart;
  const long double span = static_cast<long double>(state.ViewEnd) - state.ViewStart;
  const long double frame = std::nearbyint(x * span / (width - 1) + state.ViewStart);
  // A press far outside the strip must not overflow the frame numbers.
  if (frame <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (frame >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(frame);
}

int ColumnOfFrame(const ViewState& state, int64_t frame, int width) {
  if (frame < 0 || width < 1) return -1;
  const long double span = static_cast<long double>(state.ViewEnd) - state.ViewStart;
  const long double x = span > 0 ? std::nearbyint((frame - state.ViewStart) * (width - 1) / span)
                                 : (frame == state.ViewStart ? 0.0L : -1.0L);
  return x < 0 || x >= width ? -1 : static_cast<int>(x);
}

void MarkSelection(ViewState& state, bool start, int32_t frame) {
  if (start) {
    state.Sel.SelStart = frame;
  } else {
    state.Sel.SelEnd = frame;
  }
  if (state.Sel.SelEnd <= state.Sel.SelStart) state.Sel.SelEnd = ClampToFrame(int64_t{state.Sel.SelStart} + 1);
}

void DragSelection(ViewState& state, int32_t anchor, int32_t frame) {
  state.Sel.SelStart = std::min(anchor, frame);
  state.Sel.SelEnd = std::max(anchor, frame);
  MarkSelection(state, true, state.Sel.SelStart);
}

void ExtendSelection(ViewState& state, int32_t frame) {
  const bool nearerStart = 2 * int64_t{frame} < int64_t{state.Sel.SelStart} + state.Sel.SelEnd;
  MarkSelection(state, nearerStart, frame);
}

void ZoomToSelection(ViewState& state) {
  state.ViewStart = state.Sel.SelStart;
  state.ViewEnd = state.Sel.SelEnd;
}

// The end grows by half the width measured from the start as already moved, so a view that
// sits at frame 0 gains only on its right.
void ZoomOut(ViewState& state, const TWave& wave) {
  int64_t start = state.ViewStart;
  int64_t end = state.ViewEnd;
  start -= (end - start) / 2;
  if (start < 0) start = 0;
  end += (end - start) / 2;
  const int64_t last = static_cast<int64_t>(wave.SampleCount()) - 1;
  if (end > last) end = last;
  state.ViewStart = ClampToFrame(start);
  state.ViewEnd = ClampToFrame(end);
}

namespace {

int64_t LastFrame(const TWave& wave) { return static_cast<int64_t>(wave.SampleCount()) - 1; }

int64_t ViewWidth(const ViewState& state) { return int64_t{state.ViewEnd} - state.ViewStart; }

// Frames below 2^31 make every sum here fit the view's numbers.
void PlaceView(ViewState& state, const TWave& wave, int64_t start, int64_t width) {
  start = std::clamp<int64_t>(start, 0, LastFrame(wave) - width);
  state.ViewStart = static_cast<int32_t>(start);
  state.ViewEnd = static_cast<int32_t>(start + width);
}

}  // namespace

bool ViewNarrowerThanWave(const ViewState& state, const TWave& wave) {
  const int64_t width = ViewWidth(state);
  return width >= 0 && width < LastFrame(wave);
}

void ScrollView(ViewState& state, const TWave& wave, int64_t start) {
  if (ViewNarrowerThanWave(state, wave)) PlaceView(state, wave, start, ViewWidth(state));
}

void ZoomAround(ViewState& state, const TWave& wave, int32_t frame, int x, int width, double factor) {
  const int64_t last = LastFrame(wave);
  if (last < 1 || width < 2) return;
  const int64_t old = std::max<int64_t>(ViewWidth(state), 1);
  int64_t wider = std::llround(static_cast<long double>(old) * factor);
  // A factor near 1 must not leave a narrow view stuck at its width.
  if (factor < 1) wider = std::min(wider, old - 1);
  if (factor > 1) wider = std::max(wider, old + 1);
  const int64_t span = std::clamp<int64_t>(wider, 1, last);
  const auto offset = static_cast<int64_t>(std::nearbyint(static_cast<long double>(x) * span / (width - 1)));
  PlaceView(state, wave, int64_t{frame} - offset, span);
}

int64_t PlayCursorFrame(int64_t heard, double elapsed, double rate, int64_t first, int64_t last) {
  const long double timed = first + std::floor(static_cast<long double>(elapsed) * rate);
  if (timed > last) return heard >= first && heard <= last ? heard : -1;
  return heard >= first && heard <= timed ? heard : static_cast<int64_t>(timed);
}
