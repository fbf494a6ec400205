#pragma once

#include "gui/dialogs/tool_form.h"

class QComboBox;
class QLabel;

// The resample dialog: the rate to resample the whole sound to, picked from the common rates or
// typed. OK hands over to the owner, which resamples; the dialog knows nothing of the document.
class TResampleForm final : public TToolForm {
  Q_OBJECT

 public:
  explicit TResampleForm(QWidget* parent = nullptr);

  QLabel* RateLabel = nullptr;
  QComboBox* RateComboBox = nullptr;
};
