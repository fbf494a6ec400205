#include "gui/dialogs/loudness_form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/loudness.h"

namespace {

constexpr int kEditWidth = 60;

// One line of a grid: caption, value, unit.
template <class Value>
Value* AddRow(QGridLayout* grid, QWidget* box, const QString& caption, Value* value, const QString& unit) {
  const int row = grid->rowCount();
  grid->addWidget(new QLabel(caption, box), row, 0);
  grid->addWidget(value, row, 1);
  grid->addWidget(new QLabel(unit, box), row, 2);
  return value;
}

}  // namespace

TLoudnessForm::TLoudnessForm(QWidget* parent) : TToolForm(parent) {
  setObjectName(QStringLiteral("LoudnessForm"));
  setWindowTitle(tr("Loudness"));

  MeasuredGroupBox = Named(new QGroupBox(tr("Loudness of the sound (EBU R128)"), this), "MeasuredGroupBox");
  auto* measured = new QGridLayout(MeasuredGroupBox);
  const auto figure = [&](const char* name) { return Named(new QLabel(MeasuredGroupBox), name); };
  IntegratedLabel = AddRow(measured, MeasuredGroupBox, tr("Integrated:"), figure("IntegratedLabel"), tr("LUFS"));
  RangeLabel = AddRow(measured, MeasuredGroupBox, tr("Range:"), figure("RangeLabel"), tr("LU"));
  SamplePeakLabel = AddRow(measured, MeasuredGroupBox, tr("Sample peak:"), figure("SamplePeakLabel"), tr("dBFS"));
  TruePeakLabel = AddRow(measured, MeasuredGroupBox, tr("True peak:"), figure("TruePeakLabel"), tr("dBTP"));
  for (QLabel* label : {IntegratedLabel, RangeLabel, SamplePeakLabel, TruePeakLabel})
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  measured->setColumnStretch(3, 1);

  NormalizeGroupBox = Named(new QGroupBox(tr("Normalize to"), this), "NormalizeGroupBox");
  auto* goal = new QGridLayout;
  TargetEdit = AddRow(goal, NormalizeGroupBox, tr("Target:"),
                      Named(new QLineEdit(QStringLiteral("-23"), NormalizeGroupBox), "TargetEdit"), tr("LUFS"));
  CeilingEdit = AddRow(goal, NormalizeGroupBox, tr("True-peak ceiling:"),
                       Named(new QLineEdit(QStringLiteral("-1"), NormalizeGroupBox), "CeilingEdit"), tr("dBTP"));
  for (QLineEdit* edit : {TargetEdit, CeilingEdit}) edit->setFixedWidth(kEditWidth);
  goal->setColumnStretch(3, 1);
  QHBoxLayout* buttons = MakeButtonRow(NormalizeGroupBox);
  OKButton->setText(tr("&Normalize"));
  CancelButton->setText(tr("&Close"));
  auto* group = new QVBoxLayout(NormalizeGroupBox);
  group->addLayout(goal);
  group->addLayout(buttons);

  auto* outer = new QVBoxLayout(this);
  outer->addWidget(MeasuredGroupBox);
  outer->addWidget(NormalizeGroupBox);
  outer->setSizeConstraint(QLayout::SetFixedSize);
}

void TLoudnessForm::ShowFigures(const LoudnessFigures& figures) {
  IntegratedLabel->setText(QString::fromStdString(DecibelText(figures.Integrated)));
  RangeLabel->setText(QString::fromStdString(DecibelText(figures.Range)));
  SamplePeakLabel->setText(QString::fromStdString(DecibelText(figures.SamplePeak)));
  TruePeakLabel->setText(QString::fromStdString(DecibelText(figures.TruePeak)));
}
