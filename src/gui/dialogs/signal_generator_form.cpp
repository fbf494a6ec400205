#include "gui/dialogs/signal_generator_form.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kEditWidth = 60;
// What a common title bar takes beside its caption: the window's icon and its buttons.
constexpr int kTitleBarRoom = 160;

}  // namespace

TSignalGeneratorForm::TSignalGeneratorForm(QWidget* parent) : TToolForm(parent) {
  setObjectName(QStringLiteral("SignalGeneratorForm"));
  setWindowTitle(tr("Signal generator"));

  OptionsGroupBox = Named(new QGroupBox(tr("Options"), this), "OptionsGroupBox");
  // Siblings in one group box, so Qt keeps exactly one of them checked.
  SinusRadioButton = Named(new QRadioButton(tr("&Sinus"), OptionsGroupBox), "SinusRadioButton");
  SquareRadioButton = Named(new QRadioButton(tr("S&quare"), OptionsGroupBox), "SquareRadioButton");
  f0Label = Named(new QLabel(tr("f0 = "), OptionsGroupBox), "f0Label");
  f0Edit = Named(new QLineEdit(QStringLiteral("1000"), OptionsGroupBox), "f0Edit");
  f0UnitLabel = Named(new QLabel(tr("Hz"), OptionsGroupBox), "f0UnitLabel");
  AmplitudeLabel = Named(new QLabel(tr("Amplitude:"), OptionsGroupBox), "AmplitudeLabel");
  AmplitudeEdit = Named(new QLineEdit(QStringLiteral("50"), OptionsGroupBox), "AmplitudeEdit");
  AmplitudeUnitLabel = Named(new QLabel(tr("%"), OptionsGroupBox), "AmplitudeUnitLabel");
  QHBoxLayout* buttons = MakeButtonRow(OptionsGroupBox);

  SinusRadioButton->setChecked(true);
  for (QLineEdit* edit : {f0Edit, AmplitudeEdit}) edit->setFixedWidth(kEditWidth);

  auto* values = new QGridLayout;
  values->addWidget(SinusRadioButton, 0, 0, 1, 3, Qt::AlignLeft);
  values->addWidget(SquareRadioButton, 1, 0, 1, 3, Qt::AlignLeft);
  values->addWidget(f0Label, 2, 0);
  values->addWidget(f0Edit, 2, 1);
  values->addWidget(f0UnitLabel, 2, 2);
  values->addWidget(AmplitudeLabel, 3, 0);
  values->addWidget(AmplitudeEdit, 3, 1);
  values->addWidget(AmplitudeUnitLabel, 3, 2);
  values->setColumnStretch(3, 1);
  auto* group = new QVBoxLayout(OptionsGroupBox);
  group->addLayout(values);
  group->addSpacing(8);
  group->addLayout(buttons);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(OptionsGroupBox);
  outer->setSizeConstraint(QLayout::SetFixedSize);
  // The controls alone make a window narrower than its caption in the title bar, which is drawn
  // in the desktop's font, often bold, rather than the dialog's.
  QFont titleFont = QApplication::font();
  titleFont.setBold(true);
  // The layout fixes the window's size to what its box asks for.
  OptionsGroupBox->setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + kTitleBarRoom);
}

