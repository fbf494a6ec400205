#include "state/undo_history.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <utility>

uint64_t DefaultUndoBudget() {
  constexpr uint64_t kOneGiB = uint64_t{1} << 30;
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return kOneGiB;
  return std::min(kOneGiB, static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 4);
}

uint64_t UndoHistory::Measured() const {
  uint64_t sum = 0;
  for (const std::deque<UndoEntry>* side : {&undo_, &redo_}) {
    for (const UndoEntry& entry : *side) sum += entry.Size();
  }
  return sum;
}

void UndoHistory::Clear() {
  undo_.clear();
  redo_.clear();
  held_ = 0;
  notKept_.clear();
}

void UndoHistory::Push(UndoEntry entry) {
  for (const UndoEntry& dropped : redo_) held_ -= dropped.Size();
  redo_.clear();
  const uint64_t size = entry.Size();
  if (size > budget_) {
    DropAll(entry.Name, size);
    return;
  }
  while (!undo_.empty() && held_ + size > budget_) DropOldest();
  held_ += size;
  undo_.push_back(std::move(entry));
  LimitDepth(depthLimit_);
  notKept_.clear();
}

void UndoHistory::LimitDepth(size_t entries) {
  depthLimit_ = entries;
  while (undo_.size() > depthLimit_) DropOldest();
}

void UndoHistory::MakeRoom(uint64_t size) {
  while (!undo_.empty() && (undo_.size() >= depthLimit_ || held_ + size > budget_)) DropOldest();
}

void UndoHistory::DropOldest() {
  held_ -= undo_.front().Size();
  undo_.pop_front();
}

void UndoHistory::DropAll(const std::string& name, uint64_t bytes) {
  Clear();
  constexpr uint64_t kMB = uint64_t{1} << 20;
  std::string command = name.empty() ? std::string("The last command") : name;
  command[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(command[0])));
  // Rounded so that the entry never reads as fitting the budget.
  notKept_ = command + " cannot be undone: it would keep " + std::to_string((bytes + kMB - 1) / kMB) +
             " MB, over the undo budget of " + std::to_string(budget_ / kMB) + " MB";
}

void UndoHistory::StepBack(const std::function<void(UndoEntry&)>& swap) { Step(undo_, redo_, swap); }

void UndoHistory::StepForward(const std::function<void(UndoEntry&)>& swap) { Step(redo_, undo_, swap); }

void UndoHistory::Step(std::deque<UndoEntry>& from, std::deque<UndoEntry>& to,
                       const std::function<void(UndoEntry&)>& swap) {
  UndoEntry& entry = from.back();
  held_ -= entry.Size();
  try {
    swap(entry);
  } catch (...) {
    held_ += entry.Size();
    throw;
  }
  held_ += entry.Size();
  to.push_back(std::move(entry));
  from.pop_back();
  // An entry that took a larger side than it gave may leave the history over its budget: older
  // entries go, never the one just stepped over.
  const size_t kept = &to == &undo_ ? 1 : 0;
  while (held_ > budget_ && undo_.size() > kept) DropOldest();
}
