#include "audio/platform/portaudio_output_devices.h"

#include <portaudio.h>

#include "audio/platform/portaudio_quiet.h"
#include "audio/platform/portaudio_wave_device.h"
#include "audio/platform/sound_system_watch.h"

PortAudioOutputDevices::~PortAudioOutputDevices() {
  if (initialized_) CallSoundSystem([] { return Pa_Terminate(); });
}

bool PortAudioOutputDevices::EnsureInitialized() {
  if (!initialized_) initialized_ = InitializePortAudioQuietly() == paNoError;
  return initialized_;
}

unsigned PortAudioOutputDevices::DeviceCount() { return EnsureInitialized() ? CountDevices(true) : 0; }

std::string PortAudioOutputDevices::DeviceName(int device) {
  if (!EnsureInitialized()) return "";
  const PaDeviceIndex index = FindDevice(device, true);
  const PaDeviceInfo* info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
  return info && info->name ? info->name : "";
}
