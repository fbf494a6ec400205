#pragma once

#include <QSpinBox>
#include <QWidget>

class QPainter;

// The surface the spectrum is drawn on. It draws nothing of its own: each paint is handed to the
// owner, which works the picture out afresh, so the surface never shows a stale sound.
class TSpectrumPaintBox : public QWidget {
  Q_OBJECT

 public:
  explicit TSpectrumPaintBox(QWidget* parent = nullptr);

 signals:
  void Paint(QPainter& painter);
  // Every move over the surface, with or without a button down.
  void MouseMove(int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
};

// An up-down without a text field: two arrows that step a value which is seen only through what
// it changes. Keys and the wheel step it as in any spin box.
class TUpDown : public QSpinBox {
  Q_OBJECT

 public:
  explicit TUpDown(QWidget* parent = nullptr);

  // Each notch of the wheel steps `step` values (Page Up and Page Down step ten singles).
  void SetWheelStep(int step) { wheelStep_ = step; }

 protected:
  void wheelEvent(QWheelEvent* event) override;

 private:
  int wheelStep_ = 1;
  int wheelAngle_ = 0;
};
