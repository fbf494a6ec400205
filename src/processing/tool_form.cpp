#include "processing/tool_form.h"

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
