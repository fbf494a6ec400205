#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <QObject>

#include "audio/audio_settings.h"
#include "audio/platform/mixer.h"
#include "audio/platform/wave_input.h"
#include "audio/platform/wave_output.h"

class TMixerSettings;
class TPlayer;
class TRecorder;

// The platform's sound-card services a component works through; each must outlive it.
struct SoundCard {
  IWaveInput& WaveIn;
  IWaveOutput& WaveOut;
  IMixer& Mixer;
};

// The component through which the editor reaches the sound card: the recorder and the player
// with their shared sample format, the device number, the mixer's lines, and the text of the
// last device error. It lives on the user-interface thread, where its owner made it.
class TAudio {
 public:
  static constexpr const char* kVersion = "4.1 (32bit)";

  // Opens mixer 0 and builds the buffer sets when the card can both record and play.
  explicit TAudio(const SoundCard& card);
  // Stops the player and the recorder, which finishes a recording file left open, and closes
  // the mixer.
  ~TAudio();
  TAudio(const TAudio&) = delete;
  TAudio& operator=(const TAudio&) = delete;

  int32_t AudioDeviceID() const { return audioDeviceId_; }
  // 0..9 name a device; anything above 9 becomes −1, the system's default device. A change
  // rebuilds the buffers of the recorder, then of the player.
  void SetAudioDeviceID(int32_t value);
  int32_t MixerDeviceID() const { return mixerDeviceId_; }
  // Opens that mixer and builds its list afresh, closing the one before.
  void SetMixerDeviceID(int32_t value);
  // Format writes for `target`, the recorder or the player: to both alike unless SeparateCtrls
  // keeps them apart. Ignored by an object whose device is open, with ErrorMessage set.
  void SetBitsPerSample(TAudioSettings& target, TBPS value);
  void SetChannels(TAudioSettings& target, TChannels value);
  void SetSampleRate(TAudioSettings& target, uint16_t value);
  // Frames per device buffer, set on recorder and player alike whatever SeparateCtrls says.
  void SetNoSamples(uint16_t value);
  const std::string& Version() const { return version_; }
  // The version is shown and stored, but written text never changes it.
  void SetVersion(const std::string&) { version_ = kVersion; }

  TRecorder& Recorder() { return *recorder_; }
  TPlayer& Player() { return *player_; }
  TMixerSettings& Mixer() { return *mixer_; }
  IWaveInput& WaveIn() { return card_.WaveIn; }
  IWaveOutput& WaveOut() { return card_.WaveOut; }
  IMixer& MixerDevice() { return card_.Mixer; }

  // Hands a wave-output notification to the player on the user-interface thread; callable from
  // any thread.
  void PostWaveOutMessage(uint32_t message);

  // Keep recorder and player formats apart; by default a format write goes to both.
  bool SeparateCtrls = false;
  // Each recorded buffer that passed the trigger: left (or all) bytes, right bytes or nullptr, and
  // the byte count behind each. Called on the device's notification thread.
  std::function<void(TRecorder& sender, uint8_t* left, uint8_t* right, uint16_t size)> OnRecord;
  // A played buffer has been taken back for refilling.
  std::function<void(TAudio& sender)> OnBufferPlayed;
  // The player has played its stream and closed the device.
  std::function<void(TPlayer& sender)> OnPlayed;
  // A mixer control changed: raised with the low halves of the mixer handle and the control id,
  // then with the destination and source of the line that owns the control, if listed.
  std::function<void(TMixerSettings& sender, uint16_t destination, uint16_t source)> OnMixerChange;
  // The last device or allocation error, as text.
  std::string ErrorMessage;
  // The format record's byte size on the platform.
  const int32_t WaveFormatSize = 18;

 private:
  template <typename Value>
  void WriteFormat(TAudioSettings& target, void (TAudioSettings::*apply)(Value), Value value);

  SoundCard card_;
  int32_t audioDeviceId_ = -1;
  int32_t mixerDeviceId_ = 0;
  std::string version_ = kVersion;
  std::unique_ptr<TRecorder> recorder_;
  std::unique_ptr<TPlayer> player_;
  std::unique_ptr<TMixerSettings> mixer_;
  // The hidden window: wave-output notifications are handled here. Declared last, so that what
  // is still posted to it goes before the objects it would reach.
  QObject window_;
};
