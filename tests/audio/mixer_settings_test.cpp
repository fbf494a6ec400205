#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "audio/device_listing.h"
#include "audio/mixer_settings.h"
#include "audio/platform/output_devices.h"
#include "test_sound_card.h"

namespace {

MixerControl Control(uint32_t id, uint32_t type) { return {id, type, "", "", 0, 65535}; }

// Speakers (volume 1, mute 2) with a one-channel Wave source whose second volume overwrites
// its first, and a Line source without controls; a Recording destination whose first mute and
// the Mic's volume cannot be read.
TestMixer::Line Speakers() {
  TestMixer::Line wave{"Wave", kMixerSrcWaveOut, 1, {Control(3, kMixerVolume), Control(4, kMixerVolume)}, {}};
  TestMixer::Line line{"Line in", kMixerSrcLine, 2, {}, {}};
  return {"Speakers", kMixerDstSpeakers, 2, {Control(1, kMixerVolume), Control(2, kMixerMute)}, {wave, line}};
}

TestMixer::Line Recording() {
  TestMixer::Line mic{"Mic", kMixerSrcMicrophone, 1, {Control(9, kMixerVolume), Control(10, 0x30000000)}, {}};
  return {"Recording",
          kMixerDstWaveIn,
          2,
          {Control(5, kMixerPeakMeter), Control(6, kMixerMute), Control(7, kMixerMute), Control(8, kMixerMute)},
          {mic}};
}

void Describe(TestMixer& mixer) {
  mixer.Destinations = {Speakers(), Recording()};
  mixer.Values = {{1, {100, 200}}, {2, {1}}, {3, {300}}, {4, {400}}, {5, {7, 8}}, {7, {0}}, {8, {1}}};
}

using Entry = std::tuple<int, int, std::string, uint32_t, uint32_t, uint32_t, int, int, int, int, bool, bool, bool, bool>;

std::vector<Entry> Entries(const TMixerSettings& mixer) {
  std::vector<Entry> entries;
  for (const TMixDetails* e = mixer.Lines.get(); e; e = e->Next.get()) {
    entries.emplace_back(e->Destination, e->Source, e->Name, e->VolumeID, e->MuteID, e->MeterID, e->LeftVolume,
                         e->RightVolume, e->MeterChannels, e->Flags, e->Muted, e->MonoVolume, e->Playback,
                         e->HasControls);
  }
  return entries;
}

TEST(MixerSettingsTest, ListsEveryLineWithItsControlsAndTurnsChangesIntoEvents) {
  TestSoundCard card;
  Describe(card.Mixer);
  TAudio audio(card.Card());
  const TMixerSettings& mixer = audio.Mixer();
  EXPECT_TRUE(mixer.Available);
  constexpr uint32_t n = kNoControl;
  // destination, source, name, volume, mute, meter, left, right, meter channels, flags,
  // muted, mono, playback, has controls
  const std::vector<Entry> expected = {
      {-1, -1, "Test card", n, n, n, 0, 0, 0, 0, false, false, false, false},
      {0, 0, "Speakers", 1, 2, n, 100, 200, 0, 0, true, false, true, true},
      {0, 1, "Wave", 4, n, n, 400, 0, 0, 192, false, true, true, true},
      {0, 2, "Line in", n, n, n, 0, 0, 0, 128, false, false, true, false},
      {1, 0, "Recording", n, 7, 5, 0, 0, 2, 0, false, false, false, true},
      {1, 1, "Mic", n, n, n, 0, 0, 0, 128, false, false, false, false},
  };
  EXPECT_EQ(Entries(mixer), expected);

  std::vector<std::tuple<const TMixerSettings*, int, int>> events;
  card.Mixer.Change(4);  // unassigned: nothing to call
  audio.OnMixerChange = [&](TMixerSettings& sender, uint16_t destination, uint16_t source) {
    events.emplace_back(&sender, destination, source);
  };
  const auto handleLow = static_cast<int>(TestMixer::kHandle & 0xFFFF);
  card.Mixer.Change(4);
  card.Mixer.Change(7);
  card.Mixer.Change(3);  // overwritten by the Wave's second volume: in no entry
  EXPECT_EQ(events, (std::vector<std::tuple<const TMixerSettings*, int, int>>{
                        {&mixer, handleLow, 4}, {&mixer, 0, 1}, {&mixer, handleLow, 7}, {&mixer, 1, 0}, {&mixer, handleLow, 3}}));
}

TEST(MixerSettingsTest, AMixerThatCannotBeReadWholeStaysUnavailableAndIsClosedOnlyWhenListed) {
  struct Case {
    const char* what;
    std::function<void(TestMixer&)> arrange;
    size_t entries;
    int closes;  // at destruction
  };
  const Case cases[] = {
      {"no mixer device", [](TestMixer& m) { m.Present = false; }, 0, 0},
      {"the mixer does not open", [](TestMixer& m) { m.OpenResult = 4; }, 0, 0},
      {"a source cannot be read", [](TestMixer& m) { m.Failing.insert({0, 1}); }, 3, 1},
      {"the second destination cannot be read", [](TestMixer& m) { m.Failing.insert({1, -1}); }, 4, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestSoundCard card;
    Describe(card.Mixer);
    c.arrange(card.Mixer);
    {
      TAudio audio(card.Card());
      EXPECT_FALSE(audio.Mixer().Available);
      EXPECT_EQ(Entries(audio.Mixer()).size(), c.entries);
      bool called = false;
      audio.OnMixerChange = [&](TMixerSettings&, uint16_t, uint16_t) { called = true; };
      if (card.Mixer.Opens > 0) card.Mixer.Change(1);
      EXPECT_FALSE(called) << "an unavailable mixer raised its event";
    }
    EXPECT_EQ(card.Mixer.Closes, c.closes);
  }
}

TEST(MixerSettingsTest, ChoosingAnotherMixerClosesTheOneBeforeAndStartsItsListAfresh) {
  TestSoundCard card;
  Describe(card.Mixer);
  {
    TAudio audio(card.Card());
    audio.SetMixerDeviceID(1);  // no such mixer: the old one is released all the same
    EXPECT_EQ(card.Mixer.Closes, 1);
    EXPECT_EQ(audio.Mixer().Lines, nullptr);
    audio.SetMixerDeviceID(0);
    EXPECT_EQ(card.Mixer.Opens, 2);
    EXPECT_EQ(Entries(audio.Mixer()).size(), 6u);
  }
  EXPECT_EQ(card.Mixer.Closes, 2);
}

// Output devices named after their numbers, as the test wave input names its own.
struct TestOutputDevices final : IOutputDevices {
  unsigned DeviceCount() override { return 2; }
  std::string DeviceName(int device) override { return "test output " + std::to_string(device); }
};

TEST(MixerSettingsTest, TheDeviceListingShowsTheDevicesAndEveryListedLine) {
  TestSoundCard card;
  Describe(card.Mixer);
  TestOutputDevices outputs;
  TAudio audio(card.Card());
  EXPECT_EQ(DeviceListing(audio, outputs),
            "input devices: 1\n  0 test input 0\n  default (-1): test input -1\n"
            "output devices: 2\n  0 test output 0\n  1 test output 1\n  default (-1): test output -1\n"
            "mixers: 1\nmixer 0: Test card\n"
            "  0.0 Speakers [playback]: volume#1=100,200 mute#2=on\n"
            "  0.1 Wave [playback]: volume#4=400 (mono)\n"
            "  0.2 Line in [playback]: no controls\n"
            "  1.0 Recording: mute#7=off meter#5 (2 channels)\n"
            "  1.1 Mic: no controls\n");
}

}  // namespace
