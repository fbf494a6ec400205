#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "audio/platform/mixer.h"

// A mixer described by the test: destinations with their sources and controls, the values of
// each control by id. Line ids are given out in query order; a control without values cannot be
// read, and a line listed in Failing cannot be queried.
class TestMixer final : public IMixer {
 public:
  struct Line {
    std::string Name;
    uint32_t ComponentType = 0;
    uint32_t Channels = 2;
    std::vector<MixerControl> Controls;
    std::vector<Line> Sources;
  };
  static constexpr MixerHandle kHandle = 0x5A0007;

  bool Present = true;
  std::string Product = "Test card";
  std::vector<Line> Destinations;
  std::map<uint32_t, std::vector<uint32_t>> Values;
  std::set<std::pair<uint32_t, int>> Failing;  // (destination, source or −1)
  int OpenResult = 0;
  int Opens = 0, Closes = 0;

  // The mixer reports that control `id` changed.
  void Change(uint32_t id) { notify_(kMixerControlChanged, kHandle, id); }

  unsigned DeviceCount() override { return Present ? 1 : 0; }
  int GetCaps(unsigned mixer, MixerCaps& caps) override;
  int Open(unsigned mixer, MixerNotify notify, MixerHandle& handle) override;
  int Close(MixerHandle handle) override;
  int GetDestination(MixerHandle handle, uint32_t destination, MixerLine& line) override;
  int GetSource(MixerHandle handle, uint32_t destination, uint32_t source, MixerLine& line) override;
  int GetLineControls(MixerHandle handle, uint32_t lineId, std::vector<MixerControl>& controls) override;
  int GetControlValues(MixerHandle handle, uint32_t controlId, uint32_t channels,
                       std::vector<uint32_t>& values) override;
  std::string ErrorText(int code) override { return code == 0 ? "" : "test mixer error " + std::to_string(code); }

 private:
  int Describe(const Line& from, uint32_t destination, uint32_t source, MixerLine& line);

  MixerNotify notify_;
  std::vector<const Line*> queried_;
};
