#include "app/main_form_effects.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/control_factory.h"
#include "app/main_form.h"
#include "processing/amplitude_tools.h"
#include "processing/linear_filters.h"
#include "processing/wall_filter_form.h"

TEffectsPage::TEffectsPage(TMainForm& form) : TMainFormPage(form, "EffectsTabSheet") {
  QBoxLayout* row = AddGroup("DelayGroupBox", tr("Delay effects"));
  DelayButton = MakeButton(GroupOf(row), row, "DelayButton", tr("&Delay"), tr("Applies a delay to the selection"));
  TapDelayButton = MakeButton(GroupOf(row), row, "TapDelayButton", tr("&Echo"),
                              tr("Applies a tap delay (single echo) to the selection"));
  EchoRepeatButton = MakeButton(GroupOf(row), row, "EchoRepeatButton", tr("Echo &repeat"), tr("Repeated echo"));
  StereoExpandButton = MakeButton(GroupOf(row), row, "StereoExpandButton", tr("&Stereo expand"),
                                  tr("Expands the stereo image by using multiple delays"));
  row = AddGroup("MiscGroupBox", tr("Misc"));
  ReverseButton = MakeButton(GroupOf(row), row, "ReverseButton", tr("&Reverse"), tr("Reverses the selection"));
  WallButton = MakeButton(GroupOf(row), row, "WallButton", tr("&Wall"), tr("Apply wall filter"));
  EndPage();

  connect(ReverseButton, &QPushButton::clicked, this, &TEffectsPage::ReverseButtonClick);
  connect(WallButton, &QPushButton::clicked, this, &TEffectsPage::WallButtonClick);
}

void TEffectsPage::ReverseButtonClick() { form_.RunOnSelection(ReverseSelection); }

void TEffectsPage::WallButtonClick() {
  if (form_.Wave().Loaded()) form_.WallFilterForm->ShowCentredOn(form_);
}

// Input the filter cannot take keeps the dialog open for a correction. The dialog is modeless, so
// the document may have gone while it was shown.
void TEffectsPage::WallFilterFormOK() {
  TWallFilterForm& dialog = *form_.WallFilterForm;
  form_.Guarded([&] {
    const double mass = WallMass(dialog.WallThicknessEdit->text().toStdString(),
                                 dialog.WallDensityEdit->text().toStdString());
    dialog.close();
    form_.RunOnSelection([mass](TWave& wave, const Selection& sel, Progress& gauge) {
      ApplyWallFilter(wave, sel, gauge, mass);
    });
  });
}
