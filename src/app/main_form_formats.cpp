// The "Wave data" page: sample rate, resolution, channels and CD format.

#include <QPushButton>

#include "app/main_form.h"
#include "processing/format_commands.h"

void TMainForm::ConnectFormatHandlers() {
  connect(DoubleSRButton, &QPushButton::clicked, this, &TMainForm::DoubleSRButtonClick);
  connect(HalveSRButton, &QPushButton::clicked, this, &TMainForm::HalveSRButtonClick);
  connect(bits16Button, &QPushButton::clicked, this, &TMainForm::bits16ButtonClick);
  connect(bits8Button, &QPushButton::clicked, this, &TMainForm::bits8ButtonClick);
  connect(StereoButton, &QPushButton::clicked, this, &TMainForm::StereoButtonClick);
  connect(MonoButton, &QPushButton::clicked, this, &TMainForm::MonoButtonClick);
  connect(CDFormatButton, &QPushButton::clicked, this, &TMainForm::CDFormatButtonClick);
}

void TMainForm::ConvertDocument(const std::function<void()>& conversion) {
  Guarded([&] {
    if (!wave_.Loaded()) return;
    conversion();
    RefreshAll();
    SelectAll();
  });
}

void TMainForm::DoubleSRButtonClick() {
  ConvertDocument([this] { ConvertFormat(wave_, view_, FormatConversion::DoubleRate); });
}

void TMainForm::HalveSRButtonClick() {
  ConvertDocument([this] { ConvertFormat(wave_, view_, FormatConversion::HalveRate); });
}

void TMainForm::bits16ButtonClick() {
  ConvertDocument([this] { ConvertFormat(wave_, view_, FormatConversion::To16Bit); });
}

void TMainForm::bits8ButtonClick() {
  ConvertDocument([this] { ConvertFormat(wave_, view_, FormatConversion::To8Bit); });
}

void TMainForm::StereoButtonClick() {
  ConvertDocument([this] { ConvertFormat(wave_, view_, FormatConversion::ToStereo); });
}

void TMainForm::MonoButtonClick() {
  ConvertDocument([this] { ConvertFormat(wave_, view_, FormatConversion::ToMono); });
}

void TMainForm::CDFormatButtonClick() {
  ConvertDocument([this] { ConvertToCDFormat(wave_, view_); });
}
