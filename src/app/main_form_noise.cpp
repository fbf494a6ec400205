#include "app/main_form_noise.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QPushButton>

#include "app/control_factory.h"

TNoisePage::TNoisePage(TMainForm& form) : TMainFormPage(form, "NoiseTabSheet") {
  QBoxLayout* row = AddGroup("NoiseGroupBox", tr("Noise options"));
  AddNoiseButton = MakeButton(GroupOf(row), row, "AddNoiseButton", tr("&Add"), tr("Adds noise"));
  RemoveNoiseButton = MakeButton(GroupOf(row), row, "RemoveNoiseButton", tr("&Gate"), tr("Noise gate"));
  row = AddGroup("SignalsGroupBox", tr("Signals"));
  SignalGeneratorButton = MakeButton(GroupOf(row), row, "SignalGeneratorButton", tr("&Generator"));
  EndPage();
}
