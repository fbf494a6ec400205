#pragma once

#include <QStringList>

#include "gui/prompts.h"

class QFileDialog;

// The prompts as the user sees them: Qt's input dialog, message boxes and file dialogs, owned by
// whichever window is active.
class QtPrompts final : public Prompts {
 public:
  // Qt's settings file is left unwritten from here on, in the whole program.
  QtPrompts();

  bool InputQuery(const QString& caption, const QString& prompt, QString& text) override;
  void ShowInformation(const QString& text) override;
  bool AskYesNo(const QString& text) override;
  SaveChoice AskSaveChanges(const QString& text) override;
  void ShowError(const QString& text) override;
  bool OpenFileName(const QString& filter, QString& fileName, const QString& directory = QString()) override;
  bool SaveFileName(const QString& filter, QString& fileName) override;

 private:
  bool RunFileDialog(QFileDialog& dialog, QString& fileName, const QString& directory = QString(),
                     const QString& proposal = QString());

  // The file dialogs start where the last one was confirmed, as the common dialogs do, and offer
  // the folders visited in this run.
  QString lastDir_;
  QStringList history_;
};
