// The window grows from its smallest size: the pages, the ruler and the strips take the extra
// width, the strips share the extra height, and everything below them keeps its distance from
// the window's bottom edge.

#include <QGroupBox>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTabWidget>

#include <algorithm>
#include <initializer_list>

#include "gui/widgets/level_meter_widget.h"
#include "gui/main_form.h"
#include "gui/widgets/time_ruler_widget.h"
#include "gui/widgets/wave_strip_widget.h"

namespace {

constexpr QSize kSmallest(792, 563);
constexpr int kPagesWidth = 777;
constexpr int kStripsWidth = 761;
constexpr int kStripsTop = 126;
constexpr int kStripsBottom = 431;
constexpr int kGaugeTop = 434;

void MoveDown(QWidget* widget, int rows) {
  if (widget) widget->move(widget->x(), widget->y() + rows);
}

void CentreOn(QLabel* label, const QWidget& strip) {
  label->move(label->x(), strip.y() + (strip.height() - label->height()) / 2);
}

}  // namespace

void TMainForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Qt may report the first size before the window's controls exist.
  if (!ViewScrollBar) return;
  const int wider = std::max(width() - kSmallest.width(), 0);
  const int taller = std::max(height() - kSmallest.height(), 0);
  MainPageControl->resize(kPagesWidth + wider, MainPageControl->height());
  TimeRuler->resize(kStripsWidth + wider, TimeRuler->height());
  // The two strips share the rows between the ruler and the scroll bar.
  const int rows = kStripsBottom + 1 - kStripsTop + taller;
  const int left = rows / 2;
  LPaintBox->setGeometry(LPaintBox->x(), kStripsTop, kStripsWidth + wider, left);
  RPaintBox->setGeometry(RPaintBox->x(), kStripsTop + left, kStripsWidth + wider, rows - left);
  CentreOn(Label7, *LPaintBox);
  CentreOn(Label8, *RPaintBox);
  ViewScrollBar->setGeometry(RPaintBox->x(), RPaintBox->geometry().bottom() + 1, RPaintBox->width(),
                             ViewScrollBar->height());
  const int down = kGaugeTop + taller - gaugePlace_.top();
  gaugePlace_ = QRect(gaugePlace_.left(), kGaugeTop + taller, kStripsWidth + wider, gaugePlace_.height());
  for (QWidget* below : std::initializer_list<QWidget*>{SoundControlGroupBox, WaveInfoGroupBox, SelectionGroupBox,
                                                        Label9, Label10, Label11, LevelMeterBox})
    MoveDown(below, down);
  ShowScrollBar();
}
