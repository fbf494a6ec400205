#include "gui/dialogs/wall_filter_form.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <array>

namespace {

struct PredefinedWall {
  const char* name;
  const char* thicknessCm;
  const char* density;
};

constexpr std::array<PredefinedWall, 5> kWalls{{
    {QT_TRANSLATE_NOOP("TWallFilterForm", "Plank wall"), "2.5", "600"},
    {QT_TRANSLATE_NOOP("TWallFilterForm", "Single brick wall"), "10", "1000"},
    {QT_TRANSLATE_NOOP("TWallFilterForm", "Heavy concrete wall"), "20", "2400"},
    {QT_TRANSLATE_NOOP("TWallFilterForm", "Single glass window"), "0.4", "2600"},
    {QT_TRANSLATE_NOOP("TWallFilterForm", "Steel sheet"), "0.05", "7800"},
}};

constexpr int kEditWidth = 60;


}  // namespace

TWallFilterForm::TWallFilterForm(QWidget* parent) : TToolForm(parent) {
  setObjectName(QStringLiteral("WallFilterForm"));
  setWindowTitle(tr("Wall filter"));

  WallGroupBox = Named(new QGroupBox(tr("Wall parameters"), this), "WallGroupBox");
  InfoLabel1 = Named(new QLabel(tr("Wall filter uses a 1:st order approximate FDM"), WallGroupBox),
                     "InfoLabel1");
  InfoLabel2 = Named(new QLabel(tr("solution to the governing mass law equation."), WallGroupBox),
                     "InfoLabel2");
  ThicknessLabel = Named(new QLabel(tr("Wall thickness:"), WallGroupBox), "ThicknessLabel");
  WallThicknessEdit =
      Named(new QLineEdit(QStringLiteral("2.5"), WallGroupBox), "WallThicknessEdit");
  ThicknessUnitLabel = Named(new QLabel(tr("cm"), WallGroupBox), "ThicknessUnitLabel");
  DensityLabel = Named(new QLabel(tr("Wall density:"), WallGroupBox), "DensityLabel");
  WallDensityEdit = Named(new QLineEdit(QStringLiteral("600"), WallGroupBox), "WallDensityEdit");
  DensityUnitLabel = Named(new QLabel(tr("kg / m3"), WallGroupBox), "DensityUnitLabel");
  WallComboBox = Named(new QComboBox(WallGroupBox), "WallComboBox");
  QHBoxLayout* buttons = MakeButtonRow(WallGroupBox);

  for (const PredefinedWall& wall : kWalls) WallComboBox->addItem(tr(wall.name));
  WallComboBox->setPlaceholderText(tr("Predefined wall types"));
  WallComboBox->setCurrentIndex(-1);
  for (QLineEdit* edit : {WallThicknessEdit, WallDensityEdit}) edit->setFixedWidth(kEditWidth);

  auto* values = new QGridLayout;
  values->addWidget(ThicknessLabel, 0, 0);
  values->addWidget(WallThicknessEdit, 0, 1);
  values->addWidget(ThicknessUnitLabel, 0, 2);
  values->addWidget(DensityLabel, 1, 0);
  values->addWidget(WallDensityEdit, 1, 1);
  values->addWidget(DensityUnitLabel, 1, 2);
  values->setColumnStretch(3, 1);
  auto* group = new QVBoxLayout(WallGroupBox);
  group->addWidget(InfoLabel1);
  group->addWidget(InfoLabel2);
  group->addLayout(values);
  group->addWidget(WallComboBox);
  group->addLayout(buttons);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(WallGroupBox);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  // Picked rather than changed: choosing the same wall again brings back its values after an edit.
  connect(WallComboBox, &QComboBox::activated, this, &TWallFilterForm::WallComboBoxChange);
}

void TWallFilterForm::WallComboBoxChange(int index) {
  if (index < 0 || index >= static_cast<int>(kWalls.size())) return;
  WallThicknessEdit->setText(QString::fromLatin1(kWalls[index].thicknessCm));
  WallDensityEdit->setText(QString::fromLatin1(kWalls[index].density));
}

