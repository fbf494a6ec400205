#include "gui/qt_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QSettings>

namespace {

QWidget* Owner() { return QApplication::activeWindow(); }

QString Title() { return QApplication::applicationDisplayName(); }

}  // namespace

QtPrompts::QtPrompts() {
  // Qt's file dialogs write their history, sidebar and view into a settings file of Qt's own
  // each time one closes, and the program writes no file but the user's. Under a folder that can
  // never be made, those settings cannot be written; the history lives here instead.
  for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
}

// A dialog sent to a folder of its own (the IIR files beside the program) leaves the place
// where the wave dialogs start alone.
bool QtPrompts::RunFileDialog(QFileDialog& dialog, QString& fileName, const QString& directory,
                              const QString& proposal) {
  if (!proposal.isEmpty()) {
    // Selecting a path also opens its folder.
    dialog.selectFile(proposal);
  } else if (!directory.isEmpty()) {
    dialog.setDirectory(directory);
  } else if (!lastDir_.isEmpty()) {
    dialog.setDirectory(lastDir_);
  }
  dialog.setHistory(history_);
  const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
  history_ = dialog.history();
  if (!accepted) return false;
  fileName = dialog.selectedFiles().constFirst();
  if (directory.isEmpty()) lastDir_ = QFileInfo(fileName).absolutePath();
  return true;
}

bool QtPrompts::InputQuery(const QString& caption, const QString& prompt, QString& text) {
  bool ok = false;
  const QString typed = QInputDialog::getText(Owner(), caption, prompt, QLineEdit::Normal, text, &ok);
  if (ok) text = typed;
  return ok;
}

void QtPrompts::ShowInformation(const QString& text) {
  QMessageBox::information(Owner(), Title(), text);
}

bool QtPrompts::AskYesNo(const QString& text) {
  return QMessageBox::question(Owner(), Title(), text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

SaveChoice QtPrompts::AskSaveChanges(const QString& text) {
  switch (QMessageBox::question(Owner(), Title(), text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                QMessageBox::Save)) {
    case QMessageBox::Save: return SaveChoice::Save;
    case QMessageBox::Discard: return SaveChoice::Discard;
    default: return SaveChoice::Cancel;
  }
}

void QtPrompts::ShowError(const QString& text) { QMessageBox::critical(Owner(), Title(), text); }

bool QtPrompts::OpenFileName(const QString& filter, QString& fileName, const QString& directory) {
  QFileDialog dialog(Owner(), QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return RunFileDialog(dialog, fileName, directory);
}

bool QtPrompts::SaveFileName(const QString& filter, QString& fileName) {
  QFileDialog dialog(Owner(), QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("wav"));
  return RunFileDialog(dialog, fileName, QString(), fileName);
}
