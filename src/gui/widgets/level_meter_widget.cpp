#include "gui/widgets/level_meter_widget.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The bars reach from -60 dBFS to full scale.
constexpr double kFloorDb = -60.0;
constexpr int kLightWidth = 12;
constexpr int kGap = 3;
constexpr double kSilence = -std::numeric_limits<double>::infinity();

double Fraction(double db) { return std::clamp((db - kFloorDb) / -kFloorDb, 0.0, 1.0); }

QString Reading(double db) { return std::isfinite(db) ? QString::number(db, 'f', 1) : QStringLiteral("-inf"); }

}  // namespace

TLevelMeterWidget::TLevelMeterWidget(LevelMeter& meter, QWidget* parent) : QWidget(parent), meter_(meter) {
  setToolTip(tr("Recording level; click to put out the clip lights"));
  Reset();
}

void TLevelMeterWidget::Reset() {
  for (Channel& channel : shown_) channel = {kSilence, kSilence, false};
  update();
}

void TLevelMeterWidget::Refresh() {
  for (int c = 0; c < meter_.Channels(); ++c)
    shown_[c] = {meter_.TakePeakDb(c), meter_.HeldDb(c), meter_.Clipped(c)};
  update();
}

void TLevelMeterWidget::mousePressEvent(QMouseEvent*) {
  meter_.ClearClips();
  for (Channel& channel : shown_) channel.Clipped = false;
  update();
}

void TLevelMeterWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int channels = meter_.Channels();
  const int rowHeight = height() / LevelMeter::kChannels;
  const int barWidth = width() - kLightWidth - kGap;
  for (int c = 0; c < channels; ++c) {
    const Channel& level = shown_[c];
    const int top = c * rowHeight;
    const int barHeight = rowHeight / 2 - 1;
    const QRect bar(0, top, barWidth, barHeight);
    painter.fillRect(bar, QColor(40, 40, 40));
    const int lit = static_cast<int>(std::lround(Fraction(level.PeakDb) * barWidth));
    painter.fillRect(0, top, lit, barHeight, level.PeakDb > -6.0 ? QColor(230, 160, 0) : QColor(0, 190, 0));
    if (std::isfinite(level.HeldDb)) {
      const int held = std::min(static_cast<int>(std::lround(Fraction(level.HeldDb) * barWidth)), barWidth - 2);
      painter.fillRect(held, top, 2, barHeight, Qt::white);
    }
    painter.fillRect(barWidth + kGap, top, kLightWidth, barHeight, level.Clipped ? QColor(255, 0, 0) : QColor(90, 0, 0));
    painter.setPen(palette().color(QPalette::WindowText));
    const QString name = channels == 1 ? QString() : (c == 0 ? QStringLiteral("L ") : QStringLiteral("R "));
    painter.drawText(QRect(0, top + barHeight, width(), rowHeight - barHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     name + Reading(level.PeakDb) + QStringLiteral(" dB  max ") + Reading(level.HeldDb));
  }
}
