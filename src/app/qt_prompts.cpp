#include "app/qt_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QWidget* Owner() { return QApplication::activeWindow(); }

QString Title() { return QApplication::applicationDisplayName(); }

// A dialog sent to a folder of its own (the IIR files beside the program) leaves the place
// where the wave dialogs start alone.
bool RunFileDialog(QFileDialog& dialog, QString& fileName, QString& lastDir,
                   const QString& directory = QString()) {
  if (!directory.isEmpty()) {
    dialog.setDirectory(directory);
  } else if (!lastDir.isEmpty()) {
    dialog.setDirectory(lastDir);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = dialog.selectedFiles().constFirst();
  if (directory.isEmpty()) lastDir = QFileInfo(fileName).absolutePath();
  return true;
}

}  // namespace

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

void QtPrompts::ShowError(const QString& text) { QMessageBox::critical(Owner(), Title(), text); }

bool QtPrompts::OpenFileName(const QString& filter, QString& fileName, const QString& directory) {
  QFileDialog dialog(Owner(), QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return RunFileDialog(dialog, fileName, lastDir_, directory);
}

bool QtPrompts::SaveFileName(const QString& filter, QString& fileName) {
  QFileDialog dialog(Owner(), QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("wav"));
  return RunFileDialog(dialog, fileName, lastDir_);
}
