#include "audio/alsa_file_home.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "test_support.h"

const std::string& SoundHome() {
  static const std::string home = [] {
    static TempDir dir;
    std::ofstream(dir.File(".asoundrc"))
        << "pcm.!default {\n"
           "  type file\n"
           "  slave.pcm \"null\"\n"
           "  file \"" << dir.File("out-%r-%c-%b.raw") << "\"\n"
           "  format \"raw\"\n"
           "}\n";
    setenv("HOME", dir.Path().c_str(), 1);
    // A configuration path of the machine's own would hide the .asoundrc.
    unsetenv("ALSA_CONFIG_PATH");
    return dir.Path().string();
  }();
  return home;
}

std::string PlaybackFile(uint32_t rate, int channels, int bits) {
  return SoundHome() + "/out-" + std::to_string(rate) + "-" + std::to_string(channels) + "-" +
         std::to_string(bits) + ".raw";
}

namespace {
class SoundHomeEnvironment : public testing::Environment {
 public:
  void SetUp() override { SoundHome(); }
};
[[maybe_unused]] testing::Environment* const kSoundHome =
    testing::AddGlobalTestEnvironment(new SoundHomeEnvironment);
}  // namespace
