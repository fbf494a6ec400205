#include "views/wave_drawing.h"

#include <cmath>

#include "state/view_state.h"
#include "wave/wave_document.h"

namespace {

// A frame before the sound wraps to far past its end, where it reads as silence.
double SampleAt(const TWave& wave, int32_t frame, bool right) {
  return wave.GetSample(static_cast<uint32_t>(frame), right);
}

}  // namespace

int SampleRow(double value, int height) {
  const int half = height / 2;
  return half - static_cast<int>(std::nearbyint(half * value));
}

std::vector<TracePoint> TraceChannel(const TWave& wave, const ViewState& view, bool right, int width,
                                     int height) {
  std::vector<TracePoint> trace;
  if (!wave.Loaded() || width < 1 || (right && wave.Channels() != 2)) return trace;
  trace.reserve(static_cast<size_t>(width));
  trace.push_back({view.ViewStart, SampleRow(SampleAt(wave, view.ViewStart, right), height), TracePen::Grey});

  const TracePen selected = right ? (view.Sel.Right ? TracePen::Green : TracePen::Grey)
                                  : (view.Sel.Left ? TracePen::Red : TracePen::Grey);
  const long double step =
      width > 1 ? (static_cast<long double>(view.ViewEnd) - view.ViewStart) / (width - 1) : 0.0L;
  for (int x = 1; x < width; ++x) {
    // The selection test uses the exact position, not the frame it rounds to.
    const long double pos = view.ViewStart + x * step;
    const auto frame = static_cast<int32_t>(std::nearbyint(pos));
    const bool inSelection = view.Sel.SelStart <= pos && pos <= view.Sel.SelEnd;
    trace.push_back({frame, SampleRow(SampleAt(wave, frame, right), height),
                     inSelection ? selected : TracePen::Grey});
  }
  return trace;
}
