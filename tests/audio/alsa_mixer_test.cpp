#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "audio/platform/alsa_mixer.h"
#include "audio/platform/alsa_mixer_map.h"

namespace {

AlsaElementSide Volume(long min, long max, std::vector<long> raw, std::vector<bool> on = {}) {
  return {true, min, max, std::move(raw), !on.empty(), std::move(on)};
}
AlsaElementSide SwitchOnly(std::vector<bool> on) { return {false, 0, 0, {}, true, std::move(on)}; }

AlsaElement Element(std::string name, AlsaElementSide playback, AlsaElementSide capture = {}) {
  return {std::move(name), 0, false, std::move(playback), std::move(capture)};
}

// In the mixer's element order.
std::vector<AlsaElement> TypicalCard() {
  AlsaElement selector = Element("Input Source", Volume(0, 3, {1}));
  selector.Enumerated = true;
  return {Element("Master", Volume(0, 87, {87, 44}, {true, true})),
          Element("PCM", Volume(0, 255, {255, 0})),
          Element("Mic", Volume(-10, 10, {0}, {false})),
          selector,
          Element("Line", SwitchOnly({false, true})),
          Element("CD", Volume(0, 31, {31, 31}), Volume(0, 31, {0, 31})),
          Element("Capture", {}, Volume(-16, 47, {47, -16}, {false, false})),
          Element("Mic Boost", {}, Volume(3, 3, {3})),
          Element("Beep", Volume(0, 15, {15}, {true})),
          Element("Headphone", Volume(LONG_MIN, LONG_MAX, {0, -1}))};
}

constexpr int kDestination = -1;
constexpr int kNone = -1;

TEST(AlsaMixerMap, TypicalCardBecomesLinesAndControls) {
  const AlsaMixerMap map(TypicalCard());
  struct Row {
    uint32_t destination;
    int source;
    std::string name;
    uint32_t type, channels, connections;
    std::vector<uint32_t> volume;  // empty: no volume control
    int mute;
  };
  const Row rows[] = {
      {0, kDestination, "Playback", kMixerDstSpeakers, 2, 6, {65535, 33144}, 0},
      {0, 0, "PCM", kMixerSrcWaveOut, 2, 0, {65535, 0}, kNone},
      {0, 1, "Mic", kMixerSrcMicrophone, 1, 0, {32768}, 1},
      {0, 2, "Line", kMixerSrcLine, 2, 0, {}, 0},  // one channel still sounds
      {0, 3, "CD", kMixerSrcCompactDisc, 2, 0, {65535, 65535}, kNone},
      {0, 4, "Beep", kMixerSrcPcSpeaker, 1, 0, {65535}, 0},
      {0, 5, "Headphone", kMixerSrcUndefined, 2, 0, {32768, 32767}, kNone},
      {1, kDestination, "Capture", kMixerDstWaveIn, 2, 2, {65535, 0}, 1},
      {1, 0, "CD", kMixerSrcCompactDisc, 2, 0, {0, 65535}, kNone},
      {1, 1, "Mic Boost", kMixerSrcMicrophone, 1, 0, {65535}, kNone},
  };
  std::set<uint32_t> lineIds, controlIds;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name + " of destination " + std::to_string(row.destination));
    MixerLine line;
    ASSERT_EQ(row.source == kDestination ? map.Destination(row.destination, line)
                                         : map.Source(row.destination, row.source, line), 0);
    EXPECT_EQ(line.Name, row.name);
    EXPECT_EQ(line.Destination, row.destination);
    EXPECT_EQ(line.Source, row.source == kDestination ? 0u : uint32_t(row.source));
    EXPECT_EQ(line.ComponentType, row.type);
    EXPECT_EQ(line.Channels, row.channels);
    EXPECT_EQ(line.Connections, row.connections);
    lineIds.insert(line.LineID);

    std::vector<MixerControl> controls;
    ASSERT_EQ(map.LineControls(line.LineID, controls), 0);
    EXPECT_EQ(line.Controls, controls.size());
    size_t next = 0;
    for (const auto& [type, expected] : {std::pair{kMixerVolume, row.volume},
                                         std::pair{kMixerMute, row.mute == kNone ? std::vector<uint32_t>{}
                                                                                  : std::vector{uint32_t(row.mute)}}}) {
      if (expected.empty()) continue;
      ASSERT_LT(next, controls.size());
      const MixerControl& control = controls[next++];
      EXPECT_EQ(control.ControlType, type);
      EXPECT_EQ(control.Maximum, type == kMixerVolume ? 65535 : 1);
      std::vector<uint32_t> values;
      ASSERT_EQ(map.ControlValues(control.ControlID, uint32_t(expected.size()), values), 0);
      EXPECT_EQ(values, expected);
      controlIds.insert(control.ControlID);
    }
    EXPECT_EQ(next, controls.size()) << "a control the row does not expect";
  }
  EXPECT_EQ(lineIds.size(), std::size(rows));
  EXPECT_EQ(controlIds.size(), 14u);
  EXPECT_FALSE(lineIds.contains(0) || controlIds.contains(0));
  MixerLine beyond;
  EXPECT_EQ(map.Source(0, 6, beyond), kMixerNoSuchSource);
  EXPECT_EQ(map.Source(1, 2, beyond), kMixerNoSuchSource);
}

TEST(AlsaMixerMap, CardWithoutMasterOrCapture) {
  AlsaElement second = Element("Master", Volume(0, 31, {0}));
  second.Index = 1;  // a second output's, not the card's own
  const AlsaMixerMap map({Element("PCM", Volume(0, 31, {0, 0})), Element("Speaker", SwitchOnly({true})), second});
  MixerLine playback, capture, line;
  ASSERT_EQ(map.Destination(0, playback), 0);
  EXPECT_EQ(playback.Connections, 3u);
  EXPECT_EQ(playback.Controls, 0u);
  EXPECT_EQ(playback.Channels, 2u);  // its widest source
  ASSERT_EQ(map.Destination(1, capture), 0);
  EXPECT_EQ(capture.Connections, 0u);
  EXPECT_EQ(map.Source(1, 0, line), kMixerNoSuchSource);
  ASSERT_EQ(map.Source(0, 2, line), 0);
  EXPECT_EQ(line.Name, "Master 1");
  std::vector<MixerControl> controls{MixerControl{}};
  ASSERT_EQ(map.LineControls(playback.LineID, controls), 0);
  EXPECT_TRUE(controls.empty());
}

TEST(AlsaMixerMap, RefusesWhatItDoesNotHave) {
  const AlsaMixerMap map(TypicalCard());
  MixerLine master, pcm;
  ASSERT_EQ(map.Destination(0, master), 0);
  ASSERT_EQ(map.Source(0, 0, pcm), 0);
  std::vector<MixerControl> controls;
  ASSERT_EQ(map.LineControls(master.LineID, controls), 0);
  const uint32_t volume = controls[0].ControlID, mute = controls[1].ControlID;

  std::vector<uint32_t> values;
  EXPECT_EQ(map.ControlValues(volume, 4, values), 0);
  EXPECT_EQ(values, (std::vector<uint32_t>{65535, 33144, 33144, 33144}));
  EXPECT_EQ(map.ControlValues(mute, 2, values), 0);
  EXPECT_EQ(values, (std::vector<uint32_t>{0, 0}));

  MixerLine line;
  EXPECT_EQ(map.Destination(2, line), kMixerNoSuchDestination);
  EXPECT_EQ(map.Source(2, 0, line), kMixerNoSuchDestination);
  EXPECT_EQ(map.Source(0, UINT32_MAX, line), kMixerNoSuchSource);
  for (const uint32_t lineId : {0u, master.LineID | 0xFFFF, 3u << 16, pcm.LineID << 2}) {
    EXPECT_EQ(map.LineControls(lineId, controls), kMixerNoSuchLine) << lineId;
  }
  // PCM has no switch, so its mute's id belongs to nothing.
  for (const uint32_t controlId : {0u, pcm.LineID << 2 | 1, pcm.LineID, volume | 2}) {
    EXPECT_EQ(map.ControlValues(controlId, 1, values), kMixerNoSuchControl) << controlId;
  }
  EXPECT_EQ(map.ControlValues(volume, 0, values), kMixerBadChannels);
  EXPECT_EQ(map.ControlValues(volume, kMixerMaxAskedChannels + 1, values), kMixerBadChannels);
}

TEST(AlsaMixerMap, UpdateTellsTheControlsWhoseValuesChanged) {
  struct Row {
    const char* what;
    size_t element;
    AlsaElementSide playback, capture;
    struct Control {
      uint32_t destination;
      int source;
      size_t place;  // among the line's controls
    };
    std::vector<Control> changed;
  };
  const std::vector<AlsaElement> card = TypicalCard();
  const Row rows[] = {
      {"one channel of two off", 0, Volume(0, 87, {87, 44}, {false, true}), {}, {}},
      {"both channels off", 0, Volume(0, 87, {87, 44}, {false, false}), {}, {{0, kDestination, 1}}},
      {"same values read again", 0, Volume(0, 87, {87, 44}, {true, true}), {}, {}},
      {"one raw step", 1, Volume(0, 255, {254, 0}), {}, {{0, 0, 0}}},
      {"both directions", 5, Volume(0, 31, {31, 30}), Volume(0, 31, {1, 31}), {{0, 3, 0}, {1, 0, 0}}},
      {"switch only, now silent", 4, SwitchOnly({false, false}), {}, {{0, 2, 0}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    AlsaMixerMap map(card);
    AlsaElement now = card[row.element];
    now.Playback = row.playback;
    now.Capture = row.capture;
    std::vector<uint32_t> expected;
    for (const auto& [destination, source, place] : row.changed) {
      MixerLine line;
      ASSERT_EQ(source == kDestination ? map.Destination(destination, line) : map.Source(destination, source, line), 0);
      std::vector<MixerControl> controls;
      ASSERT_EQ(map.LineControls(line.LineID, controls), 0);
      expected.push_back(controls.at(place).ControlID);
    }
    EXPECT_EQ(map.Update(row.element, now), expected);
    EXPECT_TRUE(map.Update(row.element, now).empty()) << "the same reading twice";
  }
}

// The live mixer on this machine: whatever cards it has, one past the last is refused.
TEST(AlsaMixer, CountsTheCardsAndRefusesOthersQuietly) {
  size_t cards = 0;
  if (std::filesystem::exists("/proc/asound")) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc/asound")) {
      const std::string name = entry.path().filename().string();
      cards += name.size() > 4 && name.starts_with("card") &&
               name.find_first_not_of("0123456789", 4) == std::string::npos;
    }
  }
  testing::internal::CaptureStderr();
  {
    AlsaMixer mixer;
    EXPECT_EQ(mixer.DeviceCount(), cards);
    MixerCaps caps;
    MixerHandle handle = 0;
    EXPECT_EQ(mixer.GetCaps(unsigned(cards), caps), kMixerNoSuchDevice);
    EXPECT_EQ(mixer.Open(unsigned(cards), nullptr, handle), kMixerNoSuchDevice);
    EXPECT_EQ(handle, 0u);
    MixerLine line;
    std::vector<MixerControl> controls;
    std::vector<uint32_t> values;
    EXPECT_EQ(mixer.Close(1), kMixerBadHandle);
    EXPECT_EQ(mixer.GetDestination(1, 0, line), kMixerBadHandle);
    EXPECT_EQ(mixer.GetSource(1, 0, 0, line), kMixerBadHandle);
    EXPECT_EQ(mixer.GetLineControls(1, 0x10000, controls), kMixerBadHandle);
    EXPECT_EQ(mixer.GetControlValues(1, 0x40000, 1, values), kMixerBadHandle);

    std::set<std::string> texts;
    for (int code = kMixerNoSuchDevice; code <= kMixerNoEventLoop; ++code) texts.insert(mixer.ErrorText(code));
    texts.insert(mixer.ErrorText(-ENODEV));
    EXPECT_EQ(texts.size(), size_t(kMixerNoEventLoop + 1)) << "a code without a text of its own";
    EXPECT_FALSE(texts.contains(""));
    EXPECT_NE(mixer.ErrorText(kMixerNoSuchDevice).find("no such mixer"), std::string::npos);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
