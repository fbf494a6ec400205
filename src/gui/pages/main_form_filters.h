#pragma once

#include "gui/pages/main_form_page.h"
#include "processing/linear_filters.h"

class QLineEdit;
class QPushButton;

// The "Linear filters" page: the RC filters and the custom IIR filter with its files.
class TFiltersPage final : public TMainFormPage {
  Q_OBJECT

 public:
  explicit TFiltersPage(TMainForm& form);

  QPushButton* LowPassButton = nullptr;
  QPushButton* HighPassButton = nullptr;
  QPushButton* ApplyIIRButton = nullptr;
  QLineEdit* c0Edit = nullptr;
  QLineEdit* c1Edit = nullptr;
  QLineEdit* d1Edit = nullptr;
  QPushButton* OpenIIRButton = nullptr;
  QPushButton* SaveIIRButton = nullptr;

 public slots:
  void LowPassButtonClick();
  void HighPassButtonClick();
  void ApplyIIRButtonClick();
  void SaveIIRButtonClick();
  void OpenIIRButtonClick();

 private:
  void RCFilterClick(FilterKind kind, const QString& caption);
  IIRTexts EditTexts() const;
  QLineEdit* AddCoefficientEdit(QBoxLayout* row, const char* name, const QString& text, const QString& hint);
};
