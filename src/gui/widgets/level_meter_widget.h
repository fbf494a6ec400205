#pragma once

#include <QWidget>

#include <array>

#include "state/level_meter.h"

// The recording's level meter: a bar per channel with the peak of the last moment in dBFS, a
// mark at the highest peak of the last second and a clip light, lit from a sample at full scale
// until the meter is clicked or the next recording starts.
class TLevelMeterWidget : public QWidget {
  Q_OBJECT

 public:
  // `meter` must outlive the widget.
  explicit TLevelMeterWidget(LevelMeter& meter, QWidget* parent = nullptr);

  // Takes the levels measured since the last call and shows them.
  void Refresh();
  // Silence, for a recording about to start.
  void Reset();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  struct Channel {
    double PeakDb;
    double HeldDb;
    bool Clipped = false;
  };
  LevelMeter& meter_;
  std::array<Channel, LevelMeter::kChannels> shown_{};
};
