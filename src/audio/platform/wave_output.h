#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "audio/platform/wave_input.h"

// The platform's wave output as the player sees it: a device opened with a PCM format, to which
// buffers are written one at a time and which hands each back once it has been played, in the
// order they were written. The format record and the buffer header are the wave input's.

// What the device tells its owner, and when.
inline constexpr uint32_t kWaveOutOpened = 0x3BB;  // from Open, once the device is open
inline constexpr uint32_t kWaveOutClosed = 0x3BC;  // from Close, once the device is closed
inline constexpr uint32_t kWaveOutDone = 0x3BD;    // a buffer has been played (or handed back by Reset)

// Called for every notification, with the header of the buffer for kWaveOutDone (nullptr else).
// Done notifications arrive on a thread of the device's own, one at a time, in queue order; the
// others may arrive on that thread or on the caller's.
using WaveOutNotify = std::function<void(uint32_t message, WaveHeader* header)>;

// Results are 0 for success, else an error code that ErrorText explains.
class IWaveOutput {
 public:
  virtual ~IWaveOutput() = default;

  // How many devices can play.
  virtual unsigned DeviceCount() = 0;
  // The name of device `device` (0 .. DeviceCount − 1; −1: the default one); empty for none.
  virtual std::string DeviceName(int device) = 0;
  // Opens device `device` (−1: the system's default output) for `format`; nothing plays until
  // the first Write.
  virtual int Open(int device, const WaveFormatEx& format, WaveOutNotify notify) = 0;
  virtual int PrepareHeader(WaveHeader& header) = 0;
  virtual int UnprepareHeader(WaveHeader& header) = 0;
  // Queues a prepared buffer of BufferLength bytes to play after those already queued; it comes
  // back once played (or at Reset).
  virtual int Write(WaveHeader& header) = 0;
  // Stops playing and hands back every queued buffer, in queue order.
  virtual int Reset() = 0;
  virtual int Close() = 0;
  // The text of an error code; empty when there is none.
  virtual std::string ErrorText(int code) = 0;
};
