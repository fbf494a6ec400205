#include "gui/widgets/spectrum_widget.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace {
constexpr int kWheelNotch = 120;
}  // namespace

TSpectrumPaintBox::TSpectrumPaintBox(QWidget* parent) : QWidget(parent) {
  // Every paint covers the whole surface.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setCursor(Qt::CrossCursor);
}

void TSpectrumPaintBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  emit Paint(painter);
}

void TSpectrumPaintBox::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit MouseMove(at.x(), at.y());
}

TUpDown::TUpDown(QWidget* parent) : QSpinBox(parent) {
  // The field stays in place for the spin box's own bookkeeping; only the arrows show.
  lineEdit()->hide();
}

void TUpDown::wheelEvent(QWheelEvent* event) {
  if (wheelStep_ == 1) {
    QSpinBox::wheelEvent(event);
    return;
  }
  // A fine wheel sends parts of a notch; they add up to whole ones.
  wheelAngle_ += event->angleDelta().y();
  const int notches = wheelAngle_ / kWheelNotch;
  wheelAngle_ -= notches * kWheelNotch;
  if (notches != 0) stepBy(notches * wheelStep_);
  event->accept();
}
