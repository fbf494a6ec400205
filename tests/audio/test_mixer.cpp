#include "test_mixer.h"

#include <algorithm>

int TestMixer::GetCaps(unsigned mixer, MixerCaps& caps) {
  if (mixer >= DeviceCount()) return 2;
  caps.ProductName = Product;
  caps.Destinations = static_cast<uint32_t>(Destinations.size());
  return 0;
}

int TestMixer::Open(unsigned mixer, MixerNotify notify, MixerHandle& handle) {
  if (mixer >= DeviceCount()) return 2;
  if (OpenResult != 0) return OpenResult;
  ++Opens;
  notify_ = std::move(notify);
  handle = kHandle;
  return 0;
}

int TestMixer::Close(MixerHandle handle) {
  if (handle != kHandle) return 5;
  ++Closes;
  return 0;
}

int TestMixer::Describe(const Line& from, uint32_t destination, uint32_t source, MixerLine& line) {
  line = MixerLine{};
  line.Destination = destination;
  line.Source = source;
  line.LineID = static_cast<uint32_t>(queried_.size());
  line.ComponentType = from.ComponentType;
  line.Channels = from.Channels;
  line.Connections = static_cast<uint32_t>(from.Sources.size());
  line.Controls = static_cast<uint32_t>(from.Controls.size());
  line.Name = from.Name;
  queried_.push_back(&from);
  return 0;
}

int TestMixer::GetDestination(MixerHandle, uint32_t destination, MixerLine& line) {
  if (destination >= Destinations.size() || Failing.count({destination, -1})) return 7;
  return Describe(Destinations[destination], destination, 0, line);
}

int TestMixer::GetSource(MixerHandle, uint32_t destination, uint32_t source, MixerLine& line) {
  if (destination >= Destinations.size() || source >= Destinations[destination].Sources.size() ||
      Failing.count({destination, static_cast<int>(source)}))
    return 7;
  return Describe(Destinations[destination].Sources[source], destination, source, line);
}

int TestMixer::GetLineControls(MixerHandle, uint32_t lineId, std::vector<MixerControl>& controls) {
  if (lineId >= queried_.size()) return 8;
  controls = queried_[lineId]->Controls;
  return 0;
}

int TestMixer::GetControlValues(MixerHandle, uint32_t controlId, uint32_t channels, std::vector<uint32_t>& values) {
  const auto found = Values.find(controlId);
  if (found == Values.end() || found->second.empty() || channels == 0) return 9;
  values = found->second;
  values.resize(channels, found->second.back());
  return 0;
}
