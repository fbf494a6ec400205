#include "gui/widgets/time_ruler_widget.h"

#include <QPainter>

#include "analysis/time_ruler.h"
#include "wave/wave_document.h"

namespace {
constexpr int kTickHeight = 3;
constexpr int kLabelOffset = 2;
}  // namespace

TTimeRuler::TTimeRuler(const TWave& wave, const ViewState& view, QWidget* parent)
    : QWidget(parent), wave_(wave), view_(view) {}

void TTimeRuler::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  if (!wave_.Loaded()) return;
  painter.setPen(palette().color(QPalette::WindowText));
  const QFontMetrics metrics = fontMetrics();
  const int bottom = height() - 1;
  for (const RulerTick& tick : RulerTicks(view_, wave_.SampleRate(), width(), metrics.horizontalAdvance(QLatin1Char('0')))) {
    painter.drawLine(tick.X, bottom - kTickHeight, tick.X, bottom);
    // Each label starts just right of its tick; one that would run off the ruler is left out.
    const QString label = QString::fromStdString(tick.Label);
    if (tick.X + kLabelOffset + metrics.horizontalAdvance(label) <= width())
      painter.drawText(tick.X + kLabelOffset, bottom - metrics.descent(), label);
  }
}
