#include "audio/platform/portaudio_wave_input.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>


PortAudioWaveInput::PortAudioWaveInput() : PortAudioWaveDevice(false, kWaveInData, kWaveInClosed) {}

PortAudioWaveInput::~PortAudioWaveInput() { Shutdown(false); }

unsigned PortAudioWaveInput::DeviceCount() { return Devices(); }

std::string PortAudioWaveInput::DeviceName(int device) { return NameOf(device); }

int PortAudioWaveInput::Open(int device, const WaveFormatEx& format, WaveInNotify notify) {
  const int result =
      OpenStream(device, format, std::move(notify), &PortAudioWaveInput::StreamCallback, this, paNoFlag,
                 kWaveInOpened);
  // The stream runs only once started, so its state can be set now that it is open.
  if (result == 0) dropped_.store(0);
  return result;
}

int PortAudioWaveInput::PrepareHeader(WaveHeader& header) { return PrepareBuffer(header); }

int PortAudioWaveInput::UnprepareHeader(WaveHeader& header) { return UnprepareBuffer(header); }

int PortAudioWaveInput::AddBuffer(WaveHeader& header) {
  uint32_t flagsBefore = 0;
  return QueueBuffer(header, flagsBefore);
}

int PortAudioWaveInput::Start() {
  if (OnNotificationThread()) return kFromNotification;
  if (!stream_) return kNotOpen;
  if (running_) return 0;
  if (const PaError error = Pa_StartStream(stream_); error != paNoError) return Failed(error);
  running_ = true;
  return 0;
}

int PortAudioWaveInput::Reset() { return ResetStream(); }

int PortAudioWaveInput::Close() { return CloseStream(); }

std::string PortAudioWaveInput::ErrorText(int code) { return Text(code); }

uint64_t PortAudioWaveInput::DroppedFrames() const { return dropped_.load(std::memory_order_relaxed); }

int PortAudioWaveInput::StreamCallback(const void* input, void*, unsigned long frames,
                                       const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags,
                                       void* userData) {
  static_cast<PortAudioWaveInput*>(userData)->Capture(static_cast<const uint8_t*>(input), frames);
  return paContinue;
}

// Runs on the audio system's real-time thread: copies memory and moves indices, nothing that
// could block or allocate.
void PortAudioWaveInput::Capture(const uint8_t* input, unsigned long frames) {
  if (!input) return;
  const size_t frameBytes = frameBytes_;
  while (frames > 0) {
    WaveHeader* header = queued_.Front();
    if (!header) {
      dropped_.fetch_add(frames, std::memory_order_relaxed);
      return;
    }
    const size_t capacity = header->BufferLength / frameBytes;
    const size_t held = header->BytesRecorded / frameBytes;
    const size_t count = std::min<size_t>(frames, capacity - std::min(held, capacity));
    std::memcpy(header->Data + held * frameBytes, input, count * frameBytes);
    header->BytesRecorded = static_cast<uint32_t>((held + count) * frameBytes);
    input += count * frameBytes;
    frames -= count;
    if (held + count >= capacity) {
      done_.Push(header);
      queued_.Pop();
    }
  }
}

