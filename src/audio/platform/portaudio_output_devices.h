#pragma once

#include <string>

#include "audio/platform/output_devices.h"

// The devices with output channels, numbered in PortAudio's order as the wave input numbers its
// own.
// PortAudio is initialised at the first question and terminated with this object; its
// initialisation is counted, so the listing lives alongside the other PortAudio users.
class PortAudioOutputDevices final : public IOutputDevices {
 public:
  PortAudioOutputDevices() = default;
  ~PortAudioOutputDevices() override;
  PortAudioOutputDevices(const PortAudioOutputDevices&) = delete;
  PortAudioOutputDevices& operator=(const PortAudioOutputDevices&) = delete;

  unsigned DeviceCount() override;
  std::string DeviceName(int device) override;

 private:
  bool EnsureInitialized();

  bool initialized_ = false;
};
