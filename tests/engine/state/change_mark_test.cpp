#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "state/change_mark.h"

namespace {

// Steps: d a command, u Undo, r Redo, s Save, o a fresh open.
TEST(ChangeMarkTest, FollowsCommandsUndoRedoAndSaves) {
  for (const auto& [steps, changed] : std::vector<std::pair<std::string, bool>>{
           {"", false}, {"d", true}, {"du", false}, {"dur", true}, {"ds", false}, {"dsu", true},
           {"dsur", false}, {"dsud", true}, {"dsudu", true}, {"dusr", true}, {"ddo", false}}) {
    ChangeMark mark;
    for (const char step : steps) {
      if (step == 'd') mark.Did();
      if (step == 'u') mark.Undid();
      if (step == 'r') mark.Redid();
      if (step == 's') mark.Saved();
      if (step == 'o') mark.Reset();
    }
    EXPECT_EQ(mark.Changed(), changed) << steps;
  }
}

}  // namespace
