#include "gui/control_factory.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace {
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
}  // namespace

void SetHint(QWidget* control, const QString& hint, bool shown) {
  control->setProperty("hint", hint);
  if (shown) control->setToolTip(hint);
}

QGroupBox* MakeRowGroupBox(QWidget* parent, const char* name, const QString& caption) {
  auto* group = new QGroupBox(caption, parent);
  group->setObjectName(QString::fromLatin1(name));
  auto* row = new QHBoxLayout(group);
  row->setContentsMargins(6, 2, 6, 4);
  row->setSpacing(4);
  return group;
}

QPushButton* MakeButton(QWidget* parent, QBoxLayout* row, const char* name, const QString& caption,
                        const QString& hint) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setMinimumSize(kButtonWidth, kButtonHeight);
  if (!hint.isEmpty()) SetHint(button, hint);
  if (row) row->addWidget(button);
  return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  if (name) label->setObjectName(QString::fromLatin1(name));
  return label;
}

// The keys click at once (a button's own shortcut clicks only after its animation), and click()
// does nothing while the button is disabled.
void ClickOnKeys(QWidget* window, std::initializer_list<std::pair<QKeySequence, QPushButton*>> keys) {
  for (const auto& [key, button] : keys)
    QObject::connect(new QShortcut(key, window), &QShortcut::activated, button, &QPushButton::click);
}
