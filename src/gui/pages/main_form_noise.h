#pragma once

#include "gui/pages/main_form_page.h"

class QPushButton;

// The "Noise and signals" page: adding noise, the noise gate and the signal generator.
class TNoisePage final : public TMainFormPage {
  Q_OBJECT

 public:
  explicit TNoisePage(TMainForm& form);

  QPushButton* AddNoiseButton = nullptr;
  QPushButton* RemoveNoiseButton = nullptr;
  QPushButton* SignalGeneratorButton = nullptr;

 public slots:
  void AddNoiseButtonClick();
  void RemoveNoiseButtonClick();
  void SignalGeneratorButtonClick();

 public:
  // OK in the signal generator dialog.
  void SignalGeneratorFormOK();
};
