#pragma once

#include <cstdint>
#include <string>

#include <portaudio.h>

#include "audio/platform/portaudio_wave_device.h"
#include "audio/platform/wave_output.h"

// The wave output on PortAudio: one output stream whose real-time callback copies the frames of
// the buffer at the head of the queue into the device and nothing else. While no buffer is
// queued the device plays silence, the middle of the sample range (128 for 8-bit, 0 for 16-bit).
// The stream starts at the first Write after Open or Reset and runs until the next Reset or
// Close, so buffers written back to back play without a gap between them.
//
// Buffers: a header must be prepared before it is written. The device owns a written header
// until its done notification: until then it is not to be touched, and Flags carries
// kWaveHeaderInQueue. A buffer counts as played once its last frame has been handed to the device.
// Only whole frames are played, so the odd bytes of a buffer that is not a whole number of
// frames are skipped. Loops and the loop flags are not honoured: every buffer plays once.
//
// Threads, notifications and PortAudio's lifetime: as PortAudioWaveDevice says.
class PortAudioWaveOutput : public IWaveOutput, private PortAudioWaveDevice {
 public:
  // Results: the codes shared with the other direction, and PortAudio's own (negative).
  using enum WaveDeviceError;

  PortAudioWaveOutput();
  ~PortAudioWaveOutput() override;
  PortAudioWaveOutput(const PortAudioWaveOutput&) = delete;
  PortAudioWaveOutput& operator=(const PortAudioWaveOutput&) = delete;

  unsigned DeviceCount() override;
  std::string DeviceName(int device) override;
  int Open(int device, const WaveFormatEx& format, WaveOutNotify notify) override;
  int PrepareHeader(WaveHeader& header) override;
  int UnprepareHeader(WaveHeader& header) override;
  int Write(WaveHeader& header) override;
  int Reset() override;
  int Close() override;
  std::string ErrorText(int code) override;

 private:
  static int StreamCallback(const void* input, void* output, unsigned long frames,
                            const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags flags,
                            void* userData);
  void Play(uint8_t* output, unsigned long frames);
  void Stopped() override;

  // Fixed while the stream exists.
  uint8_t silence_ = 0;
  // Bytes of the head buffer already played: the callback's alone while the stream runs.
  size_t played_ = 0;
};
