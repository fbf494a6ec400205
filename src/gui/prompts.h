#pragma once

#include <QString>

// The answers to "save the changes first?".
enum class SaveChoice { Save, Discard, Cancel };

// Every modal question and message of the editor goes through this interface, so that the window
// can be driven by tests without anyone at the keyboard. Filters are in Qt's form,
// "Wave files (*.wav)".
class Prompts {
 public:
  virtual ~Prompts() = default;

  // An input box with an editable line; `text` comes in as the proposal and goes out as typed.
  // False when cancelled (then `text` is left as it was).
  virtual bool InputQuery(const QString& caption, const QString& prompt, QString& text) = 0;
  // A message with one OK button, for refused input ("Error. Aborting operation.").
  virtual void ShowInformation(const QString& text) = 0;
  // A confirmation with Yes and No; true for Yes.
  virtual bool AskYesNo(const QString& text) = 0;
  // Before a changed sound is dropped: Save, Discard or Cancel.
  virtual SaveChoice AskSaveChanges(const QString& text) = 0;
  // The message of a failed command.
  virtual void ShowError(const QString& text) = 0;
  // The file-open dialog, opening in `directory` when one is given (otherwise where the last file
  // dialog was confirmed); false when cancelled.
  virtual bool OpenFileName(const QString& filter, QString& fileName, const QString& directory = QString()) = 0;
  // The file-save dialog: adds ".wav" to a name typed without extension and asks before
  // overwriting an existing file; false when cancelled. A `fileName` given on the way in is
  // proposed, the dialog starting in its folder.
  virtual bool SaveFileName(const QString& filter, QString& fileName) = 0;
};
