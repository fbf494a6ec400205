#pragma once

#include "state/change_mark.h"
#include "state/program_state.h"
#include "state/undo_history.h"
#include "state/view_state.h"
#include "wave/wave_document.h"

// Everything a command works on: the one document, what is selected and shown of it, and the
// program-wide state. The window owns one, each velorin-cli run owns one.
struct Session {
  TWave Wave;
  ViewState View;
  ProgramState Program;
  // Set while the sound comes from a New that wrote no file and was never saved: nothing on disk
  // stands behind its name, so Reload builds it again instead of reading a file of that name.
  bool NewInMemory = false;
  // What the commands changed since the sound was opened, made or recorded.
  UndoHistory Undo;
  // Whether the sound differs from the file last opened or saved.
  ChangeMark Changes;
};
