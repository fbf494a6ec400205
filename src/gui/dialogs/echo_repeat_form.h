#pragma once

#include "gui/dialogs/tool_form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QShowEvent;

// The echo repeat dialog: the period and amplitude of a series of decaying echoes. OK hands over
// to the owner, which checks the values and runs the passes; the dialog knows nothing of the
// document.
class TEchoRepeatForm final : public TToolForm {
  Q_OBJECT

 public:
  explicit TEchoRepeatForm(QWidget* parent = nullptr);

  // Puts back the value the dialog starts with, after the owner refused what was typed.
  void ResetEchoPeriod();
  void ResetEchoAmplitude();

  QGroupBox* EchoGroupBox = nullptr;
  QLabel* InfoLabel1 = nullptr;
  QLabel* InfoLabel2 = nullptr;
  QLabel* InfoLabel3 = nullptr;
  QLabel* PeriodLabel = nullptr;
  QLineEdit* EchoPeriodEdit = nullptr;
  QLabel* PeriodUnitLabel = nullptr;
  QLabel* AmplitudeLabel = nullptr;
  QLineEdit* EchoAmplitudeEdit = nullptr;
  QLabel* AmplitudeUnitLabel = nullptr;

 protected:
  // The caption counts the passes while they run; a new showing starts afresh.
  void showEvent(QShowEvent* event) override;
};
