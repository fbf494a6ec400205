#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct Session;
struct Selection;
class TWave;

// What a command may change, stated before it runs: frames First..Last of the sound (inclusive,
// within it; none when Last < First), or the whole image for a command that rebuilds it. A
// command that undoes itself when run again names that run as Inverse, and its frames are not
// kept.
struct UndoRecord {
  std::string Name;
  bool WholeImage = false;
  int64_t First = 0;
  int64_t Last = -1;
  std::function<void(TWave&)> Inverse = nullptr;
};

// Frames first..last clipped to the sound.
UndoRecord FramesRecord(std::string name, const TWave& wave, int64_t first, int64_t last);
// The selection clipped to the sound: what every routine that writes only there may change.
UndoRecord SelectionRecord(std::string name, const TWave& wave, const Selection& sel);
// A command that builds a new image: the old one is kept instead of freed, no copy is made.
UndoRecord WholeImageRecord(std::string name);
// Delay: the selection, and as many frames from its start as the delay is long, which a pure
// delay silences also past the selection's end. A delay that does not parse writes nothing.
UndoRecord DelayRecord(std::string name, const Session& session, const std::string& delayText);
// Reverse of frames all inside the sound puts every code back when run again; one that reaches
// past the sound silences frames, and its frames are kept.
UndoRecord ReverseRecord(std::string name, const Session& session);
// Stereo expand rebuilds a mono sound and changes a stereo one in place, all of it.
UndoRecord StereoExpandRecord(std::string name, const Session& session);

// Runs `command` on the session with its undo entry recorded as `record` states. A command that
// throws after changing something still leaves its entry; one that changed nothing leaves none.
// An entry larger than the history's budget is not made: the history is cleared instead; with
// a depth limit of 0 none is made either.
void RunRecorded(Session& session, const UndoRecord& record, const std::function<void()>& command);

// The last command undone, or the last undone command done again; InputRefused "Nothing to undo"
// or "Nothing to redo" when there is none.
void Undo(Session& session);
void Redo(Session& session);
