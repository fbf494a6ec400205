#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QHBoxLayout;
class QPushButton;

// The base of the editor's dialogs: a small tool window that stays above the other windows and
// leaves the main window usable. It is made once and only shown and hidden afterwards, so what
// the user typed is still there the next time.
class TToolForm : public QWidget {
  Q_OBJECT

 public:
  explicit TToolForm(QWidget* parent = nullptr);

  // Shows the dialog in the middle of `owner` (or brings it forward where it already is).
  void ShowCentredOn(const QWidget& owner);

  // Called by OK with the dialog still shown: the owner checks what was typed and hides the dialog
  // once it accepts it. The dialog itself knows nothing of the document.
  std::function<void()> OnOK;

  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;

 public slots:
  void OKButtonClick();
  void CancelButtonClick();

 protected:
  // OK, the default button, and Cancel, made in `box` after every other control so that they end
  // the tab order; returns their row, pushed to the right, for the dialog's layout.
  QHBoxLayout* MakeButtonRow(QWidget* box);
  // Escape closes the window, as it closes a dialog, when the control that has the focus does
  // not take the key itself.
  void keyPressEvent(QKeyEvent* event) override;
};

// A control of a dialog with its object name, by which the program and its tests find it.
template <class Control>
Control* Named(Control* control, const char* name) {
  control->setObjectName(QString::fromLatin1(name));
  return control;
}
