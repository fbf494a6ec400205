#include "audio/audio_component.h"

#include "audio/audio_settings.h"
#include "audio/recorder.h"

TAudio::TAudio(IWaveInput& waveInput) : waveInput_(waveInput) {
  recorder_ = std::make_unique<TRecorder>(*this);
  player_ = std::make_unique<TPlayer>(*this);
  recorder_->RecordingToFile = false;
  ErrorMessage.clear();
  // Without a device that records, the buffer sets wait for a format write to build them. There
  // is no wave output on this platform layer yet, so the player's are built with the recorder's.
  if (waveInput_.DeviceCount() >= 1 && recorder_->AllocBuffers()) player_->AllocBuffers();
}

TAudio::~TAudio() {
  // Stopping finishes an open recording file the way a recording ends.
  recorder_->Stop();
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
