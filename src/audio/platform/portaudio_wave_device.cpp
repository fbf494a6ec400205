#include "audio/platform/portaudio_wave_device.h"

#include "audio/platform/portaudio_formats.h"
#include "audio/platform/portaudio_quiet.h"
#include "audio/platform/sound_system_watch.h"
#include "wave/wave_header.h"

#include <cerrno>
#include <system_error>

std::string WaveDeviceErrorText(int code, const char* direction, const std::string& hostErrorText) {
  const std::string device = std::string("the ") + direction + " device";
  switch (code) {
    case 0: return "";
    case kNoSuchDevice: return std::string("no such ") + direction + " device";
    case kBadFormat: return "unsupported wave format: only 8-, 16- or 24-bit PCM with a block align of one frame";
    case kAlreadyOpen: return device + " is already open";
    case kNotOpen: return device + " is not open";
    case kBadBuffer: return "the buffer has no memory or is smaller than one frame";
    case kNotPrepared: return "the buffer is not prepared";
    case kAlreadyQueued: return "the buffer is already queued";
    case kStillQueued: return "the buffer is still queued; reset the device first";
    case kQueueFull: return "too many buffers queued (at most " + std::to_string(kMaxQueuedHeaders) + ")";
    case kFromNotification: return device + " cannot be called from its own notification";
    case kNoThread: return "could not start " + std::string("the ") + direction + " device's notification thread";
    case kNoMemory: return "not enough memory for " + device + "'s buffers";
  }
  if (code > 0) return "";
  if (code == kSoundSystemSilent) return kSoundSystemSilentText;
  std::string text = Pa_GetErrorText(code);
  if (code == paUnanticipatedHostError && !hostErrorText.empty()) text += ": " + hostErrorText;
  return text;
}

PaError RememberHostError(PaError error, std::string& hostErrorText) {
  hostErrorText.clear();
  if (error == paUnanticipatedHostError) {
    if (const PaHostErrorInfo* info = Pa_GetLastHostErrorInfo(); info && info->errorText)
      hostErrorText = info->errorText;
  }
  return error;
}

bool IsDevicePcm(const WaveFormatEx& format) {
  const SampleFormat* layout = FindSampleFormat(format.BitsPerSample, false);
  return format.FormatTag == kPcmTag && format.Channels > 0 && format.SamplesPerSec > 0 && layout != nullptr &&
         layout->Recorded &&
         format.BlockAlign == FrameBytesOf(format.Channels, format.BitsPerSample);
}

namespace {
bool HasChannels(const PaDeviceInfo* info, bool output) {
  return info && (output ? info->maxOutputChannels : info->maxInputChannels) > 0;
}
}  // namespace

unsigned CountDevices(bool output) {
  unsigned count = 0;
  for (PaDeviceIndex i = 0, n = Pa_GetDeviceCount(); i < n; ++i) count += HasChannels(Pa_GetDeviceInfo(i), output);
  return count;
}

PaDeviceIndex FindDevice(int device, bool output) {
  if (device == -1) return output ? Pa_GetDefaultOutputDevice() : Pa_GetDefaultInputDevice();
  if (device < 0) return paNoDevice;
  for (PaDeviceIndex i = 0, n = Pa_GetDeviceCount(); i < n; ++i) {
    if (HasChannels(Pa_GetDeviceInfo(i), output) && device-- == 0) return i;
  }
  return paNoDevice;
}

PortAudioWaveDevice::PortAudioWaveDevice(bool output, uint32_t doneMessage, uint32_t closedMessage)
    : output_(output), doneMessage_(doneMessage), closedMessage_(closedMessage) {
  sem_init(&wake_, 0, 0);
}

PortAudioWaveDevice::~PortAudioWaveDevice() {
  Shutdown(false);
  if (initialized_) CallSoundSystem([] { return Pa_Terminate(); });
  sem_destroy(&wake_);
}

PaError PortAudioWaveDevice::EnsureInitialized() {
  if (initialized_) return paNoError;
  const PaError error = InitializePortAudioQuietly();
  initialized_ = error == paNoError;
  return error;
}

unsigned PortAudioWaveDevice::Devices() {
  // While the cards are still being probed (the window starting) a device is taken to be there,
  // so that nothing waits for the sound system before it is used: opening the device waits for
  // the probe, within its bound, and says what it found.
  if (!initialized_ && SoundSystemBusy()) return 1;
  return EnsureInitialized() == paNoError ? CountDevices(output_) : 0;
}

std::string PortAudioWaveDevice::NameOf(int device) {
  if (EnsureInitialized() != paNoError) return "";
  const PaDeviceIndex index = FindDevice(device, output_);
  const PaDeviceInfo* info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
  return info && info->name ? info->name : "";
}

int PortAudioWaveDevice::OpenStream(int device, const WaveFormatEx& format,
                                    std::function<void(uint32_t, WaveHeader*)> notify, PaStreamCallback* callback,
                                    void* self, PaStreamFlags flags, uint32_t openedMessage) {
  if (OnNotificationThread()) return kFromNotification;
  if (stream_) return kAlreadyOpen;
  if (!IsDevicePcm(format)) return kBadFormat;
  if (const PaError error = EnsureInitialized(); error != paNoError) return Failed(error);
  const PaDeviceIndex index = FindDevice(device, output_);
  const PaDeviceInfo* info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
  if (!info) return kNoSuchDevice;

  PaStreamParameters parameters{};
  parameters.device = index;
  parameters.channelCount = format.Channels;
  parameters.sampleFormat = PortAudioFormatOf(KindOf(format.BitsPerSample, false));
  // Nothing listens to a recording while it is made, so capture takes the host's larger buffer,
  // which rides out a callback thread that is late, as on a loaded machine.
  parameters.suggestedLatency = output_ ? info->defaultLowOutputLatency : info->defaultHighInputLatency;
  frameBytes_ = format.BlockAlign;
  queued_.Clear();
  done_.Clear();
  notified_.store(0);

  // The opened stream comes back through what the call owns: an open abandoned past its bound
  // may still answer after this frame is gone.
  const auto opened = std::make_shared<PaStream*>(nullptr);
  if (const PaError error = CallSoundSystem([=, output = output_] {
        return Pa_OpenStream(opened.get(), output ? nullptr : &parameters, output ? &parameters : nullptr,
                             format.SamplesPerSec, kFramesPerCallback, flags, callback, self);
      });
      error != paNoError) {
    return Failed(error);
  }
  PaStream* const stream = *opened;
  notify_ = std::move(notify);
  // Posts left over from the last stream would only wake the new thread to find nothing.
  while (sem_trywait(&wake_) == 0) {
  }
  quit_.store(false);
  quiet_.store(false);
  try {
    notifier_ = std::thread([this] { NotificationLoop(); });
  } catch (const std::system_error&) {
    CallSoundSystem(Pa_CloseStream, stream);
    notify_ = nullptr;
    return kNoThread;
  }
  stream_ = stream;
  if (notify_) notify_(openedMessage, nullptr);
  return 0;
}

int PortAudioWaveDevice::PrepareBuffer(WaveHeader& header) {
  if (!header.Data || header.BufferLength == 0) return kBadBuffer;
  HeaderFlags(header).fetch_or(kWaveHeaderPrepared);
  return 0;
}

int PortAudioWaveDevice::UnprepareBuffer(WaveHeader& header) {
  auto flags = HeaderFlags(header);
  if (flags.load() & kWaveHeaderInQueue) return kStillQueued;
  flags.fetch_and(~kWaveHeaderPrepared);
  return 0;
}

int PortAudioWaveDevice::QueueBuffer(WaveHeader& header, uint32_t& flagsBefore) {
  if (OnNotificationThread()) return kFromNotification;
  if (!stream_) return kNotOpen;
  auto flags = HeaderFlags(header);
  const uint32_t now = flags.load();
  if (!(now & kWaveHeaderPrepared)) return kNotPrepared;
  if (now & kWaveHeaderInQueue) return kAlreadyQueued;
  if (!header.Data || header.BufferLength < frameBytes_) return kBadBuffer;
  // Every header the device holds sits in one of the two rings; bounding their sum bounds both.
  if (queued_.Pushed() - done_.Popped() >= kMaxQueuedHeaders) return kQueueFull;
  header.BytesRecorded = 0;
  flags.store((now & ~kWaveHeaderDone) | kWaveHeaderInQueue);
  flagsBefore = now;
  queued_.Push(&header);
  return 0;
}

std::string PortAudioWaveDevice::Text(int code) const {
  return WaveDeviceErrorText(code, output_ ? "output" : "input", hostErrorText_);
}

int PortAudioWaveDevice::StopStream() {
  if (!running_) return 0;
  // An orderly stop lets what the callback handed over reach the device; a stream that failed by
  // itself may refuse it, and aborting still ends it.
  // A stream whose stop did not answer is left to its stalled thread.
  if (const PaError error = CallSoundSystem(Pa_StopStream, stream_); error != paNoError) {
    if (error == kSoundSystemSilent) return Failed(error);
    if (CallSoundSystem(Pa_AbortStream, stream_) != paNoError && Pa_IsStreamStopped(stream_) != 1) return Failed(error);
  }
  running_ = false;
  return 0;
}

void PortAudioWaveDevice::ReturnQueued() {
  Stopped();
  while (WaveHeader* header = queued_.Front()) {
    HandBack(header);
    queued_.Pop();
  }
  const uint64_t target = done_.Pushed();
  for (uint64_t done = notified_.load(std::memory_order_acquire); done < target;
       done = notified_.load(std::memory_order_acquire)) {
    notified_.wait(done, std::memory_order_acquire);
  }
}

int PortAudioWaveDevice::ResetStream() {
  if (OnNotificationThread()) return kFromNotification;
  if (!stream_) return kNotOpen;
  if (const int error = StopStream(); error != 0) return error;
  ReturnQueued();
  return 0;
}

int PortAudioWaveDevice::CloseStream() {
  if (OnNotificationThread()) return kFromNotification;
  if (!stream_) return kNotOpen;
  StopStream();
  // Closing an active stream aborts it, so past this point the callback is gone for certain and
  // the queued buffers can be handed back even if stopping failed. The device counts as closed
  // whatever PortAudio answers.
  const PaError error = CallSoundSystem(Pa_CloseStream, stream_);
  stream_ = nullptr;
  running_ = false;
  ReturnQueued();
  Shutdown(true);
  return error == paNoError ? 0 : Failed(error);
}

void PortAudioWaveDevice::NotificationLoop() {
  for (;;) {
    if (WaveHeader* header = done_.Front()) {
      done_.Pop();
      auto flags = HeaderFlags(*header);
      flags.store((flags.load() & ~kWaveHeaderInQueue) | kWaveHeaderDone);
      if (notify_ && !quiet_.load()) notify_(doneMessage_, header);
      notified_.fetch_add(1, std::memory_order_release);
      notified_.notify_all();
      continue;
    }
    // Checked only once the ring is empty, so that nothing pushed before the request is lost.
    if (quit_.load(std::memory_order_acquire)) return;
    while (sem_wait(&wake_) != 0 && errno == EINTR) {
    }
  }
}

bool PortAudioWaveDevice::OnNotificationThread() const {
  return notifier_.joinable() && notifier_.get_id() == std::this_thread::get_id();
}

void PortAudioWaveDevice::Shutdown(bool notifyOwner) {
  if (!notifyOwner) quiet_.store(true);
  if (stream_) {
    CallSoundSystem(Pa_AbortStream, stream_);
    CallSoundSystem(Pa_CloseStream, stream_);
    stream_ = nullptr;
    running_ = false;
  }
  if (notifier_.joinable()) {
    quit_.store(true, std::memory_order_release);
    sem_post(&wake_);
    notifier_.join();
    if (notifyOwner && notify_) notify_(closedMessage_, nullptr);
  }
  notify_ = nullptr;
}
