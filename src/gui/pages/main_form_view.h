#pragma once

#include "gui/pages/main_form_page.h"
#include "analysis/peak_summary.h"

class QCheckBox;
class QPushButton;
struct UndoRecord;

// The "View" page: the zoom commands, the spectrum window's check box, and whether the strips
// show peaks, with the summary they read.
class TViewPage final : public TMainFormPage {
  Q_OBJECT

 public:
  explicit TViewPage(TMainForm& form);

  QPushButton* ZoomBitBtn = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* AllButton = nullptr;
  QCheckBox* SpectrumCheckBox = nullptr;
  QCheckBox* PeaksCheckBox = nullptr;

  // The summary follows the sound only while the strips read it; checking the box builds it
  // afresh.
  void SoundChanged(const UndoRecord* record);

 public slots:
  void ZoomBitBtnClick();
  void BitBtn1Click();
  void AllButtonClick();
  void SpectrumCheckBoxClick();
  void PeaksCheckBoxClick();

 private:
  PeakSummary peaks_;
};
