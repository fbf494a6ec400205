#pragma once

// The progress gauge as the engine sees it: 0..100; the window repaints at once.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void SetProgress(int percent) = 0;
};

class NoProgress final : public Progress {
 public:
  void SetProgress(int) override {}
};
