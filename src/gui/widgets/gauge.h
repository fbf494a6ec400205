#pragma once

#include <QProgressBar>

#include "state/progress.h"

// The progress gauge under the strips: 0..100 with its percentage in the middle. Long operations
// run on the user-interface thread, so the gauge paints itself at once instead of waiting for the
// event loop.
class TGauge final : public QProgressBar, public Progress {
  Q_OBJECT

 public:
  explicit TGauge(QWidget* parent = nullptr);

  // Clamps to 0..100 (QProgressBar would ignore such a value).
  void SetProgress(int percent) override;
};
