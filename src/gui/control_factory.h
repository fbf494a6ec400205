#pragma once

#include <QKeySequence>
#include <QString>

#include <initializer_list>
#include <utility>

class QBoxLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

// Small helpers that give the main window's controls their names, captions and hints.

// The hint is kept on the control (property "hint"); shown ones also become its tool tip.
void SetHint(QWidget* control, const QString& hint, bool shown = true);

// A group box whose controls sit in one row.
QGroupBox* MakeRowGroupBox(QWidget* parent, const char* name, const QString& caption);

// A command button of the pages, at least 75 x 25, added to `row` when one is given.
QPushButton* MakeButton(QWidget* parent, QBoxLayout* row, const char* name, const QString& caption,
                        const QString& hint = QString());

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text);

// Each key clicks its button, from anywhere in `window`, and only while the button is enabled.
void ClickOnKeys(QWidget* window, std::initializer_list<std::pair<QKeySequence, QPushButton*>> keys);
