#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Session;

// The document commands that the window and velorin-cli share, each whole: the checks, the
// change of document, and the view and selection it leaves (the whole sound shown and all
// selected). Each leaves the session and every file as they were when it throws. An empty file
// name is refused (CommandError), since a document without a name counts as none.

// Open: `fileName` becomes the document; a missing name gives the silent sound of the last New
// length (0 s until New sets one), and nothing is written.
void OpenDocument(Session& session, const std::string& fileName);
// Open of a file already read whole: `image`, the content of `fileName`, becomes the document as
// OpenDocument would make it from that file.
void OpenDocumentImage(Session& session, const std::string& fileName, std::vector<uint8_t> image);
// Open of `fileName` followed by keeping frames selStart..selEnd (Crop), reading only those:
// the session ends as the two would leave it with nothing to undo. False, with nothing changed,
// where they would not end so (a missing file, no frame of the sound selected): the caller then
// runs them one after the other.
bool OpenCropped(Session& session, const std::string& fileName, int32_t selStart, int32_t selEnd);

// New's length as typed: a number with "." as separator (CommandError otherwise) that
// IsNewWaveLength accepts (InputRefused naming the range, NewWaveLengthRange, otherwise).
double ParseNewWaveLength(const std::string& text);

// New: a silent 8-bit mono 11025 Hz sound of `seconds`, which become the New length, written to
// `fileName` (replacing a file of that name only once the new one is complete) and opened from
// there.
void NewDocument(Session& session, const std::string& fileName, double seconds);

// New without a file on disk: the silent sound is named `name` and opened as it stands.
void NewDocumentInMemory(Session& session, const std::string& name, double seconds);

// Save: writes the sound to `fileName` and opens it again from there.
void SaveDocument(Session& session, const std::string& fileName);

// Reload: drops every change since the sound was opened, made or saved, by opening its file
// again, or by making a New sound that has no file again.
void ReloadDocument(Session& session);

// After an open: "NAME ends early: the header promises 30.00 s, 0.57 s are present." where the
// file held less than its header promised; empty otherwise.
std::string EndsEarlyNotice(const Session& session);
