#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "state/view_state.h"
#include "wave/wave_document.h"
#include "wave/wave_header.h"

class TWave;

// What one command changed, held as the other side of a swap: before Undo it holds the document
// as it was before the command, after Undo as it was after it, so one entry serves both ways.
struct UndoEntry {
  enum class Kind {
    Frames,  // Bytes: the bytes at Offset of an image whose size the command kept
    Rerun,   // nothing: Rerun, run on the document, brings back the other side
    Image,   // Bytes: a whole image with its Header
    Splice,  // Pieces: frames in the sound on one side only; Header and Bytes: the other side's
             // header and what followed its data
  };
  std::string Name;
  Kind How = Kind::Frames;
  std::vector<uint8_t> Bytes;
  TWaveHeader Header{};
  size_t Offset = 0;
  std::function<void(TWave&)> Rerun;
  std::vector<FramePiece> Pieces;
  ViewState View;

  uint64_t Size() const {
    uint64_t size = sizeof(UndoEntry) + Bytes.capacity() + Pieces.capacity() * sizeof(FramePiece);
    for (const FramePiece& piece : Pieces) size += piece.Bytes.capacity();
    return size;
  }
};

// The budget every history gets: 1 GiB or a quarter of the machine's memory, whichever is lower.
uint64_t DefaultUndoBudget();

// The undo and redo entries of one document within a budget of bytes held: the bytes held are
// always the sum of the entries' sizes. The oldest entries go first when a new one does not fit;
// a history without entries has none to drop.
class UndoHistory {
 public:
  explicit UndoHistory(uint64_t budget = DefaultUndoBudget()) : budget_(budget) {}

  uint64_t Budget() const { return budget_; }
  uint64_t Held() const { return held_; }
  // The sum of the entries' sizes measured afresh, which Held must always equal.
  uint64_t Measured() const;
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // The name of what Undo or Redo would do next; empty when there is none.
  std::string UndoName() const { return undo_.empty() ? std::string() : undo_.back().Name; }
  std::string RedoName() const { return redo_.empty() ? std::string() : redo_.back().Name; }

  // A fresh history: nothing to undo or redo.
  void Clear();
  // A new command's entry: the redo entries go, then the oldest until it fits and the depth
  // limit holds.
  void Push(UndoEntry entry);
  // A command whose entry would hold `bytes`, more than the whole budget, ran unrecorded: what
  // was before it cannot be reached either, so the history is cleared, and NotKept says so until
  // the next entry or Clear.
  void DropAll(const std::string& name, uint64_t bytes);
  // Why the last command could not be recorded ("Invert cannot be undone: it would keep 1400 MB,
  // over the undo budget of 1024 MB"); empty when it was.
  const std::string& NotKept() const { return notKept_; }

  // Before a command's copy of `size` bytes is made: the oldest undo entries go until one more
  // of that size fits the budget and the depth limit, so that the copy never stands beside an
  // entry it is about to push out. Redo entries stay: the command may yet be refused.
  void MakeRoom(uint64_t size);

  // At most `entries` undo entries from now on, the oldest dropped first: velorin-cli keeps no
  // more than its remaining undo commands can reach. With 0 there is nothing to record.
  void LimitDepth(size_t entries);
  size_t DepthLimit() const { return depthLimit_; }

  // Undo: `swap(entry)` exchanges the newest undo entry's side with the document's, and the entry
  // moves to the redo side. A swap changes what the entry holds, so it is measured again. Redo
  // the same the other way.
  void StepBack(const std::function<void(UndoEntry&)>& swap);
  void StepForward(const std::function<void(UndoEntry&)>& swap);

 private:
  void DropOldest();
  // The entry at the back of `from` swapped, measured again and moved to the back of `to`; the
  // oldest undo entries go while the history is over its budget.
  void Step(std::deque<UndoEntry>& from, std::deque<UndoEntry>& to, const std::function<void(UndoEntry&)>& swap);

  uint64_t budget_;
  uint64_t held_ = 0;
  std::deque<UndoEntry> undo_;
  std::deque<UndoEntry> redo_;
  std::string notKept_;
  size_t depthLimit_ = std::numeric_limits<size_t>::max();
};
