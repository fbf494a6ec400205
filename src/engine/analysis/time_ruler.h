#pragma once

#include <string>
#include <vector>

struct ViewState;

// One tick of the time ruler over the strips: its column and its label.
struct RulerTick {
  int X = 0;
  std::string Label;
};

// The ruler's step in seconds for a view of `seconds` across `width` columns: the smallest of
// 1, 2 and 5 times a power of ten (15 and 30 s, then whole minutes, past 10 s) whose labels, each
// `charPixels` wide a character and a gap of two characters apart, never overlap.
double RulerStep(double seconds, double lastSecond, int width, int charPixels);

// A tick's label: seconds with as many decimals as the step needs, min:sec from a minute on.
std::string RulerLabel(double seconds, double step);

// The labelled ticks over a strip `width` columns wide that shows the view of a sound at `rate`
// frames a second, at the columns the strips map those times to. None for a view of no width.
std::vector<RulerTick> RulerTicks(const ViewState& view, double rate, int width, int charPixels);
