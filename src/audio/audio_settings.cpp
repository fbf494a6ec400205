#include "audio/audio_settings.h"

#include <new>
#include <string>

#include "audio/audio_component.h"
#include "wave/wave_header.h"

TAudioSettings::TAudioSettings(TAudio& owner) : Owner(owner) {}

TAudioSettings::~TAudioSettings() { FreeBuffers(); }

void TAudioSettings::ApplyBitsPerSample(TBPS value) {
  if (bitsPerSample_ == value || Busy()) return;
  bitsPerSample_ = value;
  Rebuild();
}

void TAudioSettings::ApplyChannels(TChannels value) {
  if (channels_ == value || Busy()) return;
  channels_ = value;
  Rebuild();
}

void TAudioSettings::ApplySampleRate(uint16_t value) {
  if (sampleRate_ == value || Busy()) return;
  sampleRate_ = value;
  Rebuild();
}

void TAudioSettings::ApplyNoSamples(uint16_t value) {
  if (noSamples_ == value || Busy()) return;
  noSamples_ = value;
  Rebuild();
}

// The device fills the buffers while it is open; they must stay as they are until it closes.
bool TAudioSettings::Busy() {
  if (!IsOpen) return false;
  Owner.ErrorMessage = "The format cannot change while the device is open";
  return true;
}

void TAudioSettings::Rebuild() {
  FreeBuffers();
  AllocBuffers();
}

bool TAudioSettings::AllocBuffers() {
  const uint16_t channels = channels_ == TChannels::Mono ? 1 : 2;
  const auto blockAlign = static_cast<uint16_t>(FrameBytesOf(channels, BitsOf(bitsPerSample_)));
  const uint32_t bufferBytes = uint32_t{noSamples_} * blockAlign;
  // A 16-bit count would wrap and leave buffers far smaller than the frames asked for.
  if (bufferBytes > 0xFFFF) {
    Owner.ErrorMessage = "Wave buffer of " + std::to_string(noSamples_) + " frames (" + std::to_string(bufferBytes) +
                         " bytes) is larger than 65535 bytes";
    return false;
  }
  WaveFormat.reset();
  try {
    WaveFormat = std::make_unique<WaveFormatEx>();
  } catch (const std::bad_alloc&) {
    Owner.ErrorMessage = "Not enough memory to allocate WaveFormat";
    return false;
  }
  WaveFormat->BitsPerSample = BitsOf(bitsPerSample_);
  WaveFormat->ExtraSize = 0;
  WaveFormat->FormatTag = 1;
  WaveFormat->Channels = channels;
  WaveFormat->SamplesPerSec = sampleRate_;
  WaveFormat->BlockAlign = blockAlign;
  WaveFormat->AvgBytesPerSec = WaveFormat->SamplesPerSec * blockAlign;
  BufferSize = static_cast<uint16_t>(bufferBytes);
  for (int i = 0; i < kAudioBuffers; ++i) {
    try {
      Headers[i] = std::make_unique<WaveHeader>();
    } catch (const std::bad_alloc&) {
      Owner.ErrorMessage = "Not enough memory to allocate WaveHeader";
      return false;
    }
    try {
      if (BufferSize != 0) Buffers[i] = std::make_unique<uint8_t[]>(BufferSize);
      if (BufferSize / 2 != 0) RightBuffers[i] = std::make_unique<uint8_t[]>(BufferSize / 2);
    } catch (const std::bad_alloc&) {
      Owner.ErrorMessage = "Not enough memory to allocate Wave Buffer";
      return false;
    }
    Headers[i]->Data = Buffers[i].get();
  }
  return true;
}

void TAudioSettings::FreeBuffers() {
  if (!WaveFormat) return;
  WaveFormat.reset();
  for (int i = 0; i < kAudioBuffers; ++i) {
    Buffers[i].reset();
    RightBuffers[i].reset();
    Headers[i].reset();
  }
}
