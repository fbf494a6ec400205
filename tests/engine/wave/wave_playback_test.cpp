#include <gtest/gtest.h>

#include "wave/system_sound_player.h"
#include "wave/wave_document.h"

namespace {

// Records what the document hands to the system player.
class RecordingPlayer : public ISystemSoundPlayer {
 public:
  bool PlayAsync(const uint8_t* image, size_t size, int64_t, int64_t) override {
    played = image;
    playedSize = size;
    return true;
  }
  bool StopAll() override {
    ++stops;
    return true;
  }
  int64_t PlayingFrame() const override { return -1; }
  const uint8_t* played = nullptr;
  size_t playedSize = 0;
  int stops = 0;
};

TEST(WavePlayback, PlaysTheImageInPlaceAndStopsBeforeTheImageGoes) {
  RecordingPlayer player;
  TWave wave;
  wave.CreateSilent("a.wav", 0.1);
  EXPECT_FALSE(wave.Play());  // no player linked yet
  EXPECT_FALSE(wave.Stop());

  wave.SetSoundPlayer(&player);
  EXPECT_TRUE(wave.Play());
  EXPECT_EQ(player.played, wave.Image().data());
  EXPECT_EQ(player.playedSize, wave.Image().size());
  EXPECT_EQ(player.stops, 0);
  wave.CreateSilent("b.wav", 0.1);  // the old image goes away: playback must end first
  EXPECT_EQ(player.stops, 1);
  wave.CreateSilent("c.wav", 0.1);  // nothing plays any more
  EXPECT_EQ(player.stops, 1);
  EXPECT_TRUE(wave.Stop());
  EXPECT_EQ(player.stops, 2);

  {
    TWave closing;
    closing.SetSoundPlayer(&player);
    closing.CreateSilent("d.wav", 0.1);
    ASSERT_TRUE(closing.Play());
  }
  EXPECT_EQ(player.stops, 3);

  // Unlinking the player ends what it plays, as nothing could stop it later.
  ASSERT_TRUE(wave.Play());
  wave.SetSoundPlayer(nullptr);
  EXPECT_EQ(player.stops, 4);
}

}  // namespace
