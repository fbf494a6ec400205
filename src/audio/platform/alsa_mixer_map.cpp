#include "audio/platform/alsa_mixer_map.h"

#include <algorithm>
#include <utility>

namespace {

constexpr uint32_t kVolumeKind = 0;
constexpr uint32_t kMuteKind = 1;
constexpr uint32_t kMaxSlots = 0x10000;    // a line id keeps 16 bits for the slot
constexpr size_t kShortNameChars = 16;

constexpr uint32_t LineId(uint32_t destination, uint32_t slot) { return (destination + 1) << 16 | slot; }
constexpr uint32_t ControlId(uint32_t lineId, uint32_t kind) { return lineId << 2 | kind; }

// Matched as whole words, first match wins; ALSA's names are the drivers' own, so only the
// common ones are worth telling apart.
uint32_t SourceType(const std::string& name) {
  static constexpr std::pair<const char*, uint32_t> kTypes[] = {
      {"PCM", kMixerSrcWaveOut},  {"Wave", kMixerSrcWaveOut},  {"Mic", kMixerSrcMicrophone},
      {"Line", kMixerSrcLine},    {"CD", kMixerSrcCompactDisc}, {"Beep", kMixerSrcPcSpeaker},
      {"PC Speaker", kMixerSrcPcSpeaker},
  };
  const std::string padded = " " + name + " ";
  for (const auto& [word, type] : kTypes) {
    if (padded.find(" " + std::string(word) + " ") != std::string::npos) return type;
  }
  return kMixerSrcUndefined;
}

std::string DisplayName(const AlsaElement& element) {
  return element.Index == 0 ? element.Name : element.Name + " " + std::to_string(element.Index);
}

uint32_t SideChannels(const AlsaElementSide& side) {
  size_t channels = 1;
  if (side.HasVolume) channels = std::max(channels, side.Volume.size());
  if (side.HasSwitch) channels = std::max(channels, side.Switch.size());
  return static_cast<uint32_t>(channels);
}

// A range of one value reads as full: there is nothing to turn down.
uint32_t ScaleVolume(long raw, long min, long max) {
  if (max <= min) return 65535;
  raw = std::clamp(raw, min, max);
  // Ranges may span all of long; the difference is taken unsigned and the product in 128 bits.
  using Wide = unsigned __int128;
  const Wide span = static_cast<unsigned long>(max) - static_cast<unsigned long>(min);
  const Wide offset = static_cast<unsigned long>(raw) - static_cast<unsigned long>(min);
  return static_cast<uint32_t>((offset * 65535 + span / 2) / span);
}

}  // namespace

AlsaMixerMap::AlsaMixerMap(std::vector<AlsaElement> elements) : elements_(std::move(elements)) {
  for (uint32_t destination = 0; destination < kAlsaMixerDestinations; ++destination) {
    const bool capture = destination == 1;
    const char* const ownName = capture ? "Capture" : "Master";
    std::vector<Line>& lines = lines_[destination];
    lines.emplace_back();  // the destination's own, filled in once its sources are known

    auto describe = [&](Line& line, uint32_t slot, size_t index) {
      const AlsaElement& element = elements_[index];
      const AlsaElementSide& side = capture ? element.Capture : element.Playback;
      const std::string name = DisplayName(element);
      line.HasElement = true;
      line.Element = index;
      line.Capture = capture;
      line.Info.LineID = LineId(destination, slot);
      line.Info.Channels = SideChannels(side);
      if (side.HasVolume) {
        line.Controls.push_back({ControlId(line.Info.LineID, kVolumeKind), kMixerVolume, "Volume", name + " Volume",
                                 0, 65535});
      }
      if (side.HasSwitch) {
        line.Controls.push_back({ControlId(line.Info.LineID, kMuteKind), kMixerMute, "Mute", name + " Mute", 0, 1});
      }
      line.Info.Controls = static_cast<uint32_t>(line.Controls.size());
    };

    for (size_t index = 0; index < elements_.size(); ++index) {
      const AlsaElement& element = elements_[index];
      const AlsaElementSide& side = capture ? element.Capture : element.Playback;
      if (element.Enumerated || !(side.HasVolume || side.HasSwitch)) continue;
      if (!lines[0].HasElement && element.Name == ownName && element.Index == 0) {
        describe(lines[0], 0, index);
        continue;
      }
      if (lines.size() >= kMaxSlots) continue;
      const auto slot = static_cast<uint32_t>(lines.size());
      Line& line = lines.emplace_back();
      describe(line, slot, index);
      line.Info.Destination = destination;
      line.Info.Source = slot - 1;
      line.Info.ComponentType = SourceType(element.Name);
      line.Info.Name = DisplayName(element);
      line.Info.ShortName = line.Info.Name.substr(0, kShortNameChars);
    }

    MixerLine& info = lines[0].Info;
    info.Destination = destination;
    info.LineID = LineId(destination, 0);
    info.ComponentType = capture ? kMixerDstWaveIn : kMixerDstSpeakers;
    info.Connections = static_cast<uint32_t>(lines.size() - 1);
    info.Name = info.ShortName = capture ? "Capture" : "Playback";
    // Without an element of its own, a destination is as wide as its widest source.
    if (!lines[0].HasElement) {
      info.Channels = 1;
      for (const Line& line : lines) info.Channels = std::max(info.Channels, line.Info.Channels);
    }
  }
}

int AlsaMixerMap::Destination(uint32_t destination, MixerLine& line) const {
  if (destination >= kAlsaMixerDestinations) return kMixerNoSuchDestination;
  line = lines_[destination][0].Info;
  return 0;
}

int AlsaMixerMap::Source(uint32_t destination, uint32_t source, MixerLine& line) const {
  if (destination >= kAlsaMixerDestinations) return kMixerNoSuchDestination;
  const std::vector<Line>& lines = lines_[destination];
  if (source >= lines.size() - 1) return kMixerNoSuchSource;
  line = lines[source + 1].Info;
  return 0;
}

const AlsaMixerMap::Line* AlsaMixerMap::FindLine(uint32_t lineId) const {
  const uint32_t destination = lineId >> 16;
  if (destination == 0 || destination > kAlsaMixerDestinations) return nullptr;
  const std::vector<Line>& lines = lines_[destination - 1];
  const uint32_t slot = lineId & 0xFFFF;
  return slot < lines.size() ? &lines[slot] : nullptr;
}

int AlsaMixerMap::LineControls(uint32_t lineId, std::vector<MixerControl>& controls) const {
  const Line* line = FindLine(lineId);
  if (!line) return kMixerNoSuchLine;
  controls = line->Controls;
  return 0;
}

std::vector<uint32_t> AlsaMixerMap::Values(const Line& line, uint32_t kind) const {
  const AlsaElement& element = elements_[line.Element];
  const AlsaElementSide& side = line.Capture ? element.Capture : element.Playback;
  if (kind == kMuteKind) {
    const bool silent = !side.Switch.empty() && std::none_of(side.Switch.begin(), side.Switch.end(), std::identity{});
    return {silent ? 1u : 0u};
  }
  std::vector<uint32_t> values;
  for (uint32_t channel = 0; channel < line.Info.Channels; ++channel) {
    // A reading with fewer channels than the line had when built stands at its last one.
    const long raw = side.Volume.empty() ? side.VolumeMin : side.Volume[std::min<size_t>(channel, side.Volume.size() - 1)];
    values.push_back(ScaleVolume(raw, side.VolumeMin, side.VolumeMax));
  }
  return values;
}

int AlsaMixerMap::ControlValues(uint32_t controlId, uint32_t channels, std::vector<uint32_t>& values) const {
  const Line* line = FindLine(controlId >> 2);
  if (!line || std::none_of(line->Controls.begin(), line->Controls.end(),
                            [&](const MixerControl& control) { return control.ControlID == controlId; })) {
    return kMixerNoSuchControl;
  }
  if (channels == 0 || channels > kMixerMaxAskedChannels) return kMixerBadChannels;
  values = Values(*line, controlId & 3);
  values.resize(channels, values.back());
  return 0;
}

std::vector<uint32_t> AlsaMixerMap::Update(size_t element, AlsaElement now) {
  std::vector<uint32_t> changed;
  if (element >= elements_.size()) return changed;
  std::vector<std::pair<const Line*, uint32_t>> controls;
  for (const std::vector<Line>& lines : lines_) {
    for (const Line& line : lines) {
      if (!line.HasElement || line.Element != element) continue;
      for (const MixerControl& control : line.Controls) controls.emplace_back(&line, control.ControlID);
    }
  }
  std::vector<std::vector<uint32_t>> before;
  for (const auto& [line, id] : controls) before.push_back(Values(*line, id & 3));
  elements_[element] = std::move(now);
  for (size_t i = 0; i < controls.size(); ++i) {
    const auto& [line, id] = controls[i];
    if (Values(*line, id & 3) != before[i]) changed.push_back(id);
  }
  return changed;
}
