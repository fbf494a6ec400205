#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/platform/mixer.h"

// How a sound card's simple mixer elements become the mixer's lines and controls. Kept apart from
// ALSA itself: AlsaMixer reads each element into an AlsaElement and this map does the rest, so
// the rules can be checked without a sound card.
//
// Destination 0 is playback (speakers), destination 1 capture (wave in). A destination's sources
// are the elements with a volume of that direction, or lacking one a switch, in the mixer's
// element order; an element with both directions is a source of both. "Master" is the playback
// destination's own element, "Capture" the capture destination's, instead of being sources.
// Enumerated elements (input selectors and the like) have no place here and are left out.
//
// Every line has up to two controls: a volume when its element has one, a mute when it has a
// switch. ALSA's simple mixer has no level meters, so no line has a peak meter.
//
// Ids: a line is (destination + 1) << 16 | slot, slot 0 the destination and slot s + 1 its
// source s; a control is line id << 2 | kind, kind 0 the volume and 1 the mute. None is 0, and
// they are fixed for as long as the map lives.

// One direction of a simple element, as ALSA reports it.
struct AlsaElementSide {
  bool HasVolume = false;
  long VolumeMin = 0;
  long VolumeMax = 0;
  std::vector<long> Volume;  // raw, one per channel present (one for a mono element)
  bool HasSwitch = false;
  std::vector<bool> Switch;  // one per channel present; true: the channel sounds
};

struct AlsaElement {
  std::string Name;
  unsigned Index = 0;  // tells apart elements of the same name
  bool Enumerated = false;
  AlsaElementSide Playback;
  AlsaElementSide Capture;
};

// The mixer's own results; ALSA's codes, all negative, are passed on unchanged.
enum AlsaMixerError : int {
  kMixerNoSuchDevice = 1,
  kMixerBadHandle,
  kMixerNoSuchDestination,
  kMixerNoSuchSource,
  kMixerNoSuchLine,
  kMixerNoSuchControl,
  kMixerBadChannels,
  kMixerNoEventLoop,
};

inline constexpr uint32_t kAlsaMixerDestinations = 2;
// Far beyond any card's channels; keeps a wild count from asking for gigabytes of values.
inline constexpr uint32_t kMixerMaxAskedChannels = 1024;

class AlsaMixerMap {
 public:
  explicit AlsaMixerMap(std::vector<AlsaElement> elements);

  int Destination(uint32_t destination, MixerLine& line) const;
  int Source(uint32_t destination, uint32_t source, MixerLine& line) const;
  int LineControls(uint32_t lineId, std::vector<MixerControl>& controls) const;
  // Volumes scaled linearly from the element's raw range to 0..65535 per channel; a mute is
  // one value, 1 only when every channel's switch is off: a line counts as muted once it is
  // silent, not while any of its channels still sounds.
  int ControlValues(uint32_t controlId, uint32_t channels, std::vector<uint32_t>& values) const;

  const std::vector<AlsaElement>& Elements() const { return elements_; }
  // Takes a new reading of element `element` (lines and controls stay as they were built) and
  // gives the ids of the controls whose values differ from the previous reading's.
  std::vector<uint32_t> Update(size_t element, AlsaElement now);

 private:
  struct Line {
    MixerLine Info;
    bool HasElement = false;
    size_t Element = 0;
    bool Capture = false;
    std::vector<MixerControl> Controls;
  };
  const Line* FindLine(uint32_t lineId) const;
  std::vector<uint32_t> Values(const Line& line, uint32_t kind) const;

  std::vector<AlsaElement> elements_;
  // Per destination: the destination's own line, then its sources.
  std::array<std::vector<Line>, kAlsaMixerDestinations> lines_;
};
