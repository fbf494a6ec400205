#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "audio/alsa_file_home.h"
#include "audio/message_loop.h"
#include "audio/platform/system_sound_card.h"
#include "audio/player.h"
#include "audio/recorder.h"
#include "test_sound_card.h"

namespace {

// The device's notifications and the refills run on this thread's event loop.
void App() { EnsureMessageLoop(); }

// Bytes 1..250 running on: never 0 nor 128, the silence of either sample size.
std::string Sound(size_t size, size_t first = 0) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(1 + (first + i) % 250);
  return bytes;
}

std::unique_ptr<std::istream> Stream(const std::string& bytes) { return std::make_unique<std::istringstream>(bytes); }

class PlayerTest : public ::testing::Test {
 protected:
  PlayerTest() {
    App();
    audio.SetNoSamples(100);  // 8-bit mono: buffers of 100 bytes
    audio.OnPlayed = [this](TPlayer&) { ++played; };
    audio.OnBufferPlayed = [this](TAudio&) { ++buffersPlayed; };
  }
  TPlayer& player() { return audio.Player(); }
  // Lets the device play whatever is queued until the player has closed it, watching that it
  // never holds more than three buffers.
  void PlayOut() {
    for (int idle = 0; idle < 5;) {
      QCoreApplication::processEvents();
      mostQueued = std::max(mostQueued, card.WaveOut.Queued());
      idle = card.WaveOut.PlayNext() ? 0 : idle + 1;
    }
  }

  TestSoundCard card;
  TAudio audio{card.Card()};
  int played = 0;
  int buffersPlayed = 0;
  size_t mostQueued = 0;
};

TEST_F(PlayerTest, AStreamPlaysWholeAndInOrderLoopCountTimesMoreThenClosesTheDevice) {
  const struct {
    size_t size;
    uint16_t loops;
  } cases[] = {{1000, 0}, {1037, 0}, {40, 0}, {0, 0}, {250, 2}, {0, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " bytes, " << c.loops << " loops");
    card.WaveOut.Played.clear();
    played = buffersPlayed = 0;
    mostQueued = 0;
    const std::string sound = Sound(c.size);
    ASSERT_TRUE(player().Play(Stream(sound), c.loops)) << audio.ErrorMessage;
    PlayOut();
    std::string expected;
    for (int i = 0; i <= c.loops; ++i) expected += sound;
    EXPECT_EQ(std::string(card.WaveOut.Played.begin(), card.WaveOut.Played.end()), expected);
    EXPECT_EQ(played, 1);
    EXPECT_EQ(buffersPlayed, (c.loops + 1) * static_cast<int>((c.size + 99) / 100));
    EXPECT_LE(mostQueued, 3u);
    EXPECT_FALSE(card.WaveOut.IsOpen());
    EXPECT_FALSE(player().IsOpen);
    EXPECT_FALSE(player().Active);
    EXPECT_EQ(player().PlayStream, nullptr);
    EXPECT_EQ(audio.ErrorMessage, "");
  }
}

TEST_F(PlayerTest, StopEndsTheStreamAtOnceAndAnotherFormatIsGivenBack) {
  ASSERT_TRUE(player().Play(Stream(Sound(5000)), 0, TChannels::Stereo, TBPS::_16, 22050));
  EXPECT_EQ(card.WaveOut.Format.BlockAlign, 4);
  EXPECT_EQ(audio.Recorder().SampleRate(), 22050) << "the recorder follows unless kept apart";
  QCoreApplication::processEvents();
  card.WaveOut.PlayNext();
  card.WaveOut.PlayNext();
  QCoreApplication::processEvents();
  player().Stop();
  EXPECT_FALSE(card.WaveOut.IsOpen());
  EXPECT_FALSE(player().Active);
  EXPECT_EQ(played, 1);
  EXPECT_EQ(audio.ErrorMessage, "");
  EXPECT_EQ(card.WaveOut.Played.size(), 2 * 400u);
  EXPECT_EQ(player().SampleRate(), 11025);
  EXPECT_EQ(player().Channels(), TChannels::Mono);
  EXPECT_EQ(player().BitsPerSample(), TBPS::_8);
  EXPECT_EQ(audio.Recorder().SampleRate(), 11025);

  player().Stop();
  EXPECT_EQ(audio.ErrorMessage, "Player already closed");
}

TEST_F(PlayerTest, EveryDeviceFailureSaysWhatFailedAndLeavesTheDeviceClosed) {
  struct Case {
    const char* what;
    std::function<void(TestWaveOutput&)> arrange;
    bool started;
    std::string message;
  };
  const Case cases[] = {
      {"open", [](TestWaveOutput& o) { o.OpenResult = 5; }, false, "Could not open the output device for playing:  test error 5"},
      {"first write", [](TestWaveOutput& o) { o.WriteResult = 6; }, false, " test error 6"},
      {"prepare", [](TestWaveOutput& o) { o.PrepareResult = 7; }, false, " test error 7"},
      // The rest of the stream still plays; the block that could not be written is lost.
      {"a later write", [](TestWaveOutput& o) { o.WriteResult = 6, o.WriteFailsFrom = 5; }, true, " test error 6"},
      {"unprepare", [](TestWaveOutput& o) { o.UnprepareResult = 8; }, true, "Error unpreparing header for playing:  test error 8"},
      {"close", [](TestWaveOutput& o) { o.CloseResult = 9; }, true, "Error closing output device:  test error 9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestSoundCard failing;
    {
      TAudio component(failing.Card());
      component.SetNoSamples(100);
      c.arrange(failing.WaveOut);
      EXPECT_EQ(component.Player().Play(Stream(Sound(1000)), 0, TChannels::Stereo, TBPS::_8, 11025), c.started);
      if (c.started) {
        for (int idle = 0; idle < 5;) {
          QCoreApplication::processEvents();
          idle = failing.WaveOut.PlayNext() ? 0 : idle + 1;
        }
      }
      EXPECT_EQ(component.ErrorMessage, c.message);
      if (!c.started) {
        EXPECT_EQ(component.Player().Channels(), TChannels::Mono) << "the format was not given back";
      }
      // The component goes all the same, with the device left to a later close.
      failing.WaveOut.UnprepareResult = failing.WaveOut.CloseResult = 0;
    }
    EXPECT_FALSE(failing.WaveOut.IsOpen());
  }
}

// The player's stream through PortAudio and ALSA's file device. The pipe takes the sound at twenty
// times its rate; the three buffers the device holds, of 60000 frames each, outlast what the
// pipe swallows at once and keep the refills ahead of the device, so that nothing but the
// stream's own bytes may sit between its first byte and its last.
TEST(PlayerDeviceTest, TheStreamArrivesInTheOutputFileByteForByte) {
  App();
  SoundHome();
  PlaybackPipe pipe(PlaybackFile(22050, 1, 8));
  SystemSoundCard card;
  int played = 0;
  {
    TAudio audio(card.Card());
    TPlayer& player = audio.Player();
    audio.SetSampleRate(player, 22050);
    audio.SetNoSamples(60000);
    audio.OnPlayed = [&](TPlayer&) { ++played; };
    const std::string sound = Sound(200000, 7);
    // Held while the first buffers are queued: the null device would play the first before the
    // second is written.
    ASSERT_TRUE(player.Play(Stream(sound), 1)) << audio.ErrorMessage;
    pipe.Release(441000);
    for (const auto deadline = std::chrono::steady_clock::now() + kDevicePatience;
         played == 0 && std::chrono::steady_clock::now() < deadline;) {
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(played, 1) << "the stream never ended";
    EXPECT_EQ(audio.ErrorMessage, "");

    const std::vector<uint8_t>& out = pipe.Finish();
    const std::string both = sound + sound;
    const std::vector<uint8_t> twice(both.begin(), both.end());
    const auto first = std::find_if(out.begin(), out.end(), [](uint8_t b) { return b != 128; });
    ASSERT_GE(out.end() - first, static_cast<ptrdiff_t>(twice.size()));
    EXPECT_TRUE(std::equal(twice.begin(), twice.end(), first)) << "the stream did not arrive whole and unbroken";
    EXPECT_TRUE(std::all_of(first + static_cast<ptrdiff_t>(twice.size()), out.end(), [](uint8_t b) { return b == 128; }));
  }
}

}  // namespace
