#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "audio/platform/wave_input.h"

// A wave input driven by the test, buffer by buffer, on the test's own thread: Fill hands the
// oldest queued buffer back with the bytes given. Any call can be made to fail with a code.
class TestWaveInput final : public IWaveInput {
 public:
  unsigned Devices = 1;
  // The code each call returns (0: success); PrepareHeader fails only for the header numbered
  // FailingHeader (0..3) when set.
  int OpenResult = 0, PrepareResult = 0, AddResult = 0, StartResult = 0, ResetResult = 0, UnprepareResult = 0,
      CloseResult = 0;
  int FailingHeader = -1;
  // AddBuffer fails from this call on (counting from 1), when AddResult is set.
  int AddFailsFrom = 1;

  // Fills the oldest queued buffer with `bytes` (at most its length) and reports it.
  void Fill(const std::vector<uint8_t>& bytes);
  size_t Queued() const { return queue_.size(); }
  int AddCalls() const { return addCalls_; }
  bool IsOpen() const { return open_; }

  unsigned DeviceCount() override { return Devices; }
  std::string DeviceName(int device) override { return "test input " + std::to_string(device); }
  int Open(int device, const WaveFormatEx& format, WaveInNotify notify) override;
  int PrepareHeader(WaveHeader& header) override;
  int UnprepareHeader(WaveHeader& header) override;
  int AddBuffer(WaveHeader& header) override;
  int Start() override { return StartResult; }
  int Reset() override;
  int Close() override;
  std::string ErrorText(int code) override { return code == 0 ? "" : "test error " + std::to_string(code); }
  uint64_t DroppedFrames() const override { return 0; }

  WaveFormatEx Format;

 private:
  WaveInNotify notify_;
  std::deque<WaveHeader*> queue_;
  bool open_ = false;
  int prepared_ = 0;
  int addCalls_ = 0;
};
