#pragma once

#include <QWidget>

#include <string>

class QBoxLayout;
class QGroupBox;
class TMainForm;

// A page of the main window: a row of group boxes, each holding its controls in one row from left
// to right. A page builds its controls and handles them; its handlers reach the document and the
// displays through the window.
class TMainFormPage : public QWidget {
 protected:
  TMainFormPage(TMainForm& form, const char* name);

  // A new group at the end of the page's row; returns the group's own row for its controls.
  QBoxLayout* AddGroup(const char* name, const QString& caption);
  // The group box of a row, the parent of the controls in it.
  static QGroupBox* GroupOf(QBoxLayout* row);
  // Keeps the groups together at the page's left.
  void EndPage();
  // An input box proposing `proposal`; false when cancelled, otherwise `text` is what was typed.
  bool AskText(const QString& caption, const QString& prompt, const QString& proposal, std::string& text);

  TMainForm& form_;
};
