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

 private:
  // Save as the Save button does it; false when the dialog was cancelled.
  bool SaveWave();
};
