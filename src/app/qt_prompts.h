#pragma once

#include "app/prompts.h"

// The prompts as the user sees them: Qt's input dialog, message boxes and file dialogs, owned by
// whichever window is active.
class QtPrompts final : public Prompts {
 public:
  bool InputQuery(const QString& caption, const QString& prompt, QString& text) override;
  void ShowInformation(const QString& text) override;
  bool AskYesNo(const QString& text) override;
  void ShowError(const QString& text) override;
  bool OpenFileName(const QString& filter, QString& fileName, const QString& directory = QString()) override;
  bool SaveFileName(const QString& filter, QString& fileName) override;

 private:
  // The file dialogs start where the last one was confirmed, as the common dialogs do.
  QString lastDir_;
};
