#include "audio/platform/portaudio_wave_input.h"

#include "audio/platform/sound_system_watch.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>


namespace {
// What the backlog holds: far more than a loaded machine keeps a buffer from coming back.
constexpr size_t kBacklogSeconds = 2;
}  // namespace

PortAudioWaveInput::PortAudioWaveInput() : PortAudioWaveDevice(false, kWaveInData, kWaveInClosed) {}

PortAudioWaveInput::~PortAudioWaveInput() { Shutdown(false); }

unsigned PortAudioWaveInput::DeviceCount() { return Devices(); }

std::string PortAudioWaveInput::DeviceName(int device) { return NameOf(device); }

int PortAudioWaveInput::Open(int device, const WaveFormatEx& format, WaveInNotify notify) {
  // Set aside before the stream exists, so that a refusal leaves nothing open; OpenStream refuses
  // the other cases before it looks at the backlog.
  if (!stream_ && !OnNotificationThread() && IsDevicePcm(format)) {
    try {
      backlog_.Allocate(size_t{format.SamplesPerSec} * kBacklogSeconds, format.BlockAlign);
    } catch (const std::bad_alloc&) {
      return kNoMemory;
    }
  }
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
  if (const PaError error = CallSoundSystem(Pa_StartStream, stream_); error != paNoError) return Failed(error);
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
  // Frames held back go first: nothing may overtake them.
  DeliverBacklog();
  if (backlog_.Empty()) {
    const size_t taken = Deliver(input, frames);
    input += taken * frameBytes_;
    frames -= taken;
  }
  if (frames > 0) dropped_.fetch_add(frames - backlog_.Put(input, frames), std::memory_order_relaxed);
}

size_t PortAudioWaveInput::Deliver(const uint8_t* from, size_t frames) {
  const size_t frameBytes = frameBytes_;
  size_t taken = 0;
  while (taken < frames) {
    WaveHeader* header = queued_.Front();
    if (!header) break;
    const size_t capacity = header->BufferLength / frameBytes;
    const size_t held = header->BytesRecorded / frameBytes;
    const size_t count = std::min<size_t>(frames - taken, capacity - std::min(held, capacity));
    std::memcpy(header->Data + held * frameBytes, from + taken * frameBytes, count * frameBytes);
    header->BytesRecorded = static_cast<uint32_t>((held + count) * frameBytes);
    taken += count;
    if (held + count >= capacity) {
      HandBack(header);
      queued_.Pop();
    }
  }
  return taken;
}

void PortAudioWaveInput::DeliverBacklog() {
  while (!backlog_.Empty()) {
    const std::span<const uint8_t> oldest = backlog_.Front();
    const size_t taken = Deliver(oldest.data(), oldest.size() / frameBytes_);
    if (taken == 0) return;
    backlog_.Drop(taken);
  }
}

void PortAudioWaveInput::Stopped() {
  DeliverBacklog();
  dropped_.fetch_add(backlog_.Frames(), std::memory_order_relaxed);
  backlog_.Clear();
}
