#pragma once

#include <cstdint>
#include <vector>

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
