#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "state/view_state.h"
#include "views/time_ruler.h"

namespace {

constexpr int kWidth = 761;
constexpr int kChar = 6;

TEST(TimeRulerTest, StepsGrowWithTheViewAndLabelsReadMinutesPastAMinute) {
  for (const auto& [seconds, step] : std::vector<std::tuple<double, double>>{
           {600, 60}, {30, 1}, {0.01, 0.001}, {7200, 600}, {1e-4, 1e-5}}) {
    EXPECT_DOUBLE_EQ(RulerStep(seconds, seconds, kWidth, kChar), step) << seconds;
  }
  for (const auto& [seconds, step, label] : std::vector<std::tuple<double, double, std::string>>{
           {65, 1, "1:05"}, {65.5, 0.5, "1:05.5"}, {119.99999, 1, "2:00"}, {0.25, 0.05, "0.25"}, {3, 2, "3"}}) {
    EXPECT_EQ(RulerLabel(seconds, step), label) << seconds;
  }
}

TEST(TimeRulerTest, TicksSitAtTheStripsColumnsAndLabelsNeverOverlap) {
  ViewState view;
  view.ViewEnd = 44099;  // one second at 44100 Hz: a tick every 50 ms, 0.5 s at column 380
  const std::vector<RulerTick> second = RulerTicks(view, 44100, kWidth, kChar);
  ASSERT_EQ(second.size(), 20u);
  EXPECT_EQ(std::make_tuple(second[0].X, second[0].Label), std::make_tuple(0, std::string("0.00")));
  EXPECT_EQ(std::make_tuple(second[10].X, second[10].Label), std::make_tuple(380, std::string("0.50")));
  for (const auto& [start, end] : std::vector<std::tuple<int32_t, int32_t>>{
           {0, 1}, {1000, 1099}, {0, 26459999}, {26000000, 26459999}, {5, 44104}}) {
    view.ViewStart = start;
    view.ViewEnd = end;
    const std::vector<RulerTick> ticks = RulerTicks(view, 44100, kWidth, kChar);
    EXPECT_GE(ticks.size(), 2u) << start << ".." << end;
    for (size_t i = 1; i < ticks.size(); ++i)
      EXPECT_GE(ticks[i].X - ticks[i - 1].X, static_cast<int>(ticks[i - 1].Label.size() + 1) * kChar)
          << start << ".." << end << " " << ticks[i].Label;
  }
}

}  // namespace
