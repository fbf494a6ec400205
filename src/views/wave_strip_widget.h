#pragma once

#include <QWidget>

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

 signals:
  // Only presses count: selecting is done by clicking, never by dragging.
  void MouseDown(Qt::MouseButton button, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const TWave& wave_;
  const ViewState& view_;
  const bool right_;
  bool blank_ = false;
};
