#pragma once

#include "gui/dialogs/tool_form.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

// The wall filter dialog: the wall's thickness and density, typed or taken from a predefined wall.
// OK hands over to the owner, which works out the mass and runs the filter; the dialog itself
// knows nothing of the document.
class TWallFilterForm final : public TToolForm {
  Q_OBJECT

 public:
  explicit TWallFilterForm(QWidget* parent = nullptr);

  QGroupBox* WallGroupBox = nullptr;
  QLabel* InfoLabel1 = nullptr;
  QLabel* InfoLabel2 = nullptr;
  QLabel* ThicknessLabel = nullptr;
  QLineEdit* WallThicknessEdit = nullptr;
  QLabel* ThicknessUnitLabel = nullptr;
  QLabel* DensityLabel = nullptr;
  QLineEdit* WallDensityEdit = nullptr;
  QLabel* DensityUnitLabel = nullptr;
  QComboBox* WallComboBox = nullptr;

 public slots:
  void WallComboBoxChange(int index);
};
