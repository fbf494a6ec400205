#include "scripted_prompts.h"

#include <gtest/gtest.h>

const char* PromptKindName(PromptKind kind) {
  switch (kind) {
    case PromptKind::kInput: return "input box";
    case PromptKind::kInformation: return "information box";
    case PromptKind::kYesNo: return "Yes/No box";
    case PromptKind::kError: return "error box";
    case PromptKind::kOpenFile: return "open dialog";
    case PromptKind::kSaveFile: return "save dialog";
    case PromptKind::kSaveChanges: return "save question";
  }
  return "?";
}

ScriptedPrompts::~ScriptedPrompts() {
  for (const Answer& left : answers_)
    ADD_FAILURE() << "answer for a " << PromptKindName(left.kind) << " was never asked for";
}

QStringList ScriptedPrompts::Texts(PromptKind kind) const {
  QStringList texts;
  for (const ShownPrompt& shown : shown_) {
    if (shown.kind == kind) texts << shown.text;
  }
  return texts;
}

ScriptedPrompts::Answer ScriptedPrompts::Next(PromptKind kind, const QString& text) {
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected " << PromptKindName(kind) << " \"" << text.toStdString()
                  << "\": no answer queued";
    return {kind, false, {}};
  }
  Answer answer = answers_.front();
  answers_.pop_front();
  if (answer.kind != kind) {
    ADD_FAILURE() << "the window showed a " << PromptKindName(kind) << " \"" << text.toStdString()
                  << "\" where the script expected a " << PromptKindName(answer.kind);
    return {kind, false, {}};
  }
  return answer;
}

bool ScriptedPrompts::InputQuery(const QString& caption, const QString& prompt, QString& text) {
  shown_.push_back({PromptKind::kInput, caption, prompt, text, {}});
  const Answer answer = Next(PromptKind::kInput, prompt);
  if (answer.confirmed) text = answer.text;
  return answer.confirmed;
}

void ScriptedPrompts::ShowInformation(const QString& text) {
  shown_.push_back({PromptKind::kInformation, {}, text, {}, {}});
}

bool ScriptedPrompts::AskYesNo(const QString& text) {
  shown_.push_back({PromptKind::kYesNo, {}, text, {}, {}});
  return Next(PromptKind::kYesNo, text).confirmed;
}

SaveChoice ScriptedPrompts::AskSaveChanges(const QString& text) {
  shown_.push_back({PromptKind::kSaveChanges, {}, text, {}, {}});
  return Next(PromptKind::kSaveChanges, text).choice;
}

void ScriptedPrompts::ShowError(const QString& text) {
  shown_.push_back({PromptKind::kError, {}, text, {}, {}});
}

bool ScriptedPrompts::OpenFileName(const QString& filter, QString& fileName, const QString& directory) {
  shown_.push_back({PromptKind::kOpenFile, {}, filter, {}, directory});
  const Answer answer = Next(PromptKind::kOpenFile, filter);
  if (answer.confirmed) fileName = answer.text;
  return answer.confirmed;
}

bool ScriptedPrompts::SaveFileName(const QString& filter, QString& fileName) {
  shown_.push_back({PromptKind::kSaveFile, {}, filter, fileName, {}});
  const Answer answer = Next(PromptKind::kSaveFile, filter);
  if (answer.confirmed) fileName = answer.text;
  return answer.confirmed;
}
