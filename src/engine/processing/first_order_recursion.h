#pragma once

#include <cstdint>

#include "state/progress.h"
#include "state/selection.h"

// The recursion that every first-order filter runs, y(n) = Direct(x(n), x(n−1)) + Feedback·y(n−1),
// built once per sample layout in a file of its own (first_order_recursion_<layout>.cpp): the
// chains of each layout are a lot of code, and apart they compile side by side.

// Where one recursion works: step i of its loop makes output frame i + Shift from the stored
// output of the frame before, and the gauge shows (i − first step) / GaugeSpan.
struct Recursion {
  int64_t FirstOutput = 0;
  int64_t LastOutput = 0;
  int Shift = 0;
  int64_t GaugeSpan = 0;
  // The input taken as x(n−1) for the first output frame, per channel.
  double FirstInput[2] = {0.0, 0.0};
};

// Each recursion forms y(n) = Direct(x(n), x(n−1)) + Feedback·y(n−1), the sum in that order, with
// y(n−1) the value stored in the frame before.
template <class Direct>
struct Recurrence {
  Direct DirectPart;
  double Feedback;
  double OutputBound;
};
template <class Direct>
Recurrence(Direct, double, double) -> Recurrence<Direct>;

// The direct part of the filters with coefficients c0, c1 (d1 is the feedback).
struct FilterDirect {
  double C0;
  double C1;
  double operator()(double x, double xPrev) const { return C0 * x + C1 * xPrev; }
};

// The wall's: k·x(n−1).
struct WallDirect {
  double K;
  double operator()(double, double xPrev) const { return K * xPrev; }
};

// The recursion over walk.FirstOutput..walk.LastOutput of the checked channels.
template <class Samples, class Direct>
void RunRecursion(Samples& samples, const Selection& sel, Progress& progress, const Recursion& walk,
                  const Recurrence<Direct>& recurrence);
