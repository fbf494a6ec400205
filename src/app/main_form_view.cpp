// The waveform strips, selecting with the mouse, and the zoom commands of the "View" page.

#include <QPushButton>

#include "app/main_form.h"
#include "views/wave_strip_widget.h"

void TMainForm::ConnectViewHandlers() {
  connect(LPaintBox, &TWaveStrip::MouseDown, this, &TMainForm::LPaintBoxMouseDown);
  connect(RPaintBox, &TWaveStrip::MouseDown, this, &TMainForm::RPaintBoxMouseDown);
  connect(ZoomBitBtn, &QPushButton::clicked, this, &TMainForm::ZoomBitBtnClick);
  connect(BitBtn1, &QPushButton::clicked, this, &TMainForm::BitBtn1Click);
  connect(AllButton, &QPushButton::clicked, this, &TMainForm::AllButtonClick);
}

// Commands end by drawing, and the user should see the result before the next one starts, so
// the strips paint now rather than when the event loop comes round.
void TMainForm::DrawWaves() {
  LPaintBox->repaint();
  RPaintBox->repaint();
}

void TMainForm::ClearWaves() {
  LPaintBox->Clear();
  RPaintBox->Clear();
}

namespace {

// A press on either strip; the strip's own width sets how its columns map to frames.
void MarkFromStrip(TMainForm& form, const QWidget& strip, Qt::MouseButton button, int x) {
  form.RunWithDocument([&] {
    MarkSelection(form.View(), button == Qt::LeftButton, FrameAtColumn(form.View(), x, strip.width()));
  });
}

}  // namespace

void TMainForm::LPaintBoxMouseDown(Qt::MouseButton button, int x, int) { MarkFromStrip(*this, *LPaintBox, button, x); }

void TMainForm::RPaintBoxMouseDown(Qt::MouseButton button, int x, int) { MarkFromStrip(*this, *RPaintBox, button, x); }

void TMainForm::ZoomBitBtnClick() {
  RunWithDocument([this] { ZoomToSelection(view_); });
}

void TMainForm::BitBtn1Click() {
  RunWithDocument([this] { ZoomOut(view_, wave_); });
}

// Select all redraws once on its own; the view follows the new selection before the last one.
void TMainForm::AllButtonClick() {
  RunWithDocument([this] {
    SelectAll();
    ZoomToSelection(view_);
  });
}
