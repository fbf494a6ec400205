#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "audio/audio_settings.h"
#include "audio/platform/mixer.h"
#include "audio/platform/wave_input.h"

class TMixerSettings;
class TRecorder;

// The platform's sound-card services a component works through; each must outlive it.
struct SoundCard {
  IWaveInput& WaveIn;
  IMixer& Mixer;
};

// The component through which the editor reaches the sound card for recording: the recorder with
// its sample format, the device number, the mixer's lines, and the text of the last device error.
// It lives on the user-interface thread, where its owner made it. Playing does not come here: the
// system sound player plays the document's image.
class TAudio {
 public:
  static constexpr const char* kVersion = "4.1 (32bit)";

  // Opens mixer 0 and builds the recorder's buffers when the card can record.
  explicit TAudio(const SoundCard& card);
  // Stops the recorder, which finishes a recording file left open, and closes the mixer.
  ~TAudio();
  TAudio(const TAudio&) = delete;
  TAudio& operator=(const TAudio&) = delete;

  int32_t AudioDeviceID() const { return audioDeviceId_; }
  // 0..9 name a device; anything above 9 becomes −1, the system's default device. A change
  // rebuilds the recorder's buffers.
  void SetAudioDeviceID(int32_t value);
  int32_t MixerDeviceID() const { return mixerDeviceId_; }
  // Opens that mixer and builds its list afresh, closing the one before.
  void SetMixerDeviceID(int32_t value);
  // Format writes for `target`, the recorder. Ignored while its device is open, with
  // ErrorMessage set.
  void SetBitsPerSample(TAudioSettings& target, TBPS value);
  void SetChannels(TAudioSettings& target, TChannels value);
  void SetSampleRate(TAudioSettings& target, uint16_t value);
  // Frames per device buffer of the recorder.
  void SetNoSamples(uint16_t value);
  const std::string& Version() const { return version_; }
  // The version is shown and stored, but written text never changes it.
  void SetVersion(const std::string&) { version_ = kVersion; }

  TRecorder& Recorder() { return *recorder_; }
  TMixerSettings& Mixer() { return *mixer_; }
  IWaveInput& WaveIn() { return card_.WaveIn; }
  IMixer& MixerDevice() { return card_.Mixer; }

  // Each recorded buffer that passed the trigger: left (or all) bytes, right bytes or nullptr, and
  // the byte count behind each. Called on the device's notification thread.
  std::function<void(TRecorder& sender, uint8_t* left, uint8_t* right, uint16_t size)> OnRecord;
  // A mixer control changed: raised with the low halves of the mixer handle and the control id,
  // then with the destination and source of the line that owns the control, if listed.
  std::function<void(TMixerSettings& sender, uint16_t destination, uint16_t source)> OnMixerChange;
  // The last device or allocation error, as text.
  std::string ErrorMessage;
  // The format record's byte size on the platform.
  const int32_t WaveFormatSize = 18;

 private:
  SoundCard card_;
  int32_t audioDeviceId_ = -1;
  int32_t mixerDeviceId_ = 0;
  std::string version_ = kVersion;
  std::unique_ptr<TRecorder> recorder_;
  std::unique_ptr<TMixerSettings> mixer_;
};
