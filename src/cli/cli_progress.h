#pragma once

#include <cstdio>

#include "state/progress.h"
#include "wave/wave_document.h"

// The --progress bar: one line on standard error, redrawn in place, and only when standard
// error is a terminal, so that logs and pipes never fill with carriage returns.
class CliProgress final : public Progress {
 public:
  CliProgress(bool requested, std::FILE* stream);

  void SetProgress(int percent) override;
  // Removes the bar once a command is over; the routines leave the gauge at 0, which is not
  // worth a line of its own.
  void Finish();

  bool Enabled() const { return enabled_; }

 private:
  std::FILE* stream_;
  bool enabled_;
  int shown_ = -1;
};

// The handler for TWave::OnProgress: the conversions report 0..100, then -1 when done.
TProgressEvent WaveProgressHandler(CliProgress& progress);
