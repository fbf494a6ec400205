// The amplitude tools: the "Volume" and "Windows" groups, and Reverse on the "Effects" page.

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "app/gauge.h"
#include "app/main_form.h"
#include "processing/amplitude_tools.h"

void TMainForm::ConnectToolHandlers() {
  connect(MuteButton, &QPushButton::clicked, this, &TMainForm::MuteButtonClick);
  connect(NormalizeButton, &QPushButton::clicked, this, &TMainForm::NormalizeButtonClick);
  connect(NormalizeUpDown, &QSpinBox::valueChanged, this, &TMainForm::NormalizeUpDownClick);
  connect(Button1, &QPushButton::clicked, this, &TMainForm::Button1Click);
  connect(FadeInButton, &QPushButton::clicked, this, &TMainForm::FadeInButtonClick);
  connect(FadeOutButton, &QPushButton::clicked, this, &TMainForm::FadeOutButtonClick);
  connect(HanningButton, &QPushButton::clicked, this, &TMainForm::HanningButtonClick);
  connect(InvertButton, &QPushButton::clicked, this, &TMainForm::InvertButtonClick);
  connect(ReverseButton, &QPushButton::clicked, this, &TMainForm::ReverseButtonClick);
}

void TMainForm::MuteButtonClick() {
  RunWithDocument([this] { MuteSelection(wave_, view_.Sel, *Gauge); });
}

void TMainForm::NormalizeButtonClick() {
  RunWithDocument([this] { NormalizeSelection(wave_, view_.Sel, *Gauge, NormalizeUpDown->value()); });
}

void TMainForm::NormalizeUpDownClick() {
  NormalizeLabel->setText(QString::number(NormalizeUpDown->value()) + QStringLiteral(" %"));
}

void TMainForm::Button1Click() {
  RunWithDocument([this] { RemoveDCOffset(wave_, view_.Sel, *Gauge); });
}

void TMainForm::FadeInButtonClick() {
  RunWithDocument([this] { ApplyWindow(wave_, view_.Sel, *Gauge, WindowKind::FadeIn); });
}

void TMainForm::FadeOutButtonClick() {
  RunWithDocument([this] { ApplyWindow(wave_, view_.Sel, *Gauge, WindowKind::FadeOut); });
}

void TMainForm::HanningButtonClick() {
  RunWithDocument([this] { ApplyWindow(wave_, view_.Sel, *Gauge, WindowKind::Hanning); });
}

void TMainForm::InvertButtonClick() {
  RunWithDocument([this] { ApplyWindow(wave_, view_.Sel, *Gauge, WindowKind::Invert); });
}

void TMainForm::ReverseButtonClick() {
  RunWithDocument([this] { ReverseSelection(wave_, view_.Sel, *Gauge); });
}
