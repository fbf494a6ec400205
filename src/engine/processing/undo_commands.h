#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "processing/engine_frame.h"

enum class CommandId : uint8_t;
struct Session;
class TWave;

// What a command may change, stated before it runs, and so what its undo entry keeps.
struct UndoRecord {
  enum class Kind {
    Frames,     // frames First..Last (inclusive, within the sound; none when Last < First) are copied
    Rerun,      // nothing is kept: Rerun, run on the sound, gives the old bytes back
    Image,      // a command that builds a new image: the old one is kept instead of freed
    Removal,    // the frames of Removed go, and only they are kept, with where they were
    Insertion,  // frames are inserted before frame First: only where and how many are kept
  };
  std::string Name = {};
  Kind How = Kind::Frames;
  int64_t First = 0;
  int64_t Last = -1;
  std::function<void(TWave&)> Rerun = {};
  std::vector<FrameSpan> Removed = {};

  // Whether the command changes bytes only within frames First..Last, the sound keeping its size.
  bool InPlace() const { return How == Kind::Frames || How == Kind::Rerun; }
};

// Whether the command changes the sound and is recorded for undo, as its entry in the command
// table says; the window's buttons and velorin-cli both go by it.
bool IsRecorded(CommandId command);
// The record of such a command run on the session as it stands now, with the arguments it takes
// in velorin-cli (the texts the window asks for, in the same order); named as velorin-cli names it.
UndoRecord RecordOf(CommandId command, const Session& session, std::span<const std::string> args = {});

// Runs `command` on the session with its undo entry recorded as `record` states. A command that
// throws after changing something still leaves its entry; one that changed nothing leaves none.
// An entry larger than the history's budget is not made: the history is cleared instead and says
// why; with a depth limit of 0 none is made either.
void RunRecorded(Session& session, const UndoRecord& record, const std::function<void()>& command);

// The last command undone, or the last undone command done again; the sound and the view change,
// the document stays the file it was last opened from or saved to. InputRefused "Nothing to undo"
// (with the reason when the last command could not be kept) or "Nothing to redo" when there is none.
void Undo(Session& session);
void Redo(Session& session);
