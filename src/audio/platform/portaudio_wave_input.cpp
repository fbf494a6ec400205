#include "audio/platform/portaudio_wave_input.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>
#include "audio/platform/portaudio_quiet.h"

namespace {

// How long the notification thread sleeps when no buffer is full: short against any buffer the
// recorder uses, long enough to cost nothing while waiting.
constexpr auto kPollInterval = std::chrono::milliseconds(2);

std::atomic_ref<uint32_t> FlagsOf(WaveHeader& header) { return std::atomic_ref<uint32_t>(header.Flags); }

}  // namespace

void PortAudioWaveInput::HeaderRing::Clear() {
  write_.store(0, std::memory_order_relaxed);
  read_.store(0, std::memory_order_relaxed);
}

WaveHeader* PortAudioWaveInput::HeaderRing::Front() const {
  const uint64_t read = read_.load(std::memory_order_relaxed);
  return read == write_.load(std::memory_order_acquire) ? nullptr : slots_[read % kMaxQueued];
}

void PortAudioWaveInput::HeaderRing::Pop() {
  read_.store(read_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

void PortAudioWaveInput::HeaderRing::Push(WaveHeader* header) {
  const uint64_t write = write_.load(std::memory_order_relaxed);
  slots_[write % kMaxQueued] = header;
  write_.store(write + 1, std::memory_order_release);
}

PortAudioWaveInput::~PortAudioWaveInput() {
  Shutdown(false);
  if (initialized_) Pa_Terminate();
}

unsigned PortAudioWaveInput::DeviceCount() {
  if (EnsureInitialized() != paNoError) return 0;
  unsigned count = 0;
  for (PaDeviceIndex i = 0, n = Pa_GetDeviceCount(); i < n; ++i) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
    if (info && info->maxInputChannels > 0) ++count;
  }
  return count;
}

int PortAudioWaveInput::Open(int device, const WaveFormatEx& format, WaveInNotify notify) {
  if (OnNotificationThread()) return kFromNotification;
  if (stream_) return kAlreadyOpen;
  const bool pcm = format.FormatTag == 1 && format.Channels > 0 && format.SamplesPerSec > 0 &&
                   (format.BitsPerSample == 8 || format.BitsPerSample == 16) &&
                   format.BlockAlign == format.Channels * format.BitsPerSample / 8;
  if (!pcm) return kBadFormat;
  if (const PaError error = EnsureInitialized(); error != paNoError) return Failed(error);
  const PaDeviceIndex index = FindDevice(device);
  const PaDeviceInfo* info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
  if (!info) return kNoSuchDevice;

  PaStreamParameters input{};
  input.device = index;
  input.channelCount = format.Channels;
  input.sampleFormat = format.BitsPerSample == 8 ? paUInt8 : paInt16;
  input.suggestedLatency = info->defaultLowInputLatency;
  frameBytes_ = format.BlockAlign;
  added_.Clear();
  filled_.Clear();
  notified_.store(0);
  dropped_.store(0);

  PaStream* stream = nullptr;
  if (const PaError error = Pa_OpenStream(&stream, &input, nullptr, format.SamplesPerSec,
                                          kFramesPerBuffer, paNoFlag,
                                          &PortAudioWaveInput::StreamCallback, this);
      error != paNoError) {
    return Failed(error);
  }
  notify_ = std::move(notify);
  quit_.store(false);
  quiet_.store(false);
  try {
    notifier_ = std::thread([this] { NotificationLoop(); });
  } catch (const std::system_error&) {
    Pa_CloseStream(stream);
    notify_ = nullptr;
    return kNoThread;
  }
  stream_ = stream;
  if (notify_) notify_(kWaveInOpened, nullptr);
  return 0;
}

int PortAudioWaveInput::PrepareHeader(WaveHeader& header) {
  if (!header.Data || header.BufferLength == 0) return kBadBuffer;
  FlagsOf(header).fetch_or(kHeaderPrepared);
  return 0;
}

int PortAudioWaveInput::UnprepareHeader(WaveHeader& header) {
  auto flags = FlagsOf(header);
  if (flags.load() & kHeaderInQueue) return kStillQueued;
  flags.fetch_and(~kHeaderPrepared);
  return 0;
}

int PortAudioWaveInput::AddBuffer(WaveHeader& header) {
  if (OnNotificationThread()) return kFromNotification;
  if (!stream_) return kNotOpen;
  auto flags = FlagsOf(header);
  const uint32_t now = flags.load();
  if (!(now & kHeaderPrepared)) return kNotPrepared;
  if (now & kHeaderInQueue) return kAlreadyQueued;
  if (!header.Data || header.BufferLength < frameBytes_) return kBadBuffer;
  // Every header the device holds sits in one of the two rings; bounding their sum bounds both.
  if (added_.Pushed() - filled_.Popped() >= kMaxQueued) return kQueueFull;
  header.BytesRecorded = 0;
  flags.store((now & ~kHeaderDone) | kHeaderInQueue);
  added_.Push(&header);
  return 0;
}

int PortAudioWaveInput::Start() {
  if (OnNotificationThread()) return kFromNotification;
  if (!stream_) return kNotOpen;
  if (running_) return 0;
  if (const PaError error = Pa_StartStream(stream_); error != paNoError) return Failed(error);
  running_ = true;
  return 0;
}

int PortAudioWaveInput::Reset() {
  if (OnNotificationThread()) return kFromNotification;
  if (!stream_) return kNotOpen;
  if (const int error = StopStream(); error != 0) return error;
  ReturnQueued();
  return 0;
}

int PortAudioWaveInput::Close() {
  if (OnNotificationThread()) return kFromNotification;
  if (!stream_) return kNotOpen;
  StopStream();
  // Closing an active stream aborts it, so past this point the callback is gone for certain and
  // the queued buffers can be handed back even if stopping failed. The device counts as closed
  // whatever PortAudio answers.
  const PaError error = Pa_CloseStream(stream_);
  stream_ = nullptr;
  running_ = false;
  ReturnQueued();
  Shutdown(true);
  return error == paNoError ? 0 : Failed(error);
}

std::string PortAudioWaveInput::ErrorText(int code) {
  switch (code) {
    case 0: return "";
    case kNoSuchDevice: return "no such input device";
    case kBadFormat: return "unsupported wave format: only 8- or 16-bit PCM with a block align of one frame";
    case kAlreadyOpen: return "the input device is already open";
    case kNotOpen: return "the input device is not open";
    case kBadBuffer: return "the buffer has no memory or is smaller than one frame";
    case kNotPrepared: return "the buffer is not prepared";
    case kAlreadyQueued: return "the buffer is already queued";
    case kStillQueued: return "the buffer is still queued; reset the device first";
    case kQueueFull: return "too many buffers queued (at most " + std::to_string(kMaxQueued) + ")";
    case kFromNotification: return "the input device cannot be called from its own notification";
    case kNoThread: return "could not start the input device's notification thread";
  }
  if (code > 0) return "";
  std::string text = Pa_GetErrorText(code);
  if (code == paUnanticipatedHostError && !hostErrorText_.empty()) text += ": " + hostErrorText_;
  return text;
}

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
    WaveHeader* header = added_.Front();
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
      filled_.Push(header);
      added_.Pop();
    }
  }
}

void PortAudioWaveInput::NotificationLoop() {
  for (;;) {
    if (WaveHeader* header = filled_.Front()) {
      filled_.Pop();
      auto flags = FlagsOf(*header);
      flags.store((flags.load() & ~kHeaderInQueue) | kHeaderDone);
      if (notify_ && !quiet_.load()) notify_(kWaveInData, header);
      notified_.fetch_add(1, std::memory_order_release);
      notified_.notify_all();
      continue;
    }
    // Checked only once the ring is empty, so that nothing pushed before the request is lost.
    if (quit_.load(std::memory_order_acquire)) return;
    std::this_thread::sleep_for(kPollInterval);
  }
}

PaError PortAudioWaveInput::EnsureInitialized() {
  if (initialized_) return paNoError;
  const PaError error = InitializePortAudioQuietly();
  initialized_ = error == paNoError;
  return error;
}

PaDeviceIndex PortAudioWaveInput::FindDevice(int device) {
  if (device == -1) return Pa_GetDefaultInputDevice();
  if (device < 0) return paNoDevice;
  for (PaDeviceIndex i = 0, n = Pa_GetDeviceCount(); i < n; ++i) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
    if (info && info->maxInputChannels > 0 && device-- == 0) return i;
  }
  return paNoDevice;
}

// Once this returns 0 the callback has run for the last time until the next Start.
int PortAudioWaveInput::StopStream() {
  if (!running_) return 0;
  if (const PaError error = Pa_StopStream(stream_); error != paNoError) {
    // A stream that failed by itself may refuse an orderly stop; aborting still ends it.
    if (Pa_AbortStream(stream_) != paNoError && Pa_IsStreamStopped(stream_) != 1) return Failed(error);
  }
  running_ = false;
  return 0;
}

// With the callback stopped, the user thread stands in for it: every buffer still queued goes to
// the notification thread, the partly filled head with what it holds, the others empty.
void PortAudioWaveInput::ReturnQueued() {
  while (WaveHeader* header = added_.Front()) {
    filled_.Push(header);
    added_.Pop();
  }
  const uint64_t target = filled_.Pushed();
  for (uint64_t done = notified_.load(std::memory_order_acquire); done < target;
       done = notified_.load(std::memory_order_acquire)) {
    notified_.wait(done, std::memory_order_acquire);
  }
}

void PortAudioWaveInput::Shutdown(bool notifyOwner) {
  if (!notifyOwner) quiet_.store(true);
  if (stream_) {
    Pa_AbortStream(stream_);
    Pa_CloseStream(stream_);
    stream_ = nullptr;
    running_ = false;
  }
  if (notifier_.joinable()) {
    quit_.store(true, std::memory_order_release);
    notifier_.join();
    if (notifyOwner && notify_) notify_(kWaveInClosed, nullptr);
  }
  notify_ = nullptr;
}

bool PortAudioWaveInput::OnNotificationThread() const {
  return notifier_.joinable() && notifier_.get_id() == std::this_thread::get_id();
}

int PortAudioWaveInput::Failed(PaError error) {
  hostErrorText_.clear();
  if (error == paUnanticipatedHostError) {
    if (const PaHostErrorInfo* info = Pa_GetLastHostErrorInfo(); info && info->errorText)
      hostErrorText_ = info->errorText;
  }
  return error;
}
