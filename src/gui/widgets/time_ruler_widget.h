#pragma once

#include <QWidget>

struct ViewState;
class TWave;

// The time ruler above the strips: the view's time in seconds, its ticks at the columns the
// strips below, as wide as it, show those times at. Worked out afresh on every paint.
class TTimeRuler : public QWidget {
  Q_OBJECT

 public:
  // `wave` and `view` are read on every paint and must outlive the ruler.
  TTimeRuler(const TWave& wave, const ViewState& view, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const TWave& wave_;
  const ViewState& view_;
};
