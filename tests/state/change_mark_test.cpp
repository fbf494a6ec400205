#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "state/change_mark.h"

namespace {

// Steps: d a command, u Undo, r Redo, s Save, o a fresh open.
TEST(ChangeMarkTest, FollowsCommandsUndoRedoAndSaves) {
  const std::vector<std::pair<std::string, bool>> table = {
      {"", false},   {"d", true},    {"du", false},    {"dur", true},  {"ds", false},  {"dsu", true},
      {"dsur", false}, {"dsud", true}, {"dsudu", true}, {"dusr", true}, {"ddo", false},
  };
  for (const auto& [steps, changed] : table) {
    SCOPED_TRACE(steps);
    ChangeMark mark;
    for (const char step : steps) {
      switch (step) {
        case 'd': mark.Did(); break;
        case 'u': mark.Undid(); break;
        case 'r': mark.Redid(); break;
        case 's': mark.Saved(); break;
        default: mark.Reset(); break;
      }
    }
    EXPECT_EQ(mark.Changed(), changed);
  }
}

}  // namespace
