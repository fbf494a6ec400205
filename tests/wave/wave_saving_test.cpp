#include <gtest/gtest.h>

#include <sys/stat.h>

#include "test_support.h"
#include "wave/system_sound_player.h"
#include "wave/wave_document.h"

namespace {

TEST(WaveSaving, ReplacingAFileLeavesNoTemporaryFileAndKeepsItsMode) {
  TempDir dir;
  const std::string target = dir.File("target.wav");
  WriteBytes(target, std::vector<uint8_t>(1000, 7));
  chmod(target.c_str(), 0640);
  SetNewWaveLength(0.01);
  TWave wave;
  wave.LoadFromFile(dir.File("new.wav"));
  wave.SaveToFile(target);

  EXPECT_EQ(ReadBytes(target), wave.Image());
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) names.push_back(e.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"target.wav"});
  struct stat st {};
  stat(target.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(wave.FileName(), dir.File("new.wav"));  // saving does not rename the document
}

TEST(WaveSaving, ASaveThatCannotCreateTheFileChangesNothing) {
  TempDir dir;
  // A regular file where a folder should be: no one, root included, can create files below it.
  WriteBytes(dir.File("plain"), {1, 2, 3});
  const std::string target = dir.File("plain") + "/out.wav";
  SetNewWaveLength(0.01);
  TWave wave;
  wave.LoadFromFile(dir.File("doc.wav"));
  const std::vector<uint8_t> before = wave.Image();
  try {
    wave.SaveToFile(target);
    ADD_FAILURE() << "saved";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file " + target, 0), 0u) << e.what();
  }
  EXPECT_EQ(wave.Image(), before);
  EXPECT_EQ(ReadBytes(dir.File("plain")), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(WaveSaving, SavingThroughALinkReplacesTheLinkedFile) {
  TempDir dir;
  WriteBytes(dir.File("real.wav"), {9});
  std::filesystem::create_symlink(dir.File("real.wav"), dir.File("link.wav"));
  SetNewWaveLength(0.01);
  TWave wave;
  wave.LoadFromFile(dir.File("doc.wav"));
  wave.SaveToFile(dir.File("link.wav"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.wav")));
  EXPECT_EQ(ReadBytes(dir.File("real.wav")), wave.Image());
}

// Records what the document hands to the system player.
class RecordingPlayer : public ISystemSoundPlayer {
 public:
  bool PlayAsync(const uint8_t* image, size_t size) override {
    played = image;
    playedSize = size;
    return true;
  }
  bool StopAll() override {
    ++stops;
    return true;
  }
  const uint8_t* played = nullptr;
  size_t playedSize = 0;
  int stops = 0;
};

TEST(WavePlayback, PlaysTheImageInPlaceAndStopsBeforeReplacingIt) {
  TempDir dir;
  TWave wave;
  SetSystemSoundPlayer(nullptr);
  SetNewWaveLength(0.1);
  wave.LoadFromFile(dir.File("a.wav"));
  EXPECT_FALSE(wave.Play());  // no player in this process

  RecordingPlayer player;
  SetSystemSoundPlayer(&player);
  EXPECT_TRUE(wave.Play());
  EXPECT_EQ(player.played, wave.Image().data());
  EXPECT_EQ(player.playedSize, wave.Image().size());
  EXPECT_EQ(player.stops, 0);
  wave.LoadFromFile(dir.File("b.wav"));  // the old image goes away: playback must end first
  EXPECT_EQ(player.stops, 1);
  wave.LoadFromFile(dir.File("c.wav"));  // nothing plays any more
  EXPECT_EQ(player.stops, 1);
  EXPECT_TRUE(wave.Stop());
  EXPECT_EQ(player.stops, 2);
  SetSystemSoundPlayer(nullptr);
}

}  // namespace
