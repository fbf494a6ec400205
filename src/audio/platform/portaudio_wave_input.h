#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include <portaudio.h>

#include "audio/platform/portaudio_wave_device.h"
#include "audio/platform/wave_input.h"

// The wave input on PortAudio: one input stream whose real-time callback copies the captured
// frames into the buffer at the head of the queue and nothing else. Audio that arrives while no
// buffer is queued is dropped and counted (DroppedFrames).
//
// Threads: every call comes from one user thread. Data notifications come from a thread of this
// class's own, started by Open and joined by Close, one at a time and in queue order; it polls
// for full buffers every couple of milliseconds, since waking it from the real-time callback
// would need a system call there. kWaveInOpened is delivered on the caller's thread before Open
// returns, kWaveInClosed on the caller's thread before Close returns. Reset (and Close, which
// resets first) returns only once every buffer it handed back has been notified. Calls made
// from inside a notification are refused (kFromNotification) rather than deadlocking on it.
//
// Buffers: a header must be prepared before it is queued. The device owns a queued header until
// its data notification: until then it is not to be touched, and Flags carries kHeaderInQueue.
// Only whole frames are recorded, so a buffer whose length is not a whole number of frames
// comes back with the odd bytes unused.
//
// PortAudio is initialised at the first DeviceCount or Open and terminated by the destructor;
// its initialisation is counted, so this class lives alongside other PortAudio users. A device
// still open at destruction is closed without notifications: its owner may be half gone.
class PortAudioWaveInput : public IWaveInput, private PortAudioWaveDevice {
 public:
  static constexpr uint32_t kHeaderDone = kWaveHeaderDone;
  static constexpr uint32_t kHeaderPrepared = kWaveHeaderPrepared;
  static constexpr uint32_t kHeaderInQueue = kWaveHeaderInQueue;
  static constexpr unsigned kMaxQueued = kMaxQueuedHeaders;
  static constexpr unsigned long kFramesPerBuffer = kFramesPerCallback;
  // Results: the codes shared with the other direction, and PortAudio's own (negative).
  using enum WaveDeviceError;

  PortAudioWaveInput();
  ~PortAudioWaveInput() override;
  PortAudioWaveInput(const PortAudioWaveInput&) = delete;
  PortAudioWaveInput& operator=(const PortAudioWaveInput&) = delete;

  unsigned DeviceCount() override;
  std::string DeviceName(int device) override;
  int Open(int device, const WaveFormatEx& format, WaveInNotify notify) override;
  int PrepareHeader(WaveHeader& header) override;
  int UnprepareHeader(WaveHeader& header) override;
  int AddBuffer(WaveHeader& header) override;
  int Start() override;
  int Reset() override;
  int Close() override;
  std::string ErrorText(int code) override;
  uint64_t DroppedFrames() const override;

 private:
  static int StreamCallback(const void* input, void* output, unsigned long frames,
                            const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags flags,
                            void* userData);
  void Capture(const uint8_t* input, unsigned long frames);

  std::atomic<uint64_t> dropped_{0};
};
