#pragma once

#include <QWidget>

#include <cstdint>

class PeakSummary;
struct ViewState;
class TWave;

// A strip that shows one channel of the document as the view and selection stand. The picture
// is worked out afresh on every paint, so the strip never shows a stale sound.
class TWaveStrip : public QWidget {
  Q_OBJECT

 public:
  // `wave` and `view` are read on every paint and must outlive the strip.
  TWaveStrip(const TWave& wave, const ViewState& view, bool right, QWidget* parent = nullptr);

  // Paints the background alone, at once; the next paint shows the sound again.
  void Clear();
  // Peaks read from `peaks` (which must outlive the strip or be replaced) instead of the trace;
  // none: the trace. Takes effect at the next paint.
  void ShowPeaks(const PeakSummary* peaks) { peaks_ = peaks; }
  // A line across the strip at `frame` (none when negative or out of view), in the platform's
  // highlight colour; where it was and where it goes are painted again in one pass.
  void ShowCursor(int64_t frame);

 signals:
  // A press, Shift+left excepted.
  void MouseDown(Qt::MouseButton button, int x, int y);
  // The left button held and moved from column `fromX` to `toX` (within the strip); a press that
  // ends where it began, give or take a shaking hand, never drags.
  void MouseDrag(int fromX, int toX);
  // Shift and the left button pressed at column `x`.
  void ShiftClick(int x);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The column of the cursor, or -1 when none shows.
  int CursorColumn() const;

  const TWave& wave_;
  const ViewState& view_;
  const bool right_;
  bool blank_ = false;
  const PeakSummary* peaks_ = nullptr;
  int64_t cursor_ = -1;
  // Where the left button went down, while it is held; dragging_ once it has moved away.
  int pressX_ = -1;
  bool dragging_ = false;
};
