#include "gui/dialogs/tool_form.h"

#include <QHBoxLayout>
#include <QPushButton>

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
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(OKButton);
  row->addWidget(CancelButton);
  return row;
}
