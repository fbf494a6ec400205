#include "gui/pages/main_form_noise.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "gui/control_factory.h"
#include "gui/main_form.h"
#include "processing/noise_signals.h"
#include "gui/dialogs/signal_generator_form.h"

TNoisePage::TNoisePage(TMainForm& form) : TMainFormPage(form, "NoiseTabSheet") {
  QBoxLayout* row = AddGroup("NoiseGroupBox", tr("Noise options"));
  AddNoiseButton = MakeButton(GroupOf(row), row, "AddNoiseButton", tr("&Add"), tr("Adds noise"));
  RemoveNoiseButton = MakeButton(GroupOf(row), row, "RemoveNoiseButton", tr("&Gate"), tr("Noise gate"));
  row = AddGroup("SignalsGroupBox", tr("Signals"));
  SignalGeneratorButton = MakeButton(GroupOf(row), row, "SignalGeneratorButton", tr("Ge&nerator"));
  EndPage();

  connect(AddNoiseButton, &QPushButton::clicked, this, &TNoisePage::AddNoiseButtonClick);
  connect(RemoveNoiseButton, &QPushButton::clicked, this, &TNoisePage::RemoveNoiseButtonClick);
  connect(SignalGeneratorButton, &QPushButton::clicked, this, &TNoisePage::SignalGeneratorButtonClick);
}

// The noise continues the program's one random sequence, so it is the same after every start.
void TNoisePage::AddNoiseButtonClick() {
  form_.RunWithDocument([this] {
    std::string level;
    if (!AskText(tr("Add noise"), tr("Specify noise level [%]"), QStringLiteral("25"), level)) return;
    form_.Recorded(CommandId::AddNoise, tr("Add noise"), [&] {
      AddNoiseCommand(form_.Wave(), form_.View().Sel, *form_.Gauge, form_.Document().Program.Random, level);
    });
  });
}

void TNoisePage::RemoveNoiseButtonClick() {
  form_.RunWithDocument([this] {
    std::string level;
    if (!AskText(tr("Remove noise"), tr("Specify noise level gate [%]"), QStringLiteral("5"), level)) return;
    form_.Recorded(CommandId::Gate, tr("Remove noise"), [&] { NoiseGateCommand(form_.Wave(), form_.View().Sel, *form_.Gauge, level); });
  });
}

void TNoisePage::SignalGeneratorButtonClick() {
  if (form_.Wave().Loaded()) form_.SignalGeneratorForm->ShowCentredOn(form_);
}

// Refused values keep the dialog open for a correction; accepted ones close it before the signal
// is added. The dialog is modeless, so the document may have gone while it was shown.
void TNoisePage::SignalGeneratorFormOK() {
  TSignalGeneratorForm& dialog = *form_.SignalGeneratorForm;
  form_.RunWithDocument([&] {
    const SignalKind kind = dialog.SquareRadioButton->isChecked() ? SignalKind::Square : SignalKind::Sine;
    const SignalPlan plan =
        PlanSignal(kind, dialog.f0Edit->text().toStdString(), dialog.AmplitudeEdit->text().toStdString());
    dialog.close();
    form_.Recorded(kind == SignalKind::Square ? CommandId::Square : CommandId::Sine, tr("Signal"), [&] { GenerateSignal(form_.Wave(), form_.View().Sel, *form_.Gauge, plan); });
  });
}
