#include "gui/pages/main_form_view.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include "gui/control_factory.h"
#include "gui/main_form.h"
#include "processing/undo_commands.h"
#include "gui/dialogs/spectrum_form.h"
#include "gui/widgets/wave_strip_widget.h"

TViewPage::TViewPage(TMainForm& form) : TMainFormPage(form, "ViewTabSheet") {
  QBoxLayout* row = AddGroup("ZoomGroupBox", tr("Zoom"));
  ZoomBitBtn = MakeButton(GroupOf(row), row, "ZoomBitBtn", tr("Selectio&n"), tr("Zooms in selection"));
  BitBtn1 = MakeButton(GroupOf(row), row, "BitBtn1", tr("&Out"), tr("Zooms out"));
  AllButton = MakeButton(GroupOf(row), row, "AllButton", tr("&All"), tr("Zooms all"));
  row = AddGroup("WindowsGroupBox", tr("Windows"));
  SpectrumCheckBox = new QCheckBox(tr("Spe&ctrum"), GroupOf(row));
  SpectrumCheckBox->setObjectName(QStringLiteral("SpectrumCheckBox"));
  SetHint(SpectrumCheckBox, tr("Shows spectrum window"));
  row->addWidget(SpectrumCheckBox);
  row = AddGroup("StripsGroupBox", tr("Strips"));
  PeaksCheckBox = new QCheckBox(tr("Pea&ks"), GroupOf(row));
  PeaksCheckBox->setObjectName(QStringLiteral("PeaksCheckBox"));
  SetHint(PeaksCheckBox, tr("Shows the lowest and highest sample under each column"));
  row->addWidget(PeaksCheckBox);
  EndPage();

  connect(ZoomBitBtn, &QPushButton::clicked, this, &TViewPage::ZoomBitBtnClick);
  connect(BitBtn1, &QPushButton::clicked, this, &TViewPage::BitBtn1Click);
  connect(AllButton, &QPushButton::clicked, this, &TViewPage::AllButtonClick);
  connect(SpectrumCheckBox, &QCheckBox::clicked, this, &TViewPage::SpectrumCheckBoxClick);
  connect(PeaksCheckBox, &QCheckBox::clicked, this, &TViewPage::PeaksCheckBoxClick);
}

void TViewPage::ZoomBitBtnClick() {
  form_.RunWithDocument([this] { ZoomToSelection(form_.View()); });
}

void TViewPage::BitBtn1Click() {
  form_.RunWithDocument([this] { ZoomOut(form_.View(), form_.Wave()); });
}

// Select all redraws once on its own; the view follows the new selection before the last one.
void TViewPage::AllButtonClick() {
  form_.RunWithDocument([this] {
    form_.SelectAll();
    ZoomToSelection(form_.View());
  });
}

// The box cannot stay checked without a sound to analyse. With one, the click flips the window,
// which computes the spectrum as it is painted.
void TViewPage::SpectrumCheckBoxClick() {
  if (!form_.Wave().Loaded()) {
    SpectrumCheckBox->setChecked(false);
    return;
  }
  TSpectrumForm& window = *form_.SpectrumForm;
  window.setVisible(!window.isVisible());
}

void TViewPage::PeaksCheckBoxClick() {
  const bool on = PeaksCheckBox->isChecked();
  if (on) peaks_.Build(form_.Wave());
  for (TWaveStrip* strip : {form_.LPaintBox, form_.RPaintBox}) strip->ShowPeaks(on ? &peaks_ : nullptr);
  form_.DrawWaves();
}

void TViewPage::SoundChanged(const UndoRecord* record) {
  if (!PeaksCheckBox->isChecked()) return;
  if (!record || !record->InPlace()) {
    peaks_.Build(form_.Wave());
  } else {
    peaks_.Update(form_.Wave(), record->First, record->Last);
  }
}
