#pragma once

#include "gui/dialogs/tool_form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// The signal generator dialog: a sine or square wave, its frequency and amplitude. OK hands over
// to the owner, which checks the values and adds the signal; the dialog knows nothing of the
// document.
class TSignalGeneratorForm final : public TToolForm {
  Q_OBJECT

 public:
  explicit TSignalGeneratorForm(QWidget* parent = nullptr);

  QGroupBox* OptionsGroupBox = nullptr;
  QRadioButton* SinusRadioButton = nullptr;
  QRadioButton* SquareRadioButton = nullptr;
  QLabel* f0Label = nullptr;
  QLineEdit* f0Edit = nullptr;
  QLabel* f0UnitLabel = nullptr;
  QLabel* AmplitudeLabel = nullptr;
  QLineEdit* AmplitudeEdit = nullptr;
  QLabel* AmplitudeUnitLabel = nullptr;
};
