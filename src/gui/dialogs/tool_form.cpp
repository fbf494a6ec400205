#include "gui/dialogs/tool_form.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>

TToolForm::TToolForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  // Closing, by a button or by the window manager, must never destroy the one instance.
  setAttribute(Qt::WA_DeleteOnClose, false);
  // Fonts do not pass on to windows by themselves; the dialogs look like the window they serve.
  if (parent) setFont(parent->font());
}

void TToolForm::ShowCentredOn(const QWidget& owner) {
  // A dialog already shown stays where the user put it.
  if (isVisible()) {
    raise();
  } else {
    adjustSize();
    move(owner.mapToGlobal(owner.rect().center()) - rect().center());
    show();
  }
  activateWindow();
}

void TToolForm::OKButtonClick() {
  if (OnOK) OnOK();
}

void TToolForm::CancelButtonClick() { close(); }

QHBoxLayout* TToolForm::MakeButtonRow(QWidget* box) {
  OKButton = Named(new QPushButton(tr("&OK"), box), "OKButton");
  CancelButton = Named(new QPushButton(tr("&Cancel"), box), "CancelButton");
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &TToolForm::OKButtonClick);
  connect(CancelButton, &QPushButton::clicked, this, &TToolForm::CancelButtonClick);
  // A tool window is no dialog, whose default button Enter would press: the keys are its own.
  for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* enter = new QShortcut(QKeySequence(key), this);
    enter->setContext(Qt::WidgetWithChildrenShortcut);
    connect(enter, &QShortcut::activated, OKButton, &QPushButton::click);
  }
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(OKButton);
  row->addWidget(CancelButton);
  return row;
}

void TToolForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    CancelButtonClick();
    return;
  }
  QWidget::keyPressEvent(event);
}
