#pragma once

#include "gui/pages/main_form_page.h"

class QPushButton;

// The "File" page: New, Open and Save of the document, and Exit.
class TFilePage final : public TMainFormPage {
  Q_OBJECT

 public:
  explicit TFilePage(TMainForm& form);

  QPushButton* NewBitBtn = nullptr;
  QPushButton* OpenBitBtn = nullptr;
  QPushButton* SaveBitBtn = nullptr;
  QPushButton* ExitButton = nullptr;

  // Before the sound is dropped: a changed one asks whether to save it first. True when the
  // command may go on (saved, discarded, or nothing changed); a failed save throws.
  bool SettleChanges();

 public slots:
  void NewBitBtnClick();
  void OpenBitBtnClick();
  void SaveBitBtnClick();
  void ExitButtonClick();
  // Ctrl+S: the sound to its own file without a dialog; a sound that has none yet (a recording)
  // asks for a name as Save does.
  void SaveInPlace();

 private:
  // Save as the Save button does it; false when the dialog was cancelled.
  bool SaveWave();
  // Whether the sound's file is its own: not the scratch file a recording lives in.
  bool HasOwnFile() const;
  // The folder a file dialog starts in: the document's, when it has a file of its own.
  QString DocumentFolder() const;
};
