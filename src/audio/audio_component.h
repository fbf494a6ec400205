#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "audio/platform/wave_input.h"

class TPlayer;
class TRecorder;

// The component through which the editor reaches the sound card: the recorder and the player
// with their shared sample format, the device number, and the text of the last device error.
// It lives on the user-interface thread, where its owner made it.
class TAudio {
 public:
  static constexpr const char* kVersion = "4.1 (32bit)";

  // `waveInput` is the platform's wave input; it must outlive the component.
  explicit TAudio(IWaveInput& waveInput);
  // Stops the player and the recorder, which finishes a recording file left open.
  ~TAudio();
  TAudio(const TAudio&) = delete;
  TAudio& operator=(const TAudio&) = delete;

  int32_t AudioDeviceID() const { return audioDeviceId_; }
  // 0..9 name a device; anything above 9 becomes −1, the system's default device. A change
  // rebuilds the buffers of the recorder, then of the player.
  void SetAudioDeviceID(int32_t value);
  int32_t MixerDeviceID() const { return mixerDeviceId_; }
  void SetMixerDeviceID(int32_t value) { mixerDeviceId_ = value; }
  const std::string& Version() const { return version_; }
  // The version is shown and stored, but written text never changes it.
  void SetVersion(const std::string&) { version_ = kVersion; }

  TRecorder& Recorder() { return *recorder_; }
  TPlayer& Player() { return *player_; }
  IWaveInput& WaveIn() { return waveInput_; }

  // Keep recorder and player formats apart; by default a format write goes to both.
  bool SeparateCtrls = false;
  // Each recorded buffer that passed the trigger: left (or all) bytes, right bytes or nullptr, and
  // the byte count behind each. Called on the device's notification thread.
  std::function<void(TRecorder& sender, uint8_t* left, uint8_t* right, uint16_t size)> OnRecord;
  // The last device or allocation error, as text.
  std::string ErrorMessage;
  // The format record's byte size on the platform.
  const int32_t WaveFormatSize = 18;

 private:
  IWaveInput& waveInput_;
  int32_t audioDeviceId_ = -1;
  int32_t mixerDeviceId_ = 0;
  std::string version_ = kVersion;
  std::unique_ptr<TRecorder> recorder_;
  std::unique_ptr<TPlayer> player_;
};
