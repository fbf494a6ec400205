#include "analysis/wave_drawing.h"

#include <cmath>

#include "state/view_state.h"
#include "analysis/peak_summary.h"
#include "wave/wave_document.h"

namespace {

// A frame before the sound wraps to far past its end, where it reads as silence.
double SampleAt(const TWave& wave, int32_t frame, bool right) {
  return wave.GetSample(static_cast<uint32_t>(frame), right);
}

// The distance in frames between neighbouring columns of the trace.
long double ColumnStep(const ViewState& view, int width) {
  return width > 1 ? (static_cast<long double>(view.ViewEnd) - view.ViewStart) / (width - 1) : 0.0L;
}

// The pen of the column at frame position `pos`. The selection test uses the exact position,
// not the frame it rounds to.
TracePen PenAt(const ViewState& view, bool right, long double pos) {
  if (pos < view.Sel.SelStart || view.Sel.SelEnd < pos) return TracePen::Grey;
  if (right) return view.Sel.Right ? TracePen::Green : TracePen::Grey;
  return view.Sel.Left ? TracePen::Red : TracePen::Grey;
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

  const long double step = ColumnStep(view, width);
  for (int x = 1; x < width; ++x) {
    const long double pos = view.ViewStart + x * step;
    const auto frame = static_cast<int32_t>(std::nearbyint(pos));
    trace.push_back({frame, SampleRow(SampleAt(wave, frame, right), height), PenAt(view, right, pos)});
  }
  return trace;
}

std::vector<PeakColumn> PeakChannel(const TWave& wave, const PeakSummary& peaks, const ViewState& view,
                                    bool right, int width, int height) {
  std::vector<PeakColumn> columns;
  const int64_t frames = int64_t{view.ViewEnd} - view.ViewStart + 1;
  if (!peaks.Fits(wave) || width < 1 || frames < width || (right && wave.Channels() != 2)) return columns;
  columns.reserve(static_cast<size_t>(width));
  const long double step = ColumnStep(view, width);
  for (int x = 0; x < width; ++x) {
    const PeakRange range = peaks.Peak(wave, right, view.ViewStart + x * frames / width,
                                       view.ViewStart + (x + 1) * frames / width);
    columns.push_back({SampleRow(range.Max, height), SampleRow(range.Min, height),
                       PenAt(view, right, view.ViewStart + x * step)});
  }
  return columns;
}

int InsertColumn(const ViewState& view, int width) {
  const Selection& sel = view.Sel;
  return int64_t{sel.SelEnd} - sel.SelStart <= 1 ? ColumnOfFrame(view, sel.SelStart, width) : -1;
}
