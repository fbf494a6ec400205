#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "audio/platform/wave_output.h"

// A wave output driven by the test, on the test's own thread: PlayNext plays the oldest queued
// buffer into Played and hands it back. Any call can be made to fail with a code.
class TestWaveOutput final : public IWaveOutput {
 public:
  unsigned Devices = 1;
  int OpenResult = 0, PrepareResult = 0, WriteResult = 0, ResetResult = 0, UnprepareResult = 0, CloseResult = 0;
  // Write fails from this call on (counting from 1), when WriteResult is set.
  int WriteFailsFrom = 1;

  // Plays the oldest queued buffer; false when none is queued.
  bool PlayNext();
  size_t Queued() const { return queue_.size(); }
  bool IsOpen() const { return open_; }
  int Writes() const { return writes_; }

  unsigned DeviceCount() override { return Devices; }
  std::string DeviceName(int device) override { return "test output " + std::to_string(device); }
  int Open(int device, const WaveFormatEx& format, WaveOutNotify notify) override;
  int PrepareHeader(WaveHeader&) override { return PrepareResult; }
  int UnprepareHeader(WaveHeader&) override { return UnprepareResult; }
  int Write(WaveHeader& header) override;
  int Reset() override;
  int Close() override;
  std::string ErrorText(int code) override { return code == 0 ? "" : "test error " + std::to_string(code); }

  WaveFormatEx Format;
  std::vector<uint8_t> Played;

 private:
  WaveOutNotify notify_;
  std::deque<WaveHeader*> queue_;
  bool open_ = false;
  int writes_ = 0;
};
