#include "test_wave_output.h"

bool TestWaveOutput::PlayNext() {
  if (queue_.empty()) return false;
  WaveHeader* header = queue_.front();
  queue_.pop_front();
  Played.insert(Played.end(), header->Data, header->Data + header->BufferLength);
  notify_(kWaveOutDone, header);
  return true;
}

int TestWaveOutput::Open(int, const WaveFormatEx& format, WaveOutNotify notify) {
  if (OpenResult != 0) return OpenResult;
  Format = format;
  notify_ = std::move(notify);
  open_ = true;
  writes_ = 0;
  notify_(kWaveOutOpened, nullptr);
  return 0;
}

int TestWaveOutput::Write(WaveHeader& header) {
  ++writes_;
  if (WriteResult != 0 && writes_ >= WriteFailsFrom) return WriteResult;
  queue_.push_back(&header);
  return 0;
}

int TestWaveOutput::Reset() {
  if (ResetResult != 0) return ResetResult;
  // Handed back unplayed.
  while (!queue_.empty()) {
    WaveHeader* header = queue_.front();
    queue_.pop_front();
    notify_(kWaveOutDone, header);
  }
  return 0;
}

int TestWaveOutput::Close() {
  if (CloseResult != 0) return CloseResult;
  open_ = false;
  notify_(kWaveOutClosed, nullptr);
  return 0;
}
