#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

#include "gui/prompts.h"

enum class PromptKind { kInput, kInformation, kYesNo, kError, kOpenFile, kSaveFile, kSaveChanges };

const char* PromptKindName(PromptKind kind);

// What the window put in front of the user: the kind of box, its caption (input box only), its
// text (prompt, message or file filter), for an input box the proposed text and for an open
// dialog the folder it was asked to open in, for a save dialog the name proposed.
struct ShownPrompt {
  PromptKind kind;
  QString caption;
  QString text;
  QString proposal;
  QString directory;
};

// Answers the window's questions from a queue prepared by the test, in order, and records every
// box shown. A question with no answer queued, or with an answer of another kind, fails the test;
// so do answers left over when the script ends.
class ScriptedPrompts final : public Prompts {
 public:
  ~ScriptedPrompts() override;

  void AnswerInput(const QString& text) { answers_.push_back({PromptKind::kInput, true, text}); }
  void CancelInput() { answers_.push_back({PromptKind::kInput, false, {}}); }
  void AnswerYes() { answers_.push_back({PromptKind::kYesNo, true, {}}); }
  void AnswerNo() { answers_.push_back({PromptKind::kYesNo, false, {}}); }
  void ChooseOpenFile(const QString& name) { answers_.push_back({PromptKind::kOpenFile, true, name}); }
  void CancelOpenFile() { answers_.push_back({PromptKind::kOpenFile, false, {}}); }
  void ChooseSaveFile(const QString& name) { answers_.push_back({PromptKind::kSaveFile, true, name}); }
  void CancelSaveFile() { answers_.push_back({PromptKind::kSaveFile, false, {}}); }
  void AnswerSaveQuestion(SaveChoice choice) { answers_.push_back({PromptKind::kSaveChanges, true, {}, choice}); }

  const std::vector<ShownPrompt>& Shown() const { return shown_; }
  // The texts of the boxes of one kind, in the order shown.
  QStringList Texts(PromptKind kind) const;
  void ClearShown() { shown_.clear(); }

  bool InputQuery(const QString& caption, const QString& prompt, QString& text) override;
  void ShowInformation(const QString& text) override;
  bool AskYesNo(const QString& text) override;
  SaveChoice AskSaveChanges(const QString& text) override;
  void ShowError(const QString& text) override;
  bool OpenFileName(const QString& filter, QString& fileName, const QString& directory = QString()) override;
  bool SaveFileName(const QString& filter, QString& fileName) override;

 private:
  struct Answer {
    PromptKind kind;
    bool confirmed;
    QString text;
    SaveChoice choice = SaveChoice::Cancel;
  };

  // The next answer, which must be of `kind`; an unanswerable question counts as cancelled.
  Answer Next(PromptKind kind, const QString& text);

  std::deque<Answer> answers_;
  std::vector<ShownPrompt> shown_;
};
