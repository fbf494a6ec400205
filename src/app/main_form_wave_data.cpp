#include "app/main_form_wave_data.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QPushButton>

#include "app/control_factory.h"
#include "app/main_form.h"
#include "processing/format_commands.h"

TWaveDataPage::TWaveDataPage(TMainForm& form) : TMainFormPage(form, "WaveTabSheet") {
  QBoxLayout* row = AddGroup("SampleRateGroupBox", tr("Convert samplerate"));
  DoubleSRButton = MakeButton(GroupOf(row), row, "DoubleSRButton", tr("Dou&ble"));
  // This hint is set but was never shown as a tool tip.
  SetHint(DoubleSRButton, tr("Doubles the samplerate; larger file, higher quality"), false);
  HalveSRButton = MakeButton(GroupOf(row), row, "HalveSRButton", tr("&Halve"),
                             tr("Halves the sampling rate; smaller file, lower quality"));
  row = AddGroup("ResolutionGroupBox", tr("Convert amplitude resolution"));
  bits16Button = MakeButton(GroupOf(row), row, "bits16Button", tr("&16 bits"),
                            tr("Converts to 16 bit amplitude resolution; larger file, higher quality"));
  bits8Button = MakeButton(GroupOf(row), row, "bits8Button", tr("&8 bits"),
                           tr("Converts to 8 bit amplitude resolution; smaller file, lower quality"));
  row = AddGroup("ChannelsGroupBox", tr("Convert to stereo/mono"));
  StereoButton = MakeButton(GroupOf(row), row, "StereoButton", tr("Stere&o"), tr("Converts to stereo"));
  MonoButton = MakeButton(GroupOf(row), row, "MonoButton", tr("&Mono"), tr("Converts to mono"));
  row = AddGroup("SpecialGroupBox", tr("Special"));
  CDFormatButton = MakeButton(GroupOf(row), row, "CDFormatButton", tr("&CD format"), tr("Converts to CD format"));
  EndPage();

  connect(DoubleSRButton, &QPushButton::clicked, this, &TWaveDataPage::DoubleSRButtonClick);
  connect(HalveSRButton, &QPushButton::clicked, this, &TWaveDataPage::HalveSRButtonClick);
  connect(bits16Button, &QPushButton::clicked, this, &TWaveDataPage::bits16ButtonClick);
  connect(bits8Button, &QPushButton::clicked, this, &TWaveDataPage::bits8ButtonClick);
  connect(StereoButton, &QPushButton::clicked, this, &TWaveDataPage::StereoButtonClick);
  connect(MonoButton, &QPushButton::clicked, this, &TWaveDataPage::MonoButtonClick);
  connect(CDFormatButton, &QPushButton::clicked, this, &TWaveDataPage::CDFormatButtonClick);
}

template <class Command>
void TWaveDataPage::Convert(const char* cliName, const QString& name, Command&& command) {
  form_.RunWithDocument([&] { form_.Recorded(cliName, name, command); });
}

void TWaveDataPage::Convert(FormatConversion conversion, const char* cliName, const QString& name) {
  Convert(cliName, name, [&] { ConvertFormat(form_.Document(), conversion); });
}

void TWaveDataPage::DoubleSRButtonClick() { Convert(FormatConversion::DoubleRate, "double-rate", tr("Double samplerate")); }
void TWaveDataPage::HalveSRButtonClick() { Convert(FormatConversion::HalveRate, "halve-rate", tr("Halve samplerate")); }
void TWaveDataPage::bits16ButtonClick() { Convert(FormatConversion::To16Bit, "to-16bit", tr("16 bits")); }
void TWaveDataPage::bits8ButtonClick() { Convert(FormatConversion::To8Bit, "to-8bit", tr("8 bits")); }
void TWaveDataPage::StereoButtonClick() { Convert(FormatConversion::ToStereo, "to-stereo", tr("Stereo")); }
void TWaveDataPage::MonoButtonClick() { Convert(FormatConversion::ToMono, "to-mono", tr("Mono")); }

void TWaveDataPage::CDFormatButtonClick() {
  Convert("cd-format", tr("CD format"), [this] { ConvertToCDFormat(form_.Document()); });
}
