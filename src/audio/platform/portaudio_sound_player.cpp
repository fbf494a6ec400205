#include "audio/platform/portaudio_sound_player.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "wave/wave_header.h"
#include "audio/platform/portaudio_formats.h"
#include "audio/platform/portaudio_quiet.h"
#include "audio/platform/sound_system_watch.h"

PortAudioSoundPlayer::~PortAudioSoundPlayer() {
  CloseStream();
  if (state_ == State::kReady) CallSoundSystem([] { return Pa_Terminate(); });
}

bool PortAudioSoundPlayer::PlayAsync(const uint8_t* image, size_t size, int64_t firstFrame, int64_t frameCount) {
  // Whatever answer this call gives, the old stream must not go on reading an image that the
  // caller now believes is free to change.
  CloseStream();
  if (!image || size < kWaveHeaderSize) return false;
  const TWaveHeader header = ReadWaveHeader(image);
  const uint16_t bits = header.BitsPerSample;
  const SampleFormat* format = FindSampleFormat(bits, header.FormatTag == kFloatTag);
  const bool playable = (header.Channels == 1 || header.Channels == 2) && format != nullptr && header.SampleRate != 0;
  if (!playable || !EnsureInitialized()) return false;

  const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
  const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
  if (!info) return false;

  playback_.frameBytes = FrameBytesOf(header.Channels, bits);
  // A header may promise more data than the image holds; play only whole frames that are there.
  const size_t available = std::min<size_t>(header.DataSize, size - kWaveHeaderSize) / playback_.frameBytes;
  const size_t first = std::min<size_t>(static_cast<size_t>(std::max<int64_t>(firstFrame, 0)), available);
  const size_t count = std::min<size_t>(static_cast<size_t>(std::max<int64_t>(frameCount, 0)), available - first);
  playback_.first = static_cast<int64_t>(first);
  playback_.data = image + kWaveHeaderSize + first * playback_.frameBytes;
  playback_.bytes = count * playback_.frameBytes;
  playback_.silence = format->SilenceByte;
  playback_.clip = format->IsFloat;
  playback_.rate = header.SampleRate;
  playback_.played.store(0);
  playback_.heardFromTime.store(std::numeric_limits<double>::quiet_NaN());

  PaStreamParameters output{};
  output.device = device;
  output.channelCount = header.Channels;
  output.sampleFormat = PortAudioFormatOf(format->Kind);
  // A whole sound from memory gains nothing from low latency; large buffers ride out a busy
  // machine without gaps.
  output.suggestedLatency = info->defaultHighOutputLatency;

  // Owned by the call, which may answer after this frame is gone when abandoned.
  const auto opened = std::make_shared<PaStream*>(nullptr);
  if (CallSoundSystem([=, rate = header.SampleRate, playback = &playback_] {
        return Pa_OpenStream(opened.get(), nullptr, &output, rate, paFramesPerBufferUnspecified, paNoFlag,
                             &PortAudioSoundPlayer::StreamCallback, playback);
      }) != paNoError) {
    return false;
  }
  PaStream* const stream = *opened;
  if (CallSoundSystem(Pa_StartStream, stream) != paNoError) {
    CallSoundSystem(Pa_CloseStream, stream);
    return false;
  }
  stream_ = stream;
  return true;
}

bool PortAudioSoundPlayer::StopAll() {
  CloseStream();
  return EnsureInitialized();
}

int64_t PortAudioSoundPlayer::PlayingFrame() const {
  if (!stream_ || !SoundSystemAnswers() || Pa_IsStreamActive(stream_) != 1) return -1;
  const int64_t frames = static_cast<int64_t>(playback_.bytes / playback_.frameBytes);
  const double from = playback_.heardFromTime.load(std::memory_order_relaxed);
  double frame = 0.0;
  if (std::isnan(from)) {
    // A host that tells no output times: what was handed over, less what the device still holds.
    const PaStreamInfo* info = Pa_GetStreamInfo(stream_);
    frame = static_cast<double>(playback_.played.load(std::memory_order_relaxed) / playback_.frameBytes) -
            (info ? info->outputLatency * playback_.rate : 0.0);
  } else {
    frame = (Pa_GetStreamTime(stream_) - from) * playback_.rate;
  }
  return playback_.first + std::clamp<int64_t>(static_cast<int64_t>(frame), 0, std::max<int64_t>(frames - 1, 0));
}

int PortAudioSoundPlayer::StreamCallback(const void*, void* output, unsigned long frames,
                                         const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags,
                                         void* userData) {
  Playback& playback = *static_cast<Playback*>(userData);
  auto* out = static_cast<uint8_t*>(output);
  const size_t wanted = frames * playback.frameBytes;
  const size_t played = playback.played.load(std::memory_order_relaxed);
  if (time && time->outputBufferDacTime > 0) {
    playback.heardFromTime.store(time->outputBufferDacTime - static_cast<double>(played / playback.frameBytes) / playback.rate,
                                 std::memory_order_relaxed);
  }
  const size_t count = std::min(wanted, playback.bytes - played);
  if (playback.clip) {
    for (size_t i = 0; i < count; i += sizeof(float)) {
      float sample;
      std::memcpy(&sample, playback.data + played + i, sizeof sample);
      // What is no number is heard as silence.
      sample = sample >= -1.0f ? std::min(sample, 1.0f) : sample < -1.0f ? -1.0f : 0.0f;
      std::memcpy(out + i, &sample, sizeof sample);
    }
  } else {
    std::memcpy(out, playback.data + played, count);
  }
  std::memset(out + count, playback.silence, wanted - count);
  playback.played.store(played + count, std::memory_order_relaxed);
  return played + count < playback.bytes ? paContinue : paComplete;
}

bool PortAudioSoundPlayer::EnsureInitialized() {
  if (state_ == State::kUntouched) {
    if (InitializePortAudioQuietly() != paNoError) {
      state_ = State::kNoDevice;
    } else if (Pa_GetDefaultOutputDevice() == paNoDevice) {
      CallSoundSystem([] { return Pa_Terminate(); });
      state_ = State::kNoDevice;
    } else {
      state_ = State::kReady;
    }
  }
  return state_ == State::kReady;
}

void PortAudioSoundPlayer::CloseStream() {
  if (!stream_) return;
  // Abort answers an error for a stream that ended by itself; closing is what matters then.
  CallSoundSystem(Pa_AbortStream, stream_);
  CallSoundSystem(Pa_CloseStream, stream_);
  stream_ = nullptr;
}
