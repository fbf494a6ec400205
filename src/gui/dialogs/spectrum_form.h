#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPainter;
class TSpectrumPaintBox;
class TUpDown;
class TWave;
struct ViewState;

// The spectrum window: the power spectrum of the 1024 frames from the selection start, red for
// the left channel and green for the right, as far as their channel flags are on. It is made once
// and only shown and hidden afterwards, so the scale and origin the user set stay as they were.
class TSpectrumForm final : public QWidget {
  Q_OBJECT

 public:
  // `wave` and `view` are read at every drawing and must outlive the window.
  TSpectrumForm(const TWave& wave, const ViewState& view, QWidget* parent = nullptr);

  // Called when the user closes the window, which is then hidden, not destroyed.
  std::function<void()> OnClose;

  // Works the spectrum out afresh and draws it now; a hidden window draws when next shown.
  void DrawSpectrum();

  TSpectrumPaintBox* SpectrumPaintBox = nullptr;
  QLabel* fLabel = nullptr;
  TUpDown* YScaleUpDown = nullptr;
  TUpDown* Y0UpDown = nullptr;

 public slots:
  void FormResize();
  void SpectrumPaintBoxPaint(QPainter& painter);
  void SpectrumPaintBoxMouseMove(int x, int y);
  void YScaleUpDownClick();
  void Y0UpDownClick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FormClose();
  // The frequency under the pointer's last column, in the title, for the sound as it is now.
  void ShowFrequencyReadout();

  const TWave& wave_;
  const ViewState& view_;
  // Where the pointer last moved over the surface; none before it has.
  std::optional<int> readoutX_;
};
