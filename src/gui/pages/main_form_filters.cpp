#include "gui/pages/main_form_filters.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "gui/control_factory.h"
#include "gui/local_path.h"
#include "gui/main_form.h"
#include "processing/iir_file.h"

namespace {
const QString kIIRFilter = QStringLiteral("IIR files (*.iir)");
}  // namespace

TFiltersPage::TFiltersPage(TMainForm& form) : TMainFormPage(form, "LinFiltTabSheet") {
  QBoxLayout* row = AddGroup("RCFiltersGroupBox", tr("RC filters"));
  LowPassButton = MakeButton(GroupOf(row), row, "LowPassButton", tr("Lo&w-pass"),
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
  SaveIIRButton = MakeButton(GroupOf(row), fileButtons, "SaveIIRButton", tr("Sa&ve"), tr("Saves custom IIR file"));
  for (QPushButton* small : {OpenIIRButton, SaveIIRButton}) {
    small->setMinimumSize(0, 0);
    small->setFixedSize(45, 19);
  }
  row->addLayout(fileButtons);
  EndPage();

  connect(LowPassButton, &QPushButton::clicked, this, &TFiltersPage::LowPassButtonClick);
  connect(HighPassButton, &QPushButton::clicked, this, &TFiltersPage::HighPassButtonClick);
  connect(ApplyIIRButton, &QPushButton::clicked, this, &TFiltersPage::ApplyIIRButtonClick);
  connect(SaveIIRButton, &QPushButton::clicked, this, &TFiltersPage::SaveIIRButtonClick);
  connect(OpenIIRButton, &QPushButton::clicked, this, &TFiltersPage::OpenIIRButtonClick);
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

IIRTexts TFiltersPage::EditTexts() const {
  return {c0Edit->text().toStdString(), c1Edit->text().toStdString(), d1Edit->text().toStdString()};
}

void TFiltersPage::RCFilterClick(FilterKind kind, const QString& caption) {
  form_.RunWithDocument([&] {
    std::string cutOff;
    if (!AskText(caption, tr("Specify cut-off frequency [Hz]"), QStringLiteral("1000"), cutOff)) return;
    form_.Recorded(kind == FilterKind::LowPass ? CommandId::LowPass : CommandId::HighPass, caption, [&] { RCFilterCommand(form_.Wave(), form_.View().Sel, *form_.Gauge, kind, cutOff); });
  });
}

void TFiltersPage::LowPassButtonClick() { RCFilterClick(FilterKind::LowPass, tr("Low pass filter")); }
void TFiltersPage::HighPassButtonClick() { RCFilterClick(FilterKind::HighPass, tr("High pass filter")); }

void TFiltersPage::ApplyIIRButtonClick() {
  form_.RunOnSelection(CommandId::IIR, tr("IIR filter"), [this](TWave& wave, const Selection& sel, Progress& gauge) {
    CustomIIRCommand(wave, sel, gauge, EditTexts());
  });
}

// The parameter files live beside the program, so the user types a bare name.
void TFiltersPage::SaveIIRButtonClick() {
  form_.Guarded([this] {
    QString name = QStringLiteral("MyFile");
    if (!form_.Ask().InputQuery(tr("Save IIR"), tr("Specify file name (no extension needed)"), name)) return;
    const std::string fileName = IIRFileName(form_.ProgramDir(), LocalPath(name));
    // A folder that cannot be looked into answers "no file"; the write then says what is wrong.
    std::error_code unreadable;
    if (std::filesystem::exists(fileName, unreadable) && !form_.Ask().AskYesNo(tr("File exists. Overwrite?"))) return;
    WriteIIRFile(fileName, EditTexts());
  });
}

// The file is read whole before any edit changes, so a failed read leaves all three as they were.
void TFiltersPage::OpenIIRButtonClick() {
  form_.Guarded([this] {
    QString fileName;
    if (!form_.Ask().OpenFileName(kIIRFilter, fileName, DisplayPath(form_.ProgramDir()))) return;
    const IIRTexts texts = ReadIIRFile(LocalPath(fileName));
    c0Edit->setText(QString::fromStdString(texts.C0));
    c1Edit->setText(QString::fromStdString(texts.C1));
    d1Edit->setText(QString::fromStdString(texts.D1));
  });
}
