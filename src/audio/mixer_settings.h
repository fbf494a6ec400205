#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/platform/mixer.h"

class TAudio;

inline constexpr uint32_t kNoControl = 65535;

// One line of the mixer, or (the first entry) the mixer itself, with the ids and the values of
// its volume, mute and peak-meter controls as they were when the list was built.
struct TMixDetails {
  int16_t Destination = -1;
  int16_t Source = -1;
  std::string Name;
  uint32_t VolumeID = kNoControl;
  uint32_t MuteID = kNoControl;
  uint32_t MeterID = kNoControl;
  uint16_t LeftVolume = 0;
  uint16_t RightVolume = 0;
  uint16_t MeterChannels = 0;
  // 128 while the line has no mute control; 64 for a one-channel volume.
  uint16_t Flags = 0;
  bool Muted = false;
  bool MonoVolume = false;
  // The line belongs to the speakers destination.
  bool Playback = false;
  bool HasControls = false;
  std::unique_ptr<TMixDetails> Next;
};

// The sound card's mixer: every destination line and its source lines, in a list of entries in
// the order the mixer gives them, and the mixer's control changes turned into the owner's
// OnMixerChange. Lives on the user-interface thread, where the mixer's notifications arrive.
class TMixerSettings {
 public:
  explicit TMixerSettings(TAudio& owner);
  // Closes the mixer when a list was built.
  ~TMixerSettings();
  TMixerSettings(const TMixerSettings&) = delete;
  TMixerSettings& operator=(const TMixerSettings&) = delete;

  // Opens mixer `mixerId` and builds the list afresh; true only when every line was read. A
  // mixer opened before is closed and its list freed first.
  bool OpenMixer(uint32_t mixerId);
  // A notification of the open mixer.
  void MixerMessage(uint32_t message, MixerHandle mixer, uint32_t controlId);

  TAudio& Owner;
  MixerHandle Handle = 0;
  std::unique_ptr<TMixDetails> Lines;
  bool Available = false;

 private:
  // Appends the entry of `line` after `last` and records its controls; returns the new entry.
  TMixDetails* AddLine(TMixDetails* last, const MixerLine& line, bool playback);
  void AddControls(TMixDetails& entry, const MixerLine& line);
  void Release();
};
