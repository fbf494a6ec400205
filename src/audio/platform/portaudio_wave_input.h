#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include <portaudio.h>

#include "audio/platform/capture_backlog.h"
#include "audio/platform/portaudio_wave_device.h"
#include "audio/platform/wave_input.h"

// The wave input on PortAudio: one input stream whose real-time callback copies the captured
// frames into the buffer at the head of the queue and nothing else. Audio that arrives while no
// buffer is queued waits in a backlog of two seconds, set aside at Open, and goes into the next
// buffers queued before anything newer, so an owner that is late to hand a buffer back loses
// nothing. Only what the full backlog cannot take is dropped and counted (DroppedFrames).
//
// Reset and Close hand the backlog out too: it was captured before the stop, so it fills the
// buffers still queued, in order, before they come back. What does not fit them is dropped and
// counted, since no buffer is left to hold it and the next Start begins afresh.
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
  // Copies up to `frames` frames into the queued buffers, handing back each one it fills; returns
  // how many it took.
  size_t Deliver(const uint8_t* from, size_t frames);
  // Moves the backlog into the queued buffers as far as they take it.
  void DeliverBacklog();
  void Stopped() override;

  CaptureBacklog backlog_;
  std::atomic<uint64_t> dropped_{0};
};
