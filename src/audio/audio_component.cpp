#include "audio/audio_component.h"

#include <QMetaObject>

#include "audio/audio_settings.h"
#include "audio/mixer_settings.h"
#include "audio/player.h"
#include "audio/recorder.h"

TAudio::TAudio(const SoundCard& card) : card_(card) {
  recorder_ = std::make_unique<TRecorder>(*this);
  player_ = std::make_unique<TPlayer>(*this);
  mixer_ = std::make_unique<TMixerSettings>(*this);
  if (mixer_->OpenMixer(0)) mixer_->Available = true;
  recorder_->RecordingToFile = false;
  ErrorMessage.clear();
  // Without a device that records (or plays), the buffer sets wait for a format write to build
  // them.
  if (WaveIn().DeviceCount() >= 1 && recorder_->AllocBuffers() && WaveOut().DeviceCount() >= 1)
    player_->AllocBuffers();
}

TAudio::~TAudio() {
  player_->Stop();
  // A device whose close failed, or whose close could not be posted for want of a message
  // loop, must not outlive the buffers it plays from.
  if (player_->IsOpen) player_->Abandon();
  // Stopping finishes an open recording file the way a recording ends.
  recorder_->Stop();
  mixer_.reset();
  recorder_->FreeBuffers();
  player_->FreeBuffers();
}

void TAudio::SetAudioDeviceID(int32_t value) {
  if (value == audioDeviceId_) return;
  audioDeviceId_ = value <= 9 ? value : -1;
  recorder_->FreeBuffers();
  recorder_->AllocBuffers();
  player_->FreeBuffers();
  player_->AllocBuffers();
}

template <typename Value>
void TAudio::WriteFormat(TAudioSettings& target, void (TAudioSettings::*apply)(Value), Value value) {
  if (SeparateCtrls) {
    (target.*apply)(value);
    return;
  }
  (player_.get()->*apply)(value);
  (recorder_.get()->*apply)(value);
}

void TAudio::SetBitsPerSample(TAudioSettings& target, TBPS value) {
  WriteFormat(target, &TAudioSettings::ApplyBitsPerSample, value);
}

void TAudio::SetChannels(TAudioSettings& target, TChannels value) {
  WriteFormat(target, &TAudioSettings::ApplyChannels, value);
  // A recorder that is no longer stereo cannot split its buffers.
  recorder_->SetSplitChannels(recorder_->SplitChannels());
}

void TAudio::SetSampleRate(TAudioSettings& target, uint16_t value) {
  WriteFormat(target, &TAudioSettings::ApplySampleRate, value);
}

void TAudio::SetNoSamples(uint16_t value) {
  player_->ApplyNoSamples(value);
  recorder_->ApplyNoSamples(value);
}

void TAudio::SetMixerDeviceID(int32_t value) {
  if (value == mixerDeviceId_) return;
  mixerDeviceId_ = value;
  if (mixer_->OpenMixer(static_cast<uint32_t>(value))) mixer_->Available = true;
}

void TAudio::PostWaveOutMessage(uint32_t message) {
  QMetaObject::invokeMethod(&window_, [this, message] { player_->WaveOutMessage(message); }, Qt::QueuedConnection);
}
