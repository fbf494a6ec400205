#pragma once

#include "app/main_form_page.h"

class QCheckBox;
class QPushButton;

// The "View" page: the zoom commands and the spectrum window's check box.
class TViewPage final : public TMainFormPage {
  Q_OBJECT

 public:
  explicit TViewPage(TMainForm& form);

  QPushButton* ZoomBitBtn = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* AllButton = nullptr;
  QCheckBox* SpectrumCheckBox = nullptr;

 public slots:
  void ZoomBitBtnClick();
  void BitBtn1Click();
  void AllButtonClick();
  void SpectrumCheckBoxClick();
};
