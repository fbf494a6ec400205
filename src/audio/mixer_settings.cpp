#include "audio/mixer_settings.h"

#include <algorithm>
#include <vector>

#include "audio/audio_component.h"

TMixerSettings::TMixerSettings(TAudio& owner) : Owner(owner) {}

TMixerSettings::~TMixerSettings() { Release(); }

void TMixerSettings::Release() {
  if (!Lines) return;
  Owner.MixerDevice().Close(Handle);
  // One entry at a time: a long chain freed through its own pointers would recurse as deep.
  while (Lines) Lines = std::move(Lines->Next);
}

bool TMixerSettings::OpenMixer(uint32_t mixerId) {
  Release();
  IMixer& mixer = Owner.MixerDevice();
  if (mixer.DeviceCount() == 0) return false;
  MixerCaps caps;
  mixer.GetCaps(mixerId, caps);
  MixerHandle handle = 0;
  if (mixer.Open(mixerId, [this](uint32_t message, MixerHandle from, uint32_t id) { MixerMessage(message, from, id); },
                 handle) != 0)
    return false;
  Handle = handle;
  Lines = std::make_unique<TMixDetails>();
  Lines->Name = caps.ProductName;
  TMixDetails* last = Lines.get();
  bool result = false;
  for (uint32_t d = 0; d < caps.Destinations; ++d) {
    MixerLine destination;
    if (mixer.GetDestination(Handle, d, destination) != 0) return false;
    const bool playback = destination.ComponentType == kMixerDstSpeakers;
    last = AddLine(last, destination, playback);
    for (uint32_t s = 0; s < destination.Connections; ++s) {
      MixerLine source;
      if (mixer.GetSource(Handle, d, s, source) != 0) return false;
      last = AddLine(last, source, playback);
    }
    result = true;
  }
  return result;
}

TMixDetails* TMixerSettings::AddLine(TMixDetails* last, const MixerLine& line, bool playback) {
  last->Next = std::make_unique<TMixDetails>();
  TMixDetails& entry = *last->Next;
  entry.Destination = static_cast<int16_t>(line.Destination);
  entry.Source = last->Destination != entry.Destination ? 0 : static_cast<int16_t>(last->Source + 1);
  entry.Name = line.Name;
  entry.Flags = 128;
  entry.Playback = playback;
  if (line.Controls > 0) AddControls(entry, line);
  return &entry;
}

void TMixerSettings::AddControls(TMixDetails& entry, const MixerLine& line) {
  IMixer& mixer = Owner.MixerDevice();
  std::vector<MixerControl> controls;
  if (mixer.GetLineControls(Handle, line.LineID, controls) != 0) return;
  // Lines of more than two channels give more values; only the first two are kept.
  const uint32_t channels = std::max<uint32_t>(line.Channels, 1);
  std::vector<uint32_t> values;
  for (const MixerControl& control : controls) {
    switch (control.ControlType) {
      case kMixerVolume:
        if (mixer.GetControlValues(Handle, control.ControlID, channels, values) != 0 || values.empty()) break;
        entry.VolumeID = control.ControlID;
        entry.LeftVolume = static_cast<uint16_t>(values[0]);
        if (line.Channels == 1) {
          entry.MonoVolume = true;
          // Set rather than added: a second volume control of the line overwrites the first.
          entry.Flags |= 64;
        } else if (values.size() > 1) {
          entry.RightVolume = static_cast<uint16_t>(values[1]);
        }
        entry.HasControls = true;
        break;
      case kMixerMute:
        if (entry.MuteID != kNoControl) break;
        if (mixer.GetControlValues(Handle, control.ControlID, 1, values) != 0 || values.empty()) break;
        entry.MuteID = control.ControlID;
        entry.Muted = values[0] != 0;
        entry.HasControls = true;
        entry.Flags &= 127;
        break;
      case kMixerPeakMeter:
        if (mixer.GetControlValues(Handle, control.ControlID, channels, values) != 0) break;
        entry.MeterID = control.ControlID;
        entry.MeterChannels = line.Channels == 1 ? 1 : 2;
        break;
      default:
        break;
    }
  }
}

void TMixerSettings::MixerMessage(uint32_t message, MixerHandle mixer, uint32_t controlId) {
  if (message != kMixerControlChanged || !Available || !Owner.OnMixerChange) return;
  Owner.OnMixerChange(*this, static_cast<uint16_t>(mixer), static_cast<uint16_t>(controlId));
  for (const TMixDetails* entry = Lines.get(); entry; entry = entry->Next.get()) {
    if (entry->VolumeID == controlId || entry->MuteID == controlId) {
      Owner.OnMixerChange(*this, static_cast<uint16_t>(entry->Destination), static_cast<uint16_t>(entry->Source));
      return;
    }
  }
}
