#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The platform's mixer as the mixer settings see it: numbered mixer devices, each with
// destination lines (where sound goes: the speakers, the recording input) that each gather source
// lines (what feeds them: the wave player, a microphone, the line input). Every line has controls
// (volume, mute, peak meter, …) with ids unique within the open mixer, whose current values are
// read one 32-bit number per channel.

using MixerHandle = uintptr_t;

// A control of the open mixer changed value; the notification carries the control's id.
inline constexpr uint32_t kMixerControlChanged = 0x3D1;

// Control types.
inline constexpr uint32_t kMixerVolume = 0x50030001;     // unsigned, 0..65535 per channel
inline constexpr uint32_t kMixerMute = 0x20010002;       // boolean, nonzero = muted
inline constexpr uint32_t kMixerPeakMeter = 0x10020001;  // signed, per channel

// Component types of destination lines, and the first of the source lines'.
inline constexpr uint32_t kMixerDstUndefined = 0;
inline constexpr uint32_t kMixerDstSpeakers = 4;
inline constexpr uint32_t kMixerDstWaveIn = 7;
inline constexpr uint32_t kMixerSrcUndefined = 0x1000;
inline constexpr uint32_t kMixerSrcDigital = 0x1001;
inline constexpr uint32_t kMixerSrcLine = 0x1002;
inline constexpr uint32_t kMixerSrcMicrophone = 0x1003;
inline constexpr uint32_t kMixerSrcSynthesizer = 0x1004;
inline constexpr uint32_t kMixerSrcCompactDisc = 0x1005;
inline constexpr uint32_t kMixerSrcTelephone = 0x1006;
inline constexpr uint32_t kMixerSrcPcSpeaker = 0x1007;
inline constexpr uint32_t kMixerSrcWaveOut = 0x1008;
inline constexpr uint32_t kMixerSrcAuxiliary = 0x1009;
inline constexpr uint32_t kMixerSrcAnalog = 0x100A;

struct MixerCaps {
  std::string ProductName;
  uint32_t Destinations = 0;
};

struct MixerLine {
  uint32_t Destination = 0;  // the destination's index, for a source line too
  uint32_t Source = 0;       // the source's index within its destination; 0 for a destination
  uint32_t LineID = 0;       // unique within the open mixer
  uint32_t ComponentType = 0;
  uint32_t Channels = 0;
  uint32_t Connections = 0;  // sources of a destination; 0 for a source line
  uint32_t Controls = 0;
  std::string ShortName;
  std::string Name;
};

struct MixerControl {
  uint32_t ControlID = 0;
  uint32_t ControlType = 0;
  std::string ShortName;
  std::string Name;
  int32_t Minimum = 0;
  int32_t Maximum = 0;
};

// A notification: the message, the mixer it comes from and, for kMixerControlChanged, the
// control's id.
using MixerNotify = std::function<void(uint32_t message, MixerHandle mixer, uint32_t id)>;

// Results are 0 for success, else an error code that ErrorText explains.
class IMixer {
 public:
  virtual ~IMixer() = default;

  virtual unsigned DeviceCount() = 0;
  virtual int GetCaps(unsigned mixer, MixerCaps& caps) = 0;
  // Opens mixer `mixer`; its notifications are delivered on the opening thread, from that
  // thread's event loop, until Close.
  virtual int Open(unsigned mixer, MixerNotify notify, MixerHandle& handle) = 0;
  virtual int Close(MixerHandle handle) = 0;
  // Destination line `destination` (the platform's query by destination).
  virtual int GetDestination(MixerHandle handle, uint32_t destination, MixerLine& line) = 0;
  // Source line `source` of destination `destination` (the query by destination and source).
  virtual int GetSource(MixerHandle handle, uint32_t destination, uint32_t source, MixerLine& line) = 0;
  // Every control of line `lineId`, in the line's order.
  virtual int GetLineControls(MixerHandle handle, uint32_t lineId, std::vector<MixerControl>& controls) = 0;
  // The control's current values, one per channel asked for (`channels` ≥ 1); a control of
  // fewer channels repeats its last.
  virtual int GetControlValues(MixerHandle handle, uint32_t controlId, uint32_t channels,
                               std::vector<uint32_t>& values) = 0;
  virtual std::string ErrorText(int code) = 0;
};
