#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "processing/engine_frame.h"

namespace {

class Log final : public Progress {
 public:
  void SetProgress(int percent) override { Steps.push_back("gauge " + std::to_string(percent)); }
  std::vector<std::string> Steps;
};

TEST(EngineFrame, EachFrameShowsTheGaugeThenItsOwnStepThenLeftBeforeRight) {
  Log log;
  const Selection sel{99, 101, true, true};
  WalkFrames(
      sel.SelStart, sel.SelEnd, sel, log, PassShare::SecondHalf,
      [&](int64_t i, bool right) { log.Steps.push_back(std::to_string(i) + (right ? " R" : " L")); },
      [&](int64_t i) { log.Steps.push_back("frame " + std::to_string(i)); });
  EXPECT_EQ(log.Steps, (std::vector<std::string>{"frame 99", "99 L", "99 R", "gauge 75", "frame 100",
                                                 "100 L", "100 R", "frame 101", "101 L", "101 R"}));
}

TEST(EngineFrame, OnlyTheFlaggedChannelsAndNoFrameOfAnEmptySelection) {
  Log log;
  auto visit = [&](int64_t i, bool right) { log.Steps.push_back(std::to_string(i) + (right ? " R" : " L")); };
  WalkSelectionOnce({-1, 0, false, true}, log, visit);
  // Frame 0 is a whole hundred; -1 is not.
  EXPECT_EQ(log.Steps, (std::vector<std::string>{"-1 R", "gauge 100", "0 R", "gauge 0"}));

  log.Steps.clear();
  WalkSelectionOnce({5, 4, true, true}, log, visit);
  EXPECT_EQ(log.Steps, std::vector<std::string>{"gauge 0"});
}

}  // namespace
