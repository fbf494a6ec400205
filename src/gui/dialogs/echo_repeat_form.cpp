#include "gui/dialogs/echo_repeat_form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const QString kDefaultPeriod = QStringLiteral("100");
const QString kDefaultAmplitude = QStringLiteral("50");
constexpr int kEditWidth = 60;


}  // namespace

TEchoRepeatForm::TEchoRepeatForm(QWidget* parent) : TToolForm(parent) {
  setObjectName(QStringLiteral("EchoRepeatForm"));
  setWindowTitle(tr("Echo repeat"));

  EchoGroupBox = Named(new QGroupBox(tr("Echo parameters"), this), "EchoGroupBox");
  InfoLabel1 =
      Named(new QLabel(tr("Echo repeat will apply a number of decaying echos. "), EchoGroupBox),
            "InfoLabel1");
  InfoLabel2 =
      Named(new QLabel(tr("Be aware that if echo amplitude is large, the number"), EchoGroupBox),
            "InfoLabel2");
  InfoLabel3 = Named(new QLabel(tr("of echos will also be large (maximum is 28)"), EchoGroupBox),
                     "InfoLabel3");
  PeriodLabel = Named(new QLabel(tr("Echo period: "), EchoGroupBox), "PeriodLabel");
  EchoPeriodEdit = Named(new QLineEdit(kDefaultPeriod, EchoGroupBox), "EchoPeriodEdit");
  PeriodUnitLabel = Named(new QLabel(tr("mS"), EchoGroupBox), "PeriodUnitLabel");
  AmplitudeLabel = Named(new QLabel(tr("Echo amplitude:"), EchoGroupBox), "AmplitudeLabel");
  EchoAmplitudeEdit = Named(new QLineEdit(kDefaultAmplitude, EchoGroupBox), "EchoAmplitudeEdit");
  AmplitudeUnitLabel = Named(new QLabel(tr("%"), EchoGroupBox), "AmplitudeUnitLabel");
  QHBoxLayout* buttons = MakeButtonRow(EchoGroupBox);

  for (QLineEdit* edit : {EchoPeriodEdit, EchoAmplitudeEdit}) edit->setFixedWidth(kEditWidth);

  auto* values = new QGridLayout;
  values->addWidget(PeriodLabel, 0, 0);
  values->addWidget(EchoPeriodEdit, 0, 1);
  values->addWidget(PeriodUnitLabel, 0, 2);
  values->addWidget(AmplitudeLabel, 1, 0);
  values->addWidget(EchoAmplitudeEdit, 1, 1);
  values->addWidget(AmplitudeUnitLabel, 1, 2);
  values->setColumnStretch(3, 1);
  // The three lines read as one paragraph.
  auto* info = new QVBoxLayout;
  info->setSpacing(0);
  for (QLabel* line : {InfoLabel1, InfoLabel2, InfoLabel3}) info->addWidget(line);
  auto* group = new QVBoxLayout(EchoGroupBox);
  group->addLayout(info);
  group->addLayout(values);
  group->addLayout(buttons);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(EchoGroupBox);
  outer->setSizeConstraint(QLayout::SetFixedSize);

}

void TEchoRepeatForm::ResetEchoPeriod() {
  EchoPeriodEdit->setText(kDefaultPeriod);
}

void TEchoRepeatForm::ResetEchoAmplitude() {
  EchoAmplitudeEdit->setText(kDefaultAmplitude);
}


void TEchoRepeatForm::showEvent(QShowEvent* event) {
  setWindowTitle(tr("Echo Repeat"));
  TToolForm::showEvent(event);
}
