#include "views/spectrum_widget.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

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
  const int delta = event->angleDelta().y();
  if (delta != 0) stepBy(delta > 0 ? wheelStep_ : -wheelStep_);
  event->accept();
}
