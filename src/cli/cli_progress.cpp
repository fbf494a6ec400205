#include "cli/cli_progress.h"

#include <unistd.h>

#include <algorithm>
#include <string>

namespace {

constexpr int kBarWidth = 40;

}  // namespace

CliProgress::CliProgress(bool requested, std::FILE* stream)
    : stream_(stream), enabled_(requested && isatty(fileno(stream))) {}

void CliProgress::SetProgress(int percent) {
  if (!enabled_) return;
  percent = std::clamp(percent, 0, 100);
  if (percent == shown_) return;
  shown_ = percent;
  const int filled = percent * kBarWidth / 100;
  const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
  std::fprintf(stream_, "\r[%s] %3d%%", bar.c_str(), percent);
  std::fflush(stream_);
}

void CliProgress::Finish() {
  if (!enabled_ || shown_ < 0) return;
  std::fprintf(stream_, "\r%*s\r", kBarWidth + 8, "");
  std::fflush(stream_);
  shown_ = -1;
}

TProgressEvent WaveProgressHandler(CliProgress& progress) {
  return [&progress](TWave&, int8_t value) {
    if (value < 0) {
      progress.Finish();
    } else {
      progress.SetProgress(value);
    }
  };
}
