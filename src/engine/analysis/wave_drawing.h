#pragma once

#include <cstdint>
#include <vector>

class PeakSummary;
struct ViewState;
class TWave;

enum class TracePen { Grey, Red, Green };

// One column of a channel's trace. Column 0 only starts the line; every later column x draws
// from column x-1 to (x, Y) in its own Pen, so a segment takes the colour of its right end.
struct TracePoint {
  int32_t Frame = 0;  // the one frame read for the column; outside the sound it reads silence
  int Y = 0;
  TracePen Pen = TracePen::Grey;
};

// The row of a sample value in a strip `height` pixels high: +1 is the top row, 0 the middle
// row height div 2, -1 the row twice that.
int SampleRow(double value, int height);

// The trace of one channel of `wave` in a strip of width x height pixels showing the view:
// one frame per column, spread evenly from ViewStart at column 0 to ViewEnd at the last one, so
// a long view skips frames and a short one repeats them. Inside the selection the left channel
// is red and the right green when their flags are on; everything else is grey. Empty when
// nothing is to be drawn: no sound loaded, or the right channel of a mono sound.
std::vector<TracePoint> TraceChannel(const TWave& wave, const ViewState& view, bool right, int width,
                                     int height);

// One column of a channel's peaks: a vertical line from row Top (the highest value among the
// frames the column stands for) down to row Bottom (the lowest).
struct PeakColumn {
  int Top = 0;
  int Bottom = 0;
  TracePen Pen = TracePen::Grey;
};

// The peaks of one channel in a strip of width x height pixels showing the view. The view's
// frames are shared out in order, each column standing for (ViewEnd - ViewStart + 1) / width of
// them; pens are the trace's. Empty where the trace is drawn instead: nothing to draw, a summary
// that does not fit the sound, or a view of fewer frames than the strip has columns.
std::vector<PeakColumn> PeakChannel(const TWave& wave, const PeakSummary& peaks, const ViewState& view,
                                    bool right, int width, int height);

// The column of the insert point, where paste and insert silence act, in a strip `width` pixels
// wide: the selection's start while the selection holds at most two frames; -1 for a wider
// selection or one out of view.
int InsertColumn(const ViewState& view, int width);
