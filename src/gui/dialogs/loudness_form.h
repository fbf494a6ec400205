#pragma once

#include "gui/dialogs/tool_form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
struct LoudnessFigures;

// The loudness dialog: the sound's integrated loudness, loudness range, sample peak and true peak,
// and the target and true-peak ceiling that Normalize (its OK) takes the sound to. The owner
// measures and normalizes; the dialog knows nothing of the document.
class TLoudnessForm final : public TToolForm {
  Q_OBJECT

 public:
  explicit TLoudnessForm(QWidget* parent = nullptr);

  void ShowFigures(const LoudnessFigures& figures);

  QGroupBox* MeasuredGroupBox = nullptr;
  QLabel* IntegratedLabel = nullptr;
  QLabel* RangeLabel = nullptr;
  QLabel* SamplePeakLabel = nullptr;
  QLabel* TruePeakLabel = nullptr;
  QGroupBox* NormalizeGroupBox = nullptr;
  QLineEdit* TargetEdit = nullptr;
  QLineEdit* CeilingEdit = nullptr;
};
