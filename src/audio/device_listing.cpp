#include "audio/device_listing.h"

#include "audio/audio_component.h"
#include "audio/mixer_settings.h"
#include "audio/platform/output_devices.h"

namespace {

template <typename Device>
std::string Devices(const char* heading, Device& device) {
  const unsigned count = device.DeviceCount();
  std::string text = std::string(heading) + ": " + std::to_string(count) + "\n";
  if (count == 0) return text;
  for (unsigned i = 0; i < count; ++i) text += "  " + std::to_string(i) + " " + device.DeviceName(static_cast<int>(i)) + "\n";
  return text + "  default (-1): " + device.DeviceName(-1) + "\n";
}

std::string Controls(const TMixDetails& line) {
  std::string text;
  if (line.VolumeID != kNoControl) {
    text += " volume#" + std::to_string(line.VolumeID) + "=" + std::to_string(line.LeftVolume);
    text += line.MonoVolume ? " (mono)" : "," + std::to_string(line.RightVolume);
  }
  if (line.MuteID != kNoControl) text += std::string(" mute#") + std::to_string(line.MuteID) + "=" + (line.Muted ? "on" : "off");
  if (line.MeterID != kNoControl)
    text += " meter#" + std::to_string(line.MeterID) + " (" + std::to_string(line.MeterChannels) + " channels)";
  return text.empty() ? " no controls" : text;
}

}  // namespace

std::string DeviceListing(TAudio& audio, IOutputDevices& outputs) {
  std::string text = Devices("input devices", audio.WaveIn()) + Devices("output devices", outputs);
  const TMixDetails* mixer = audio.Mixer().Lines.get();
  text += "mixers: " + std::to_string(audio.MixerDevice().DeviceCount()) + "\n";
  if (!mixer) return text;
  text += "mixer " + std::to_string(audio.MixerDeviceID()) + ": " + mixer->Name +
          (audio.Mixer().Available ? "" : " (not every line could be read)") + "\n";
  for (const TMixDetails* line = mixer->Next.get(); line; line = line->Next.get()) {
    text += "  " + std::to_string(line->Destination) + "." + std::to_string(line->Source) + " " + line->Name +
            (line->Playback ? " [playback]" : "") + ":" + Controls(*line) + "\n";
  }
  return text;
}
