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

 public slots:
  void NewBitBtnClick();
  void OpenBitBtnClick();
  void SaveBitBtnClick();
  void ExitButtonClick();
};
