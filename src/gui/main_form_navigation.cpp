// Moving about a long sound: the scroll bar under the strips, the wheel over them, and the keys
// that click the commonest buttons.

#include <QCoreApplication>
#include <QMargins>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "gui/control_factory.h"
#include "gui/main_form.h"
#include "gui/pages/main_form_file.h"
#include "gui/pages/main_form_view.h"
#include "gui/widgets/wave_strip_widget.h"

namespace {

// A wheel's notch is 120 eighths of a degree; each scrolls a tenth of the view, or zooms in to
// four fifths of its width (a notch back zooms out by as much).
constexpr double kWheelNotch = 120.0;
constexpr int64_t kScrollStepsPerView = 10;
constexpr double kZoomPerNotch = 0.8;

int64_t ScrollStep(const ViewState& view) {
  return std::max<int64_t>((int64_t{view.ViewEnd} - view.ViewStart) / kScrollStepsPerView, 1);
}

// The bar fills the gap under the strips; the gauge moves down under it, a little thinner, to
// keep clear of the groups below.
constexpr int kScrollBarHeight = 12;
const QMargins kGaugeUnderScrollBar(0, -10, 0, 4);

}  // namespace

void TMainForm::BuildNavigation() {
  ViewScrollBar = new QScrollBar(Qt::Horizontal, this);
  ViewScrollBar->setObjectName(QStringLiteral("ViewScrollBar"));
  ViewScrollBar->setGeometry(RPaintBox->x(), RPaintBox->geometry().bottom() + 1, RPaintBox->width(),
                             kScrollBarHeight);
  ViewScrollBar->hide();
  gaugePlace_ = Gauge->geometry();
  connect(ViewScrollBar, &QScrollBar::valueChanged, this, &TMainForm::ViewScrollBarChange);
  for (TWaveStrip* strip : {LPaintBox, RPaintBox}) strip->installEventFilter(this);

  ClickOnKeys(this, {{QKeySequence(Qt::CTRL | Qt::Key_O), FileTabSheet->OpenBitBtn},
                     {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), FileTabSheet->SaveBitBtn},
                     {QKeySequence(Qt::CTRL | Qt::Key_N), FileTabSheet->NewBitBtn},
                     {QKeySequence(Qt::CTRL | Qt::Key_A), SelAllButton},
                     {QKeySequence(Qt::Key_Plus), ViewTabSheet->ZoomBitBtn},
                     {QKeySequence(Qt::Key_Minus), ViewTabSheet->BitBtn1}});
  // Ctrl+S saves without a dialog where the sound has a file of its own; the Save button asks.
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this), &QShortcut::activated, this, [this] {
    if (FileTabSheet->SaveBitBtn->isEnabled()) FileTabSheet->SaveInPlace();
  });
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
    if (StopBitBtn->isEnabled() && !recording_) StopBitBtn->click();
  });
  connect(new QShortcut(QKeySequence(Qt::Key_Home), this), &QShortcut::activated, this, [this] { ScrollToEnd(false); });
  connect(new QShortcut(QKeySequence(Qt::Key_End), this), &QShortcut::activated, this, [this] { ScrollToEnd(true); });
  // Stop is enabled exactly while a sound plays or records.
  connect(new QShortcut(QKeySequence(Qt::Key_Space), this), &QShortcut::activated, this,
          [this] { (StopBitBtn->isEnabled() ? StopBitBtn : PlayBitBtn)->click(); });
  connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Space), this), &QShortcut::activated, this,
          [this] { (StopBitBtn->isEnabled() ? StopBitBtn : PlaySelBitBtn)->click(); });
}

void TMainForm::ShowScrollBar() {
  const ViewState& view = session_.View;
  const bool shown = session_.Wave.Loaded() && ViewNarrowerThanWave(view, session_.Wave);
  if (shown) {
    const QSignalBlocker quiet(ViewScrollBar);
    const int width = view.ViewEnd - view.ViewStart;
    ViewScrollBar->setRange(0, static_cast<int>(session_.Wave.SampleCount()) - 1 - width);
    ViewScrollBar->setPageStep(std::max(width, 1));
    ViewScrollBar->setSingleStep(static_cast<int>(ScrollStep(view)));
    ViewScrollBar->setValue(view.ViewStart);
  }
  ViewScrollBar->setVisible(shown);
  Gauge->setGeometry(shown ? gaugePlace_.marginsAdded(kGaugeUnderScrollBar) : gaugePlace_);
}

void TMainForm::ViewScrollBarChange(int position) {
  Guarded([&] {
    ScrollView(session_.View, session_.Wave, position);
    DrawWaves();
  });
}

void TMainForm::ScrollToEnd(bool end) {
  Guarded([&] {
    if (!session_.Wave.Loaded()) return;
    ScrollView(session_.View, session_.Wave, end ? session_.Wave.SampleCount() : 0);
    DrawWaves();
    ShowScrollBar();
  });
}

void TMainForm::DropInputQueuedMeanwhile() {
  if (droppingInput_) return;
  droppingInput_ = true;
  QCoreApplication::instance()->installEventFilter(this);
  QCoreApplication::processEvents();
  QCoreApplication::instance()->removeEventFilter(this);
  droppingInput_ = false;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (droppingInput_) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::Wheel:
        return true;
      default: break;
    }
  }
  if (event->type() == QEvent::Wheel && (watched == LPaintBox || watched == RPaintBox)) {
    StripWheel(*static_cast<QWidget*>(watched), *static_cast<QWheelEvent*>(event));
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// Only the view changes, which a playing sound does not read: the wheel works while it plays.
// Turning the wheel away from the user goes toward the sound's start, or zooms in with Ctrl.
void TMainForm::StripWheel(const QWidget& strip, const QWheelEvent& wheel) {
  const QPoint delta = wheel.angleDelta();
  const double notches = (delta.y() != 0 ? delta.y() : delta.x()) / kWheelNotch;
  Guarded([&] {
    if (!session_.Wave.Loaded() || notches == 0) return;
    ViewState& view = session_.View;
    if (wheel.modifiers() & Qt::ControlModifier) {
      const int x = wheel.position().toPoint().x();
      ZoomAround(view, session_.Wave, FrameAtColumn(view, x, strip.width()), x, strip.width(),
                 std::pow(kZoomPerNotch, notches));
    } else {
      ScrollView(view, session_.Wave, view.ViewStart - std::llround(notches * ScrollStep(view)));
    }
    DrawWaves();
    ShowScrollBar();
  });
}
