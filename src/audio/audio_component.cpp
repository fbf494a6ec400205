#include "audio/audio_component.h"

#include "audio/audio_settings.h"
#include "audio/mixer_settings.h"
#include "audio/recorder.h"

TAudio::TAudio(const SoundCard& card) : card_(card) {
  recorder_ = std::make_unique<TRecorder>(*this);
  mixer_ = std::make_unique<TMixerSettings>(*this);
  if (mixer_->OpenMixer(0)) mixer_->Available = true;
  recorder_->RecordingToFile = false;
  ErrorMessage.clear();
  // Without a device that records, the buffers wait for a format write to build them.
  if (WaveIn().DeviceCount() >= 1) recorder_->AllocBuffers();
}

TAudio::~TAudio() {
  // Stopping finishes an open recording file the way a recording ends.
  recorder_->Stop();
  mixer_.reset();
  recorder_->FreeBuffers();
}

void TAudio::SetAudioDeviceID(int32_t value) {
  if (value == audioDeviceId_) return;
  audioDeviceId_ = value <= 9 ? value : -1;
  recorder_->FreeBuffers();
  recorder_->AllocBuffers();
}

void TAudio::SetBitsPerSample(TAudioSettings& target, TBPS value) { target.ApplyBitsPerSample(value); }

void TAudio::SetChannels(TAudioSettings& target, TChannels value) {
  target.ApplyChannels(value);
  // A recorder that is no longer stereo cannot split its buffers.
  recorder_->SetSplitChannels(recorder_->SplitChannels());
}

void TAudio::SetSampleRate(TAudioSettings& target, uint16_t value) { target.ApplySampleRate(value); }

void TAudio::SetNoSamples(uint16_t value) { recorder_->ApplyNoSamples(value); }

void TAudio::SetMixerDeviceID(int32_t value) {
  if (value == mixerDeviceId_) return;
  mixerDeviceId_ = value;
  if (mixer_->OpenMixer(static_cast<uint32_t>(value))) mixer_->Available = true;
}
