#include "app/main_form_filters.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/control_factory.h"
#include "app/main_form.h"

TFiltersPage::TFiltersPage(TMainForm& form) : TMainFormPage(form, "LinFiltTabSheet") {
  QBoxLayout* row = AddGroup("RCFiltersGroupBox", tr("RC filters"));
  LowPassButton = MakeButton(GroupOf(row), row, "LowPassButton", tr("&Low-pass"),
                             tr("Applies a first order low pass filter to the selection"));
  HighPassButton = MakeButton(GroupOf(row), row, "HighPassButton", tr("&High-pass"),
                              tr("Applies a first order high pass filter to the selection"));
  row = AddGroup("CustomIIRGroupBox", tr("Custom IIR"));
  ApplyIIRButton = MakeButton(GroupOf(row), row, "ApplyIIRButton", tr("&Apply"), tr("Applies a custom IIR filter"));
  row->addWidget(MakeLabel(GroupOf(row), nullptr, QStringLiteral("y(n) = ")));
  c0Edit = AddCoefficientEdit(row, "c0Edit", QStringLiteral("1"), tr("c0 parameter"));
  row->addWidget(MakeLabel(GroupOf(row), nullptr, QStringLiteral("x(n) + ")));
  c1Edit = AddCoefficientEdit(row, "c1Edit", QStringLiteral("0"), tr("c1 parameter"));
  row->addWidget(MakeLabel(GroupOf(row), nullptr, QStringLiteral("x(n-1) + ")));
  d1Edit = AddCoefficientEdit(row, "d1Edit", QStringLiteral("0"), tr("d1 parameter"));
  row->addWidget(MakeLabel(GroupOf(row), nullptr, QStringLiteral("y(n-1)")));
  // The two file buttons are small and stacked, at the end of the row.
  auto* fileButtons = new QVBoxLayout;
  fileButtons->setSpacing(1);
  OpenIIRButton = MakeButton(GroupOf(row), fileButtons, "OpenIIRButton", tr("&Open"), tr("Opens custom IIR file"));
  SaveIIRButton = MakeButton(GroupOf(row), fileButtons, "SaveIIRButton", tr("&Save"), tr("Saves custom IIR file"));
  for (QPushButton* small : {OpenIIRButton, SaveIIRButton}) {
    small->setMinimumSize(0, 0);
    small->setFixedSize(45, 19);
  }
  row->addLayout(fileButtons);
  EndPage();
}

QLineEdit* TFiltersPage::AddCoefficientEdit(QBoxLayout* row, const char* name, const QString& text,
                                            const QString& hint) {
  auto* edit = new QLineEdit(text, GroupOf(row));
  edit->setObjectName(QString::fromLatin1(name));
  edit->setFixedWidth(40);
  SetHint(edit, hint);
  row->addWidget(edit);
  return edit;
}
