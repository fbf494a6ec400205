#pragma once

#include <cstdint>
#include <limits>

// Whether the sound differs from the one last opened, made or saved. The sound's place in its
// history is counted: a command moves it one forward, Undo one back, Redo one forward, so the
// saved sound is the place where the last save left the count. A command done where the saved
// sound lay ahead, to be redone, drops the way there: no count reaches it again.
class ChangeMark {
 public:
  bool Changed() const { return place_ != saved_; }
  // Open, New, Reload, a recording: a sound just read is what is on disk.
  void Reset() { place_ = saved_ = 0; }
  void Saved() { saved_ = place_; }
  // A sound that no file holds yet, such as a recording, differs from every saved one until it is
  // saved, undo or not.
  void Unsaved() { saved_ = kUnreachable; }
  void Did() {
    if (saved_ > place_) saved_ = kUnreachable;
    ++place_;
  }
  void Undid() { --place_; }
  void Redid() { ++place_; }

 private:
  static constexpr int64_t kUnreachable = std::numeric_limits<int64_t>::min();
  int64_t place_ = 0;
  int64_t saved_ = 0;
};
