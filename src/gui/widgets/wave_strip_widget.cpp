#include "gui/widgets/wave_strip_widget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

#include "state/view_state.h"
#include "analysis/peak_summary.h"
#include "analysis/wave_drawing.h"
#include "wave/wave_document.h"

namespace {

QColor PenColour(TracePen pen) {
  switch (pen) {
    case TracePen::Red:
      return QColor(255, 0, 0);
    case TracePen::Green:
      return QColor(0, 255, 0);
    case TracePen::Grey:
      break;
  }
  return QColor(128, 128, 128);
}

}  // namespace

TWaveStrip::TWaveStrip(const TWave& wave, const ViewState& view, bool right, QWidget* parent)
    : QWidget(parent), wave_(wave), view_(view), right_(right) {
  // Every paint covers the whole strip.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A click takes the keys from an edit field, so that they act on the sound again.
  setFocusPolicy(Qt::ClickFocus);
}

void TWaveStrip::Clear() {
  blank_ = true;
  repaint();
  blank_ = false;
}

void TWaveStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  if (blank_) return;
  const std::vector<PeakColumn> columns =
      peaks_ ? PeakChannel(wave_, *peaks_, view_, right_, width(), height()) : std::vector<PeakColumn>();
  if (columns.empty()) {
    const std::vector<TracePoint> trace = TraceChannel(wave_, view_, right_, width(), height());
    for (size_t x = 1; x < trace.size(); ++x) {
      painter.setPen(QPen(PenColour(trace[x].Pen), 1));
      painter.drawLine(static_cast<int>(x) - 1, trace[x - 1].Y, static_cast<int>(x), trace[x].Y);
    }
  }
  // A column is a rectangle one pixel wide: filled without a pen, it costs far less than a line.
  for (size_t x = 0; x < columns.size(); ++x)
    painter.fillRect(static_cast<int>(x), columns[x].Top, 1, columns[x].Bottom - columns[x].Top + 1,
                     PenColour(columns[x].Pen));
  const int insert = wave_.Loaded() && !(right_ && wave_.Channels() != 2) ? InsertColumn(view_, width()) : -1;
  if (insert >= 0) painter.fillRect(insert, 0, 1, height(), palette().color(QPalette::WindowText));
  const int cursor = CursorColumn();
  if (cursor >= 0) {
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
    painter.drawLine(cursor, 0, cursor, height() - 1);
  }
}

int TWaveStrip::CursorColumn() const {
  return wave_.Loaded() && !(right_ && wave_.Channels() != 2) ? ColumnOfFrame(view_, cursor_, width()) : -1;
}

void TWaveStrip::ShowCursor(int64_t frame) {
  const int before = CursorColumn();
  cursor_ = frame;
  const int after = CursorColumn();
  if (before == after) return;
  for (int x : {before, after})
    if (x >= 0) update(x, 0, 1, height());
}

void TWaveStrip::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier)) {
    emit ShiftClick(at.x());
    return;
  }
  if (event->button() == Qt::LeftButton) {
    pressX_ = at.x();
    dragging_ = false;
  }
  emit MouseDown(event->button(), at.x(), at.y());
}

void TWaveStrip::mouseMoveEvent(QMouseEvent* event) {
  if (pressX_ < 0 || !(event->buttons() & Qt::LeftButton)) return;
  const int x = std::clamp(static_cast<int>(event->position().x()), 0, std::max(width() - 1, 0));
  dragging_ = dragging_ || std::abs(x - pressX_) >= QApplication::startDragDistance();
  if (dragging_) emit MouseDrag(pressX_, x);
}

void TWaveStrip::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressX_ = -1;
}
