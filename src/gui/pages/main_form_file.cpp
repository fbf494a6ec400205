#include "gui/pages/main_form_file.h"

#include <QBoxLayout>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QStyle>

#include "gui/control_factory.h"
#include "gui/local_path.h"
#include "gui/main_form.h"
#include "processing/document_commands.h"

namespace {
const QString kWaveFilter = QStringLiteral("Wave files (*.wav)");
}  // namespace

TFilePage::TFilePage(TMainForm& form) : TMainFormPage(form, "FileTabSheet") {
  QBoxLayout* row = AddGroup("OpenSaveGroupBox", tr("Open/save"));
  NewBitBtn = MakeButton(GroupOf(row), row, "NewBitBtn", tr("&New"));
  NewBitBtn->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
  OpenBitBtn = MakeButton(GroupOf(row), row, "OpenBitBtn", tr("&Open"), tr("Opens sound file"));
  OpenBitBtn->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  SaveBitBtn = MakeButton(GroupOf(row), row, "SaveBitBtn", tr("Sa&ve"), tr("Saves sound file"));
  SaveBitBtn->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  row = AddGroup("ExitGroupBox", tr("Exit"));
  ExitButton = MakeButton(GroupOf(row), row, "ExitButton", tr("E&xit"), tr("Exits Velorin"));
  EndPage();

  connect(NewBitBtn, &QPushButton::clicked, this, &TFilePage::NewBitBtnClick);
  connect(OpenBitBtn, &QPushButton::clicked, this, &TFilePage::OpenBitBtnClick);
  connect(SaveBitBtn, &QPushButton::clicked, this, &TFilePage::SaveBitBtnClick);
  connect(ExitButton, &QPushButton::clicked, this, &TFilePage::ExitButtonClick);
}

// The length is refused before the file dialog, so nobody picks a name for a sound never made.
void TFilePage::NewBitBtnClick() {
  form_.Guarded([this] {
    if (!SettleChanges()) return;
    QString text = QStringLiteral("1");
    if (!form_.Ask().InputQuery(tr("Length of wave"), tr("Specify length of wave, in seconds:"), text)) return;
    const double seconds = ParseNewWaveLength(text.toStdString());
    QString fileName;
    if (!form_.Ask().SaveFileName(kWaveFilter, fileName)) return;
    NewDocument(form_.Document(), LocalPath(fileName), seconds);
    form_.ShowNewDocument();
  });
}

void TFilePage::OpenBitBtnClick() {
  form_.Guarded([this] {
    if (!SettleChanges()) return;
    QString fileName;
    if (form_.Ask().OpenFileName(kWaveFilter, fileName, DocumentFolder())) form_.OpenWave(LocalPath(fileName));
  });
}

void TFilePage::SaveBitBtnClick() {
  form_.Guarded([this] {
    if (form_.Wave().Loaded()) SaveWave();
  });
}

bool TFilePage::SaveWave() {
  // A recording proposes no name: its scratch file is not the place to keep it.
  QString fileName = HasOwnFile() ? DisplayPath(form_.Wave().FileName()) : QString();
  if (!form_.Ask().SaveFileName(kWaveFilter, fileName)) return false;
  SaveDocument(form_.Document(), LocalPath(fileName));
  form_.ShowNewDocument();
  return true;
}

void TFilePage::SaveInPlace() {
  form_.Guarded([this] {
    if (!form_.Wave().Loaded()) return;
    if (!HasOwnFile()) {
      SaveWave();
      return;
    }
    SaveDocument(form_.Document(), form_.Wave().FileName());
    form_.ShowNewDocument();
  });
}

bool TFilePage::HasOwnFile() const {
  return form_.Wave().Loaded() && form_.Wave().FileName() != form_.ScratchFileName();
}

QString TFilePage::DocumentFolder() const {
  return HasOwnFile() ? QFileInfo(DisplayPath(form_.Wave().FileName())).absolutePath() : QString();
}

bool TFilePage::SettleChanges() {
  if (!form_.Wave().Loaded() || !form_.Document().Changes.Changed()) return true;
  const QString name = QFileInfo(DisplayPath(form_.Wave().FileName())).fileName();
  switch (form_.Ask().AskSaveChanges(tr("%1 has changed. Save the changes?").arg(name))) {
    case SaveChoice::Save: return SaveWave();
    case SaveChoice::Discard: return true;
    case SaveChoice::Cancel: break;
  }
  return false;
}

// Closing asks "Exit now?" and removes the scratch file unless a recording holds it, as the window
// manager's close does.
void TFilePage::ExitButtonClick() { form_.close(); }
