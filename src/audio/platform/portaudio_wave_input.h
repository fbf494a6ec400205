#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include <portaudio.h>

#include "audio/platform/portaudio_wave_device.h"
#include "audio/platform/wave_input.h"

// The wave input on PortAudio: one input stream whose real-time callback copies the captured
// frames into the buffer at the head of the queue and nothing else. Audio that arrives while no
// buffer is queued is dropped and counted (DroppedFrames).
//
// Buffers: a header must be prepared before it is queued. The device owns a queued header until
// its data notification: until then it is not to be touched, and Flags carries kWaveHeaderInQueue.
// Only whole frames are recorded, so a buffer whose length is not a whole number of frames
// comes back with the odd bytes unused.
//
// Threads, notifications and PortAudio's lifetime: as PortAudioWaveDevice says.
class PortAudioWaveInput : public IWaveInput, private PortAudioWaveDevice {
 public:
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
