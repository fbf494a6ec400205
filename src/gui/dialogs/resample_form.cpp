#include "gui/dialogs/resample_form.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int kCommonRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000};
constexpr int kProposedRate = 44100;

}  // namespace

TResampleForm::TResampleForm(QWidget* parent) : TToolForm(parent) {
  setObjectName(QStringLiteral("ResampleForm"));
  setWindowTitle(tr("Resample"));

  RateLabel = Named(new QLabel(tr("New sample rate:"), this), "RateLabel");
  RateComboBox = Named(new QComboBox(this), "RateComboBox");
  // Any other rate can be typed.
  RateComboBox->setEditable(true);
  RateComboBox->setInsertPolicy(QComboBox::NoInsert);
  for (int rate : kCommonRates) RateComboBox->addItem(QString::number(rate));
  RateComboBox->setCurrentText(QString::number(kProposedRate));
  QHBoxLayout* buttons = MakeButtonRow(this);

  auto* rate = new QHBoxLayout;
  rate->addWidget(RateLabel);
  rate->addWidget(RateComboBox);
  rate->addWidget(new QLabel(tr("Hz"), this));
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(rate);
  outer->addLayout(buttons);
  outer->setSizeConstraint(QLayout::SetFixedSize);
}
