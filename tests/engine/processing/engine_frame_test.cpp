#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "processing/engine_frame.h"

namespace {

class Log final : public Progress {
 public:
  void SetProgress(int percent) override { Steps.push_back("gauge " + std::to_string(percent)); }
  std::vector<std::string> Steps;
};

}  // namespace

// A walk that passes over frames outside the sound must move the gauge exactly as a walk that
// visits them, and the widest selection must cost no more than its few frames inside.
TEST(EngineFrame, PassingOverFramesMovesTheGaugeAsVisitingThemWould) {
  for (const auto& [first, last] : {std::pair<int64_t, int64_t>{-123456, 98765}, {-1, 100}, {250, 250}, {7, 150000}}) {
    for (const PassShare share : {PassShare::Whole, PassShare::FirstHalf, PassShare::SecondHalf}) {
      Log visited, passed;
      for (int64_t frame = first; frame <= last; ++frame)
        if (frame % 100 == 0 && last != first) visited.SetProgress(ShareValue(frame - first, last - first, share));
      WalkBusyRuns(first, last, {FrameSpan{first + 1000, first + 1001}}, passed, share, [](int64_t, int64_t) {});
      // Settings of the value already shown are not part of what the gauge shows.
      std::vector<std::string> shown;
      for (const std::string& step : visited.Steps)
        if (shown.empty() || shown.back() != step) shown.push_back(step);
      EXPECT_EQ(passed.Steps, shown) << first << ".." << last;
    }
  }
  Log widest;
  int visits = 0;
  WalkBusyRuns(INT32_MIN, INT32_MAX, {FrameSpan{0, 1000}}, widest, PassShare::Whole,
               [&](int64_t, int64_t) { ++visits; });
  EXPECT_EQ(visits, 10);
  EXPECT_EQ(widest.Steps.size(), 101u);
}
