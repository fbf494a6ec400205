#pragma once

#include <string>

// The devices that can play, for the device listing. Playing itself takes the system's default
// output device (the system sound player), so nothing here opens one.
class IOutputDevices {
 public:
  virtual ~IOutputDevices() = default;

  virtual unsigned DeviceCount() = 0;
  // The name of device `device` (0 .. DeviceCount − 1; −1: the default one); empty for none.
  virtual std::string DeviceName(int device) = 0;
};
