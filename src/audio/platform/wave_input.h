#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The platform's wave input as the recorder sees it: a device opened with a PCM format, to which
// buffers are handed one at a time and from which they come back filled, in the order they were
// queued, with the number of bytes they hold.

// The 18-byte PCM format record, little-endian on disk and on the wire.
struct WaveFormatEx {
  uint16_t FormatTag = 1;
  uint16_t Channels = 1;
  uint32_t SamplesPerSec = 11025;
  uint32_t AvgBytesPerSec = 11025;
  uint16_t BlockAlign = 1;
  uint16_t BitsPerSample = 8;
  uint16_t ExtraSize = 0;
};

// One buffer's header: where its bytes are, how many it can take and how many it holds.
struct WaveHeader {
  uint8_t* Data = nullptr;
  uint32_t BufferLength = 0;
  uint32_t BytesRecorded = 0;
  uintptr_t User = 0;
  uint32_t Flags = 0;
  uint32_t Loops = 0;
  WaveHeader* Next = nullptr;
  uintptr_t Reserved = 0;
};

// What the device tells its owner, and when.
inline constexpr uint32_t kWaveInOpened = 0x3BE;  // from Open, once the device is open
inline constexpr uint32_t kWaveInClosed = 0x3BF;  // from Close, once the device is closed
inline constexpr uint32_t kWaveInData = 0x3C0;    // a buffer came back; its BytesRecorded says how full

// Called for every notification, with the header of the buffer for kWaveInData (nullptr else).
// Data notifications arrive on a thread of the device's own, one at a time, in queue order; the
// others may arrive on that thread or on the caller's.
using WaveInNotify = std::function<void(uint32_t message, WaveHeader* header)>;

// Results are 0 for success, else an error code that ErrorText explains.
class IWaveInput {
 public:
  virtual ~IWaveInput() = default;

  // How many devices can record.
  virtual unsigned DeviceCount() = 0;
  // The name of device `device` (0 .. DeviceCount − 1; −1: the default one); empty for none.
  virtual std::string DeviceName(int device) = 0;
  // Opens device `device` (−1: the system's default input) for `format`, not yet capturing.
  virtual int Open(int device, const WaveFormatEx& format, WaveInNotify notify) = 0;
  virtual int PrepareHeader(WaveHeader& header) = 0;
  virtual int UnprepareHeader(WaveHeader& header) = 0;
  // Queues a prepared buffer; it comes back once full (or at Reset).
  virtual int AddBuffer(WaveHeader& header) = 0;
  virtual int Start() = 0;
  // Stops capturing and hands back every queued buffer, each with what it holds so far.
  virtual int Reset() = 0;
  virtual int Close() = 0;
  // The text of an error code; empty when there is none.
  virtual std::string ErrorText(int code) = 0;
  // Frames that arrived while no buffer was queued, since Open.
  virtual uint64_t DroppedFrames() const = 0;
};
