#include "gui/pages/main_form_wave_data.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QComboBox>
#include <QPushButton>

#include "gui/control_factory.h"
#include "gui/main_form.h"
#include "processing/format_commands.h"
#include "processing/resample.h"
#include "gui/dialogs/resample_form.h"

TWaveDataPage::TWaveDataPage(TMainForm& form) : TMainFormPage(form, "WaveTabSheet") {
  QBoxLayout* row = AddGroup("SampleRateGroupBox", tr("Convert samplerate"));
  DoubleSRButton = MakeButton(GroupOf(row), row, "DoubleSRButton", tr("Dou&ble"));
  // This hint is set but was never shown as a tool tip.
  SetHint(DoubleSRButton, tr("Doubles the samplerate; larger file, higher quality"), false);
  HalveSRButton = MakeButton(GroupOf(row), row, "HalveSRButton", tr("&Halve"),
                             tr("Halves the sampling rate; smaller file, lower quality"));
  ResampleButton = MakeButton(GroupOf(row), row, "ResampleButton", tr("Res&ample…"),
                              tr("Resamples the whole sound to any rate, in very high quality"));
  row = AddGroup("ResolutionGroupBox", tr("Convert amplitude resolution"));
  floatButton = MakeButton(GroupOf(row), row, "floatButton", tr("&Float"),
                           tr("Converts to 32 bit floating-point samples, which never clip while you edit"));
  bits24Button = MakeButton(GroupOf(row), row, "bits24Button", tr("&24 bits"),
                            tr("Converts to 24 bit amplitude resolution; larger file, higher quality"));
  bits16Button = MakeButton(GroupOf(row), row, "bits16Button", tr("&16 bits"),
                            tr("Converts to 16 bit amplitude resolution; larger file, higher quality"));
  bits8Button = MakeButton(GroupOf(row), row, "bits8Button", tr("&8 bits"),
                           tr("Converts to 8 bit amplitude resolution; smaller file, lower quality"));
  // Ten buttons share the page's width: those with short captions give up some of their room
  // when the window is at its narrowest, so that every caption shows whole.
  for (QPushButton* button : {DoubleSRButton, HalveSRButton}) button->setMinimumWidth(64);
  for (QPushButton* button : {floatButton, bits24Button, bits16Button, bits8Button}) button->setMinimumWidth(56);
  row = AddGroup("ChannelsGroupBox", tr("Convert to stereo/mono"));
  StereoButton = MakeButton(GroupOf(row), row, "StereoButton", tr("Stere&o"), tr("Converts to stereo"));
  MonoButton = MakeButton(GroupOf(row), row, "MonoButton", tr("&Mono"), tr("Converts to mono"));
  row = AddGroup("SpecialGroupBox", tr("Special"));
  CDFormatButton = MakeButton(GroupOf(row), row, "CDFormatButton", tr("&CD format"), tr("Converts to CD format"));
  EndPage();

  connect(DoubleSRButton, &QPushButton::clicked, this, &TWaveDataPage::DoubleSRButtonClick);
  connect(HalveSRButton, &QPushButton::clicked, this, &TWaveDataPage::HalveSRButtonClick);
  connect(floatButton, &QPushButton::clicked, this, &TWaveDataPage::floatButtonClick);
  connect(bits24Button, &QPushButton::clicked, this, &TWaveDataPage::bits24ButtonClick);
  connect(bits16Button, &QPushButton::clicked, this, &TWaveDataPage::bits16ButtonClick);
  connect(bits8Button, &QPushButton::clicked, this, &TWaveDataPage::bits8ButtonClick);
  connect(StereoButton, &QPushButton::clicked, this, &TWaveDataPage::StereoButtonClick);
  connect(MonoButton, &QPushButton::clicked, this, &TWaveDataPage::MonoButtonClick);
  connect(CDFormatButton, &QPushButton::clicked, this, &TWaveDataPage::CDFormatButtonClick);
  connect(ResampleButton, &QPushButton::clicked, this, &TWaveDataPage::ResampleButtonClick);
}

template <class Command>
void TWaveDataPage::Convert(CommandId id, const QString& name, Command&& command) {
  form_.RunWithDocument([&] { form_.Recorded(id, name, command); });
}

void TWaveDataPage::Convert(FormatConversion conversion, CommandId id, const QString& name) {
  Convert(id, name, [&] { ConvertFormat(form_.Document(), conversion); });
}

void TWaveDataPage::DoubleSRButtonClick() { Convert(FormatConversion::DoubleRate, CommandId::DoubleRate, tr("Double samplerate")); }
void TWaveDataPage::HalveSRButtonClick() { Convert(FormatConversion::HalveRate, CommandId::HalveRate, tr("Halve samplerate")); }
void TWaveDataPage::floatButtonClick() { Convert(FormatConversion::ToFloat, CommandId::ToFloat, tr("Float")); }
void TWaveDataPage::bits24ButtonClick() { Convert(FormatConversion::To24Bit, CommandId::To24Bit, tr("24 bits")); }
void TWaveDataPage::bits16ButtonClick() { Convert(FormatConversion::To16Bit, CommandId::To16Bit, tr("16 bits")); }
void TWaveDataPage::bits8ButtonClick() { Convert(FormatConversion::To8Bit, CommandId::To8Bit, tr("8 bits")); }
void TWaveDataPage::StereoButtonClick() { Convert(FormatConversion::ToStereo, CommandId::ToStereo, tr("Stereo")); }
void TWaveDataPage::MonoButtonClick() { Convert(FormatConversion::ToMono, CommandId::ToMono, tr("Mono")); }

void TWaveDataPage::CDFormatButtonClick() {
  Convert(CommandId::CDFormat, tr("CD format"), [this] { ConvertToCDFormat(form_.Document()); });
}

void TWaveDataPage::ResampleButtonClick() {
  if (form_.Wave().Loaded()) form_.ResampleForm->ShowCentredOn(form_);
}

// A rate the command refuses keeps the dialog open for a correction. The dialog is modeless, so
// the document may have gone while it was shown.
void TWaveDataPage::ResampleFormOK() {
  TResampleForm& dialog = *form_.ResampleForm;
  const std::string rate = dialog.RateComboBox->currentText().toStdString();
  // The rate the sound has already: nothing to do, and nothing to undo.
  if (form_.Wave().Loaded() && rate == std::to_string(form_.Wave().SampleRate())) {
    dialog.close();
    return;
  }
  Convert(CommandId::Resample, tr("Resample"), [&] {
    ResampleSound(form_.Document(), *form_.Gauge, rate);
    dialog.close();
  });
}
