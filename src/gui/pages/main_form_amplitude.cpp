#include "gui/pages/main_form_amplitude.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/control_factory.h"
#include "gui/main_form.h"
#include "processing/amplitude_tools.h"
#include "gui/dialogs/loudness_form.h"
#include "analysis/loudness.h"
#include "gui/widgets/spectrum_widget.h"

TAmplitudePage::TAmplitudePage(TMainForm& form) : TMainFormPage(form, "AmplitudeTabSheet") {
  QBoxLayout* row = AddGroup("VolumeGroupBox", tr("Volume"));
  MuteButton = MakeButton(GroupOf(row), row, "MuteButton", tr("&Mute"), tr("Mutes selection"));
  NormalizeButton = MakeButton(GroupOf(row), row, "NormalizeButton", tr("&Normalize"),
                               tr("Peak normalization of the selection"));
  // Arrows only: the label beside them is the read-out.
  auto* normalizeUpDown = new TUpDown(GroupOf(row));
  // A level is most often chosen in tens.
  normalizeUpDown->SetWheelStep(10);
  NormalizeUpDown = normalizeUpDown;
  NormalizeUpDown->setObjectName(QStringLiteral("NormalizeUpDown"));
  NormalizeUpDown->setRange(kMinNormalizeLevel, kMaxNormalizeLevel);
  NormalizeUpDown->setValue(100);
  NormalizeUpDown->setFixedSize(17, 25);
  SetHint(NormalizeUpDown, tr("Normalization level"));
  row->addWidget(NormalizeUpDown);
  NormalizeLabel = MakeLabel(GroupOf(row), "NormalizeLabel", QStringLiteral("100 %"));
  row->addWidget(NormalizeLabel);
  Button1 = MakeButton(GroupOf(row), row, "Button1", tr("Remove D&C"), tr("Remove DC offset"));
  row = AddGroup("FadeGroupBox", tr("Windows"));
  FadeInButton = MakeButton(GroupOf(row), row, "FadeInButton", tr("Fade &in"), tr("Fades in the selection"));
  FadeOutButton = MakeButton(GroupOf(row), row, "FadeOutButton", tr("Fade &out"), tr("Fades out the selection"));
  InvertButton = MakeButton(GroupOf(row), row, "InvertButton", tr("In&vert"), tr("Inverts the selection"));
  HanningButton = MakeButton(GroupOf(row), row, "HanningButton", tr("&Hanning"),
                             tr("Applies a Hanning window to the selection"));
  row = AddGroup("LoudnessGroupBox", tr("Loudness"));
  LoudnessButton = MakeButton(GroupOf(row), row, "LoudnessButton", tr("Lo&udness…"),
                              tr("Measures the loudness of the sound (EBU R128) and normalizes it"));
  EndPage();

  connect(MuteButton, &QPushButton::clicked, this, &TAmplitudePage::MuteButtonClick);
  connect(NormalizeButton, &QPushButton::clicked, this, &TAmplitudePage::NormalizeButtonClick);
  connect(NormalizeUpDown, &QSpinBox::valueChanged, this, &TAmplitudePage::NormalizeUpDownClick);
  connect(Button1, &QPushButton::clicked, this, &TAmplitudePage::Button1Click);
  connect(FadeInButton, &QPushButton::clicked, this, &TAmplitudePage::FadeInButtonClick);
  connect(FadeOutButton, &QPushButton::clicked, this, &TAmplitudePage::FadeOutButtonClick);
  connect(HanningButton, &QPushButton::clicked, this, &TAmplitudePage::HanningButtonClick);
  connect(InvertButton, &QPushButton::clicked, this, &TAmplitudePage::InvertButtonClick);
  connect(LoudnessButton, &QPushButton::clicked, this, &TAmplitudePage::LoudnessButtonClick);
}

namespace {

// The same routine with its kind of window fixed.
auto Window(WindowKind kind) {
  return [kind](TWave& wave, const Selection& sel, Progress& gauge) { ApplyWindow(wave, sel, gauge, kind); };
}

}  // namespace

void TAmplitudePage::MuteButtonClick() { form_.RunOnSelection(CommandId::Mute, tr("Mute"), MuteSelection); }

void TAmplitudePage::NormalizeButtonClick() {
  form_.RunOnSelection(CommandId::Normalize, tr("Normalize"), [this](TWave& wave, const Selection& sel, Progress& gauge) {
    NormalizeSelection(wave, sel, gauge, NormalizeUpDown->value());
  });
}

void TAmplitudePage::NormalizeUpDownClick() {
  NormalizeLabel->setText(QString::number(NormalizeUpDown->value()) + QStringLiteral(" %"));
}

void TAmplitudePage::Button1Click() { form_.RunOnSelection(CommandId::RemoveDC, tr("Remove DC"), RemoveDCOffset); }
void TAmplitudePage::FadeInButtonClick() { form_.RunOnSelection(CommandId::FadeIn, tr("Fade in"), Window(WindowKind::FadeIn)); }
void TAmplitudePage::FadeOutButtonClick() { form_.RunOnSelection(CommandId::FadeOut, tr("Fade out"), Window(WindowKind::FadeOut)); }
void TAmplitudePage::HanningButtonClick() { form_.RunOnSelection(CommandId::Hanning, tr("Hanning"), Window(WindowKind::Hanning)); }
void TAmplitudePage::InvertButtonClick() { form_.RunOnSelection(CommandId::Invert, tr("Invert"), Window(WindowKind::Invert)); }

void TAmplitudePage::MeasureIntoForm() {
  form_.LoudnessForm->ShowFigures(MeasureLoudness(form_.Wave(), *form_.Gauge));
}

void TAmplitudePage::LoudnessButtonClick() {
  form_.RunWithDocument([this] {
    MeasureIntoForm();
    form_.LoudnessForm->ShowCentredOn(form_);
  });
}

// The dialog stays open with the figures the sound now has. It is modeless, so the document may
// have gone while it was shown.
void TAmplitudePage::LoudnessFormOK() {
  TLoudnessForm& dialog = *form_.LoudnessForm;
  form_.RunWithDocument([&] {
    TWave& wave = form_.Wave();
    LoudnessGain gain;
    form_.Recorded(CommandId::NormalizeLoudness, tr("Normalize loudness"), [&] {
      gain = NormalizeLoudness(wave, *form_.Gauge, dialog.TargetEdit->text().toStdString(),
                               dialog.CeilingEdit->text().toStdString());
    });
    MeasureIntoForm();
    if (gain.Limited) form_.Ask().ShowInformation(QString::fromStdString(LimitedGainText(gain)));
  });
}
