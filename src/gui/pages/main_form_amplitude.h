#pragma once

#include "gui/pages/main_form_page.h"

class QLabel;
class QPushButton;
class QSpinBox;

// The "Amplitude tools" page: mute, normalize, remove DC, the fades and windows.
class TAmplitudePage final : public TMainFormPage {
  Q_OBJECT

 public:
  explicit TAmplitudePage(TMainForm& form);

  QPushButton* MuteButton = nullptr;
  QPushButton* NormalizeButton = nullptr;
  QSpinBox* NormalizeUpDown = nullptr;
  QLabel* NormalizeLabel = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* FadeInButton = nullptr;
  QPushButton* FadeOutButton = nullptr;
  QPushButton* InvertButton = nullptr;
  QPushButton* HanningButton = nullptr;
  QPushButton* LoudnessButton = nullptr;

 public slots:
  void MuteButtonClick();
  void NormalizeButtonClick();
  void NormalizeUpDownClick();
  void Button1Click();
  void FadeInButtonClick();
  void FadeOutButtonClick();
  void HanningButtonClick();
  void InvertButtonClick();
  void LoudnessButtonClick();

 public:
  // Normalize in the loudness dialog.
  void LoudnessFormOK();

 private:
  // The dialog's figures for the sound as it is now.
  void MeasureIntoForm();
};
