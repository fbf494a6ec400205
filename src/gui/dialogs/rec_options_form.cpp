#include "gui/dialogs/rec_options_form.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include <initializer_list>

namespace {

constexpr int kClientWidth = 302;
constexpr int kClientHeight = 153;


// One radio button of a group: where the dialog keeps it, its name and caption.
struct Choice {
  QRadioButton*& button;
  const char* name;
  QString caption;
};

// A group of choices, one under the other, the first checked; being siblings, exactly one of
// them stays checked.
QGroupBox* MakeChoiceGroup(QWidget* parent, const char* name, const QString& caption,
                           std::initializer_list<Choice> choices) {
  auto* group = Named(new QGroupBox(caption, parent), name);
  auto* column = new QVBoxLayout(group);
  // Narrow margins, as in the main window's groups: the three sit side by side in a small window.
  column->setContentsMargins(6, 2, 6, 4);
  column->setSpacing(2);
  for (const Choice& choice : choices) {
    choice.button = Named(new QRadioButton(choice.caption, group), choice.name);
    column->addWidget(choice.button);
  }
  choices.begin()->button->setChecked(true);
  column->addStretch(1);
  return group;
}

}  // namespace

TRecOptionsForm::TRecOptionsForm(QWidget* parent) : TToolForm(parent) {
  setObjectName(QStringLiteral("RecOptionsForm"));
  setWindowTitle(tr("Recording options"));

  GroupBox1 = MakeChoiceGroup(this, "GroupBox1", tr("Samplerate"),
                              {{sr44RadioButton, "sr44RadioButton", tr("&44100 Hz")},
                               {sr22RadioButton, "sr22RadioButton", tr("&22050 Hz")},
                               {sr11RadioButton, "sr11RadioButton", tr("&11025 Hz")}});
  GroupBox2 = MakeChoiceGroup(this, "GroupBox2", tr("Resolution"),
                              {{r24RadioButton, "r24RadioButton", tr("&24 bit")},
                               {r16RadioButton, "r16RadioButton", tr("&16 bit")},
                               {r8RadioButton, "r8RadioButton", tr("&8 bit")}});
  // 16 bits stay what a recording takes unless told otherwise.
  r16RadioButton->setChecked(true);
  GroupBox3 = MakeChoiceGroup(this, "GroupBox3", tr("Mono/stereo"),
                              {{StereoRadioButton, "StereoRadioButton", tr("&Stereo")},
                               {MonoRadioButton, "MonoRadioButton", tr("&Mono")}});
  QHBoxLayout* buttons = MakeButtonRow(this);

  auto* groups = new QHBoxLayout;
  groups->setSpacing(6);
  for (QGroupBox* group : {GroupBox1, GroupBox2, GroupBox3}) groups->addWidget(group);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(8, 8, 8, 8);
  outer->addLayout(groups);
  outer->addLayout(buttons);
  setFixedSize(kClientWidth, kClientHeight);

}

uint16_t TRecOptionsForm::SampleRate() const {
  if (sr44RadioButton->isChecked()) return 44100;
  if (sr22RadioButton->isChecked()) return 22050;
  return 11025;
}

TBPS TRecOptionsForm::BitsPerSample() const {
  if (r24RadioButton->isChecked()) return TBPS::_24;
  return r16RadioButton->isChecked() ? TBPS::_16 : TBPS::_8;
}

TChannels TRecOptionsForm::Channels() const {
  return StereoRadioButton->isChecked() ? TChannels::Stereo : TChannels::Mono;
}

