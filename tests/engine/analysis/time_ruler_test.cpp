#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "state/view_state.h"
#include "analysis/time_ruler.h"

namespace {

TEST(TimeRulerTest, StepsGrowWithTheViewAndLabelsReadMinutesPastAMinute) {
  for (const auto& [seconds, step] : std::vector<std::tuple<double, double>>{
           {600, 60}, {30, 1}, {0.01, 0.001}, {7200, 600}, {1e-4, 1e-5}})
    EXPECT_DOUBLE_EQ(RulerStep(seconds, seconds, 761, 6), step) << seconds;
  for (const auto& [seconds, step, label] : std::vector<std::tuple<double, double, std::string>>{
           {65, 1, "1:05"}, {65.5, 0.5, "1:05.5"}, {119.99999, 1, "2:00"}, {0.25, 0.05, "0.25"}, {3, 2, "3"}})
    EXPECT_EQ(RulerLabel(seconds, step), label) << seconds;
}

// One second at 44100 Hz: a tick every 50 ms, 0.5 s at column 380. At any zoom the labels stand
// apart.
TEST(TimeRulerTest, TicksSitAtTheStripsColumnsAndLabelsNeverOverlap) {
  for (const auto& [start, end] : std::vector<std::tuple<int32_t, int32_t>>{
           {0, 44099}, {0, 1}, {1000, 1099}, {0, 26459999}, {26000000, 26459999}, {5, 44104}}) {
    ViewState view;
    view.ViewStart = start;
    view.ViewEnd = end;
    const std::vector<RulerTick> ticks = RulerTicks(view, 44100, 761, 6);
    ASSERT_GE(ticks.size(), 2u) << start << ".." << end;
    for (size_t i = 1; i < ticks.size(); ++i)
      EXPECT_GE(ticks[i].X - ticks[i - 1].X, static_cast<int>(ticks[i - 1].Label.size() + 1) * 6) << ticks[i].Label;
    if (end == 44099) {
      EXPECT_EQ(std::tie(ticks[0].Label, ticks[10].X, ticks[10].Label), std::make_tuple("0.00", 380, "0.50"));
    }
  }
}

}  // namespace
