#include <gtest/gtest.h>

#include "state/undo_history.h"

namespace {

UndoEntry EntryOf(const char* name, size_t bytes) {
  UndoEntry entry;
  entry.Name = name;
  entry.Bytes.resize(bytes);
  entry.Bytes.shrink_to_fit();
  return entry;
}

// An undo or redo that swaps nothing.
void Back(UndoHistory& history) { history.StepBack([](UndoEntry&) {}); }
void Forward(UndoHistory& history) { history.StepForward([](UndoEntry&) {}); }

TEST(UndoHistory, KeepsWithinItsBudgetDroppingTheOldestFirst) {
  const uint64_t entry = EntryOf("", 1000).Size();
  UndoHistory history(3 * entry);
  for (const char* name : {"a", "b", "c", "d", "e"}) {
    history.Push(EntryOf(name, 1000));
    EXPECT_LE(history.Held(), history.Budget());
  }
  EXPECT_EQ(history.Held(), 3 * entry);
  for (const char* name : {"e", "d", "c"}) {
    ASSERT_TRUE(history.CanUndo());
    EXPECT_EQ(history.UndoName(), name);
    Back(history);
  }
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.RedoName(), "c");
  // A new entry drops what could be redone, and what it held.
  Forward(history);
  history.Push(EntryOf("f", 10));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.Held(), entry + EntryOf("", 10).Size());
  EXPECT_EQ(history.NotKept(), "");
}

TEST(UndoHistory, AnEntryLargerThanTheBudgetClearsItAndSaysSoUntilTheNext) {
  UndoHistory history(EntryOf("", 1000).Size());
  history.Push(EntryOf("small", 10));
  history.Push(EntryOf("large", 1001));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.Held(), 0u);
  EXPECT_EQ(history.NotKept(), "Large cannot be undone: it would keep 1 MB, over the undo budget of 0 MB");
  history.Push(EntryOf("next", 10));
  EXPECT_EQ(history.NotKept(), "");
}

TEST(UndoHistory, ADepthLimitKeepsTheNewestEntries) {
  UndoHistory history;
  for (const char* name : {"a", "b", "c"}) history.Push(EntryOf(name, 10));
  history.LimitDepth(2);
  Back(history);
  EXPECT_EQ(history.UndoName(), "b");
  Back(history);
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.Held(), 2 * EntryOf("", 10).Size());
  // Room for the next copy is made before it is taken: the limit and the budget already hold
  // with it, and what could be redone stays.
  Forward(history);
  Forward(history);
  history.MakeRoom(EntryOf("", 10).Size());
  EXPECT_EQ(history.UndoName(), "c");
  Back(history);
  EXPECT_FALSE(history.CanUndo());
}

// An undo swaps the entry's side with the document's, which may be larger or smaller: what is
// held follows, so that dropping the entries never runs past the last of them.
TEST(UndoHistory, HoldsWhatItsEntriesHoldAfterASwapChangedThem) {
  const uint64_t budget = EntryOf("", 1000).Size() + EntryOf("", 100).Size();
  for (const size_t swapped : {size_t{10}, size_t{1500}}) {
    UndoHistory history(budget);
    history.Push(EntryOf("old", 100));
    history.Push(EntryOf("paste", 1000));
    history.StepBack([&](UndoEntry& entry) { entry = EntryOf("paste", swapped); });
    EXPECT_EQ(history.Held(), EntryOf("", swapped).Size() + (swapped > 1000 ? 0 : EntryOf("", 100).Size()));
    history.Push(EntryOf("mute", 900));
    EXPECT_EQ(history.Held(), EntryOf("", 900).Size() + (swapped > 1000 ? 0 : EntryOf("", 100).Size()));
    EXPECT_EQ(history.UndoName(), "mute");
  }
}

TEST(UndoHistory, TheDefaultBudgetIsAtMostOneGiB) {
  EXPECT_GT(DefaultUndoBudget(), 0u);
  EXPECT_LE(DefaultUndoBudget(), uint64_t{1} << 30);
}

}  // namespace
