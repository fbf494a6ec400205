#include "gui/dialogs/spectrum_form.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPolygon>

#include "gui/dialogs/tool_form.h"
#include "state/view_state.h"
#include "analysis/spectrum.h"
#include "gui/widgets/spectrum_widget.h"
#include "wave/wave_document.h"

namespace {

constexpr int kClientWidth = 312;
constexpr int kClientHeight = 206;
constexpr int kMaxUpDown = 100;
constexpr int kDefaultYScale = 5;
constexpr int kDefaultY0 = 10;


TUpDown* MakeUpDown(QWidget* parent, const char* name, int left, int position,
                    const QString& hint) {
  auto* upDown = Named(new TUpDown(parent), name);
  upDown->setRange(0, kMaxUpDown);
  upDown->setValue(position);
  upDown->setGeometry(left, 8, 17, 25);
  upDown->setProperty("hint", hint);
  upDown->setToolTip(hint);
  return upDown;
}

void DrawCurve(QPainter& painter, const std::array<double, kSpectrumBins>& powers,
               const QSize& size, int yScale, int y0, const QColor& colour) {
  QPolygon curve;
  curve.reserve(kSpectrumBins);
  for (const SpectrumPoint& point : SpectrumPoints(powers, size.width(), size.height(), yScale, y0))
    curve.append(QPoint(point.X, point.Y));
  painter.setPen(QPen(colour, 1));
  painter.drawPolyline(curve);
}

}  // namespace

// No minimise box: the window is shown and hidden from the main window's "View" page, and it lies
// on top of the other windows so that it can be watched while the sound is worked on.
TSpectrumForm::TSpectrumForm(const TWave& wave, const ViewState& view, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      wave_(wave),
      view_(view) {
  setObjectName(QStringLiteral("SpectrumForm"));
  setWindowTitle(tr("Spectrum"));
  // Closing must never destroy the one instance.
  setAttribute(Qt::WA_DeleteOnClose, false);
  // Fonts do not pass on to windows by themselves; this one looks like the window it serves.
  if (parent) setFont(parent->font());
  resize(kClientWidth, kClientHeight);
  // Narrower than this, the surface and its label would no longer fit.
  setMinimumSize(kClientWidth, kClientHeight);

  SpectrumPaintBox = Named(new TSpectrumPaintBox(this), "SpectrumPaintBox");
  // From the first showing on, the surface's size follows the window's (FormResize).
  SpectrumPaintBox->setGeometry(8, 8, 296, 170);
  fLabel = Named(new QLabel(tr("f [Hz]"), this), "fLabel");
  fLabel->move(143, 184);
  fLabel->adjustSize();
  // Made after the surface, so that they lie over its top-left corner.
  YScaleUpDown = MakeUpDown(this, "YScaleUpDown", 8, kDefaultYScale, tr("Set scale"));
  Y0UpDown = MakeUpDown(this, "Y0UpDown", 32, kDefaultY0, tr("Set origin"));

  connect(SpectrumPaintBox, &TSpectrumPaintBox::Paint, this, &TSpectrumForm::SpectrumPaintBoxPaint);
  connect(SpectrumPaintBox, &TSpectrumPaintBox::MouseMove, this,
          &TSpectrumForm::SpectrumPaintBoxMouseMove);
  connect(YScaleUpDown, &QSpinBox::valueChanged, this, &TSpectrumForm::YScaleUpDownClick);
  connect(Y0UpDown, &QSpinBox::valueChanged, this, &TSpectrumForm::Y0UpDownClick);
}

// Drawing happens in the surface's paint: a repaint now, so that the user sees the new spectrum
// before the next command starts.
// The readout follows too: another sound may have another rate.
void TSpectrumForm::DrawSpectrum() {
  SpectrumPaintBox->repaint();
  ShowFrequencyReadout();
}

void TSpectrumForm::SpectrumPaintBoxPaint(QPainter& painter) {
  painter.fillRect(SpectrumPaintBox->rect(), palette().color(QPalette::Window));
  if (!wave_.Loaded()) return;
  const SpectrumPowers powers = ComputeSpectrum(wave_, view_.Sel.SelStart);
  const QSize size = SpectrumPaintBox->size();
  const int yScale = YScaleUpDown->value(), y0 = Y0UpDown->value();
  if (view_.Sel.Left) DrawCurve(painter, powers.Left, size, yScale, y0, QColor(255, 0, 0));
  if (view_.Sel.Right) DrawCurve(painter, powers.Right, size, yScale, y0, QColor(0, 255, 0));
}

void TSpectrumForm::SpectrumPaintBoxMouseMove(int x, int) {
  readoutX_ = x;
  ShowFrequencyReadout();
}

void TSpectrumForm::ShowFrequencyReadout() {
  if (!readoutX_) return;
  const int64_t frequency = SpectrumFrequencyAt(wave_.SampleRate(), *readoutX_, SpectrumPaintBox->width());
  setWindowTitle(tr("Spectrum - %1 Hz").arg(frequency));
}

void TSpectrumForm::YScaleUpDownClick() {
  DrawSpectrum();
}

void TSpectrumForm::Y0UpDownClick() {
  DrawSpectrum();
}

// The label keeps its place centred under the surface, whatever the window's size.
void TSpectrumForm::FormResize() {
  SpectrumPaintBox->resize(width() - 16, height() - 32);
  fLabel->move(SpectrumPaintBox->width() / 2 - fLabel->width() / 2 + 8,
               SpectrumPaintBox->height() + 14);
}

void TSpectrumForm::FormClose() {
  if (OnClose) OnClose();
}

void TSpectrumForm::closeEvent(QCloseEvent* event) {
  event->accept();
  FormClose();
}

void TSpectrumForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}
