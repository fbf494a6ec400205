#pragma once

#include <string>

struct Session;

// The commands that change the sound's length, shared by the window and velorin-cli. Each acts
// on whole frames, both channels, whatever the channel flags say, and checks everything before
// it changes anything: a selection without a frame of the sound, an empty clipboard, a clip of
// another sample rate and a result larger than the editor holds are refused (InputRefused).
// Afterwards the view keeps its start, clipped to the new length.

inline constexpr const char* kNothingSelected = "The selection holds no frame of the sound.";
inline constexpr const char* kClipboardEmpty = "The clipboard is empty.";

// The selected frames within the sound, in the sound's format, into the program's clipboard.
void CopySelection(Session& session);
// The selected frames go; a two-frame selection starts where they were, as a click makes one.
void DeleteSelection(Session& session);
// Copy, then Delete.
void CutSelection(Session& session);
// Only the selected frames stay, all selected.
void CropToSelection(Session& session);
// The clipboard, in the document's channels and bits (the exact conversions), goes in before the
// selection's start (at the end when it lies past the end) and is selected.
void PasteClipboard(Session& session);
// `msText` milliseconds (a whole number, as the delay takes it) of silence before the selection's
// start, selected.
void InsertSilence(Session& session, const std::string& msText);
