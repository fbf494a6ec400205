#include "gui/widgets/gauge.h"

#include <algorithm>

TGauge::TGauge(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setFormat(QStringLiteral("%p%"));
  setAlignment(Qt::AlignCenter);
  setTextVisible(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Highlight, Qt::blue);
  setPalette(colours);
}

void TGauge::SetProgress(int percent) {
  const int clamped = std::clamp(percent, minimum(), maximum());
  if (clamped == value()) return;
  setValue(clamped);
  repaint();
}
