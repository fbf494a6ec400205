#include "app/main_form_effects.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QPushButton>

#include "app/control_factory.h"
#include "app/main_form.h"
#include "processing/amplitude_tools.h"

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
}

void TEffectsPage::ReverseButtonClick() { form_.RunOnSelection(ReverseSelection); }
