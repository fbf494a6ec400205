#include "analysis/time_ruler.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "state/view_state.h"

namespace {

constexpr int kGapChars = 2;
constexpr double kLongSteps[] = {15, 30, 60, 120, 300, 600, 900, 1800, 3600};

int Decimals(double step) { return std::max(0, static_cast<int>(std::ceil(-std::log10(step) - 1e-9))); }

// The steps from the finest a frame's time can need, in order.
template <class Take>
void EachStep(Take&& take) {
  for (double power = 1e-6; power < 10; power *= 10)
    for (const double factor : {1.0, 2.0, 5.0})
      if (take(power * factor)) return;
  for (const double step : kLongSteps)
    if (take(step)) return;
  for (double step = 7200;; step *= 2)
    if (take(step)) return;
}

}  // namespace

std::string RulerLabel(double seconds, double step) {
  const int decimals = Decimals(step);
  char text[64];
  if (seconds < 60) {
    std::snprintf(text, sizeof text, "%.*f", decimals, seconds);
  } else {
    // Rounded first, so that a time a hair below a minute's end never reads "1:60".
    const double scale = std::pow(10.0, decimals);
    seconds = std::round(seconds * scale) / scale;
    const double minutes = std::floor(seconds / 60);
    const double rest = seconds - minutes * 60;
    // The seconds take two digits before the point, "1:05".
    std::snprintf(text, sizeof text, "%.0f:%0*.*f", minutes, decimals > 0 ? decimals + 3 : 2, decimals, rest);
  }
  return text;
}

double RulerStep(double seconds, double lastSecond, int width, int charPixels) {
  double chosen = 0;
  EachStep([&](double step) {
    const double pixels = seconds > 0 ? step / seconds * (width - 1) : 0;
    const auto chars = static_cast<double>(RulerLabel(lastSecond, step).size() + kGapChars);
    chosen = step;
    return pixels >= chars * charPixels;
  });
  return chosen;
}

std::vector<RulerTick> RulerTicks(const ViewState& view, double rate, int width, int charPixels) {
  std::vector<RulerTick> ticks;
  const double span = static_cast<double>(view.ViewEnd) - view.ViewStart;
  if (span <= 0 || rate <= 0 || width < 2) return ticks;
  const double first = view.ViewStart / rate;
  const double last = view.ViewEnd / rate;
  const double step = RulerStep(span / rate, last, width, charPixels);
  for (double n = std::ceil(first / step - 1e-9); n * step <= last + 1e-9; ++n) {
    double seconds = n * step;
    if (seconds == 0) seconds = 0;  // never "-0.00"
    const auto x = static_cast<int>(std::lround((seconds * rate - view.ViewStart) * (width - 1) / span));
    if (x >= 0 && x < width) ticks.push_back({x, RulerLabel(seconds, step)});
  }
  return ticks;
}
