#pragma once

#include "gui/pages/main_form_page.h"

class QPushButton;

// The "Effects" page: the delay effects, Reverse and the wall filter.
class TEffectsPage final : public TMainFormPage {
  Q_OBJECT

 public:
  explicit TEffectsPage(TMainForm& form);

  QPushButton* DelayButton = nullptr;
  QPushButton* TapDelayButton = nullptr;
  QPushButton* EchoRepeatButton = nullptr;
  QPushButton* StereoExpandButton = nullptr;
  QPushButton* ReverseButton = nullptr;
  QPushButton* WallButton = nullptr;

 public slots:
  void DelayButtonClick();
  void TapDelayButtonClick();
  void EchoRepeatButtonClick();
  void StereoExpandButtonClick();
  void ReverseButtonClick();
  void WallButtonClick();

 public:
  // OK in the echo repeat dialog.
  void EchoRepeatFormOK();
  // OK in the wall filter dialog.
  void WallFilterFormOK();

 private:
  // The delay input box of Delay and Echo; false when cancelled.
  bool AskDelay(std::string& delayText);
};
