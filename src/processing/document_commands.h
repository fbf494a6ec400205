#pragma once

#include <string>

class TWave;
struct ViewState;

// The document commands that the window and velorin-cli share. Each leaves the document,
// the view and every file as they were when it throws.

// Open: `fileName` becomes the document (a missing name gives the silent sound of the length
// last given to SetNewWaveLength), shown whole and all selected.
void OpenDocument(TWave& wave, ViewState& state, const std::string& fileName);

// New's length as typed: a number with "." as separator (CommandError otherwise), from 0 up to
// the longest sound the editor holds (InputRefused "Error. Aborting operation." otherwise).
double ParseNewWaveLength(const std::string& text);

// New: a silent 8-bit mono 11025 Hz sound of `seconds`, written to `fileName` (replacing a
// file of that name only once the new one is complete) and opened from there.
void NewDocument(TWave& wave, ViewState& state, const std::string& fileName, double seconds);

// New without a file on disk: the silent sound is named `name` and opened as it stands.
void NewDocumentInMemory(TWave& wave, ViewState& state, const std::string& name, double seconds);

// Save: writes the sound to `fileName` and opens it again from there.
void SaveDocument(TWave& wave, ViewState& state, const std::string& fileName);
