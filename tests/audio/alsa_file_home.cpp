#include "audio/alsa_file_home.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits.h>
#include <stdexcept>

#include "test_support.h"

const std::string& SoundHome() {
  static const std::string home = [] {
    static TempDir dir;
    // The capture file must exist before PortAudio first looks at the devices, or the default
    // device would show no input channels for the rest of the run.
    std::ofstream(dir.File("capture.raw"));
    std::ofstream(dir.File(".asoundrc"))
        << "pcm.!default {\n"
           "  type asym\n"
           "  playback.pcm {\n"
           "    type file\n"
           "    slave.pcm \"null\"\n"
           "    file \"" << dir.File("out-%r-%c-%b.raw") << "\"\n"
           "    format \"raw\"\n"
           "  }\n"
           "  capture.pcm {\n"
           "    type file\n"
           "    slave.pcm \"null\"\n"
           "    infile \"" << dir.File("capture.raw") << "\"\n"
           "    file \"/dev/null\"\n"
           "    format \"raw\"\n"
           "  }\n"
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

std::string CaptureFile() { return SoundHome() + "/capture.raw"; }

namespace {
// A pipe left behind with no writer would hold up every later PortAudio start, which opens it.
void RestoreCaptureFile() {
  std::filesystem::remove(CaptureFile());
  std::ofstream{CaptureFile()};
}
}  // namespace

CaptureSource::CaptureSource(Frames frames, double framesPerSecond, size_t chunkFrames) {
  if (frames(0, chunkFrames).size() > PIPE_BUF) throw std::logic_error("a capture chunk must fit the pipe in one piece");
  const std::string path = CaptureFile();
  std::filesystem::remove(path);
  if (mkfifo(path.c_str(), 0600) != 0) {
    RestoreCaptureFile();
    throw std::runtime_error("mkfifo " + path);
  }
  // Read and write, so that neither this open nor ALSA's waits for the other end; non-blocking,
  // so that a chunk goes in whole or not at all and the writer can always be stopped.
  fd_ = open(path.c_str(), O_RDWR | O_NONBLOCK);
  if (fd_ < 0) {
    RestoreCaptureFile();
    throw std::runtime_error("open " + path);
  }
  writer_ = std::thread([=, this] { Feed(frames, framesPerSecond, chunkFrames); });
}

CaptureSource::~CaptureSource() {
  quit_ = true;
  writer_.join();
  RestoreCaptureFile();
  close(fd_);
}

void CaptureSource::Feed(Frames frames, double framesPerSecond, size_t chunkFrames) {
  const auto pause = std::chrono::duration<double>(chunkFrames / framesPerSecond);
  std::vector<uint8_t> chunk = frames(0, chunkFrames);
  while (!quit_) {
    // Counted before the write: the device may read the chunk before this thread runs again.
    written_ += chunkFrames;
    if (write(fd_, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size())) {
      written_ -= chunkFrames;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the pipe is full
      continue;
    }
    chunk = frames(written_, chunkFrames);
    std::this_thread::sleep_for(pause);
  }
}

UnansweredCapture::UnansweredCapture() {
  std::filesystem::remove(CaptureFile());
  if (mkfifo(CaptureFile().c_str(), 0600) != 0) {
    RestoreCaptureFile();
    throw std::runtime_error("mkfifo " + CaptureFile());
  }
}

UnansweredCapture::~UnansweredCapture() { RestoreCaptureFile(); }

namespace {
class SoundHomeEnvironment : public testing::Environment {
 public:
  void SetUp() override { SoundHome(); }
};
[[maybe_unused]] testing::Environment* const kSoundHome =
    testing::AddGlobalTestEnvironment(new SoundHomeEnvironment);
}  // namespace

PlaybackPipe::PlaybackPipe(const std::string& path) : path_(path) {
  std::filesystem::remove(path_);
  if (mkfifo(path_.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + path_);
  // Opened before ALSA's writer, which would otherwise wait for a reader.
  fd_ = open(path_.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd_ < 0) throw std::runtime_error("open " + path_);
  // As small as a pipe gets, so that a held pipe stops the device early.
  fcntl(fd_, F_SETPIPE_SZ, 4096);
}

PlaybackPipe::~PlaybackPipe() {
  Finish();
  close(fd_);
  std::filesystem::remove(path_);
}

void PlaybackPipe::Release(double bytesPerSecond) {
  reader_ = std::thread([this, bytesPerSecond] {
    const auto start = std::chrono::steady_clock::now();
    const size_t before = bytes_.size();
    while (!quit_) {
      size_t most = SIZE_MAX;
      if (bytesPerSecond > 0) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        const size_t allowed = before + static_cast<size_t>(elapsed.count() * bytesPerSecond);
        most = allowed > bytes_.size() ? allowed - bytes_.size() : 0;
      }
      if (most == 0 || !ReadAvailable(most)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
}

const std::vector<uint8_t>& PlaybackPipe::Finish() {
  quit_ = true;
  if (reader_.joinable()) reader_.join();
  while (ReadAvailable(SIZE_MAX)) {
  }
  return bytes_;
}

bool PlaybackPipe::ReadAvailable(size_t most) {
  std::array<uint8_t, 4096> chunk;
  const ssize_t n = read(fd_, chunk.data(), std::min(chunk.size(), most));
  // End of file before any data only means that no writer has come yet.
  if (n == 0 && received_ > 0) closed_ = true;
  if (n <= 0) return false;
  bytes_.insert(bytes_.end(), chunk.begin(), chunk.begin() + n);
  received_ += static_cast<size_t>(n);
  return true;
}

namespace {
bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + kDevicePatience;
  while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return done();
}
}  // namespace

bool PlaybackPipe::WaitUntilReceived(size_t bytes) const { return WaitFor([&] { return received_ >= bytes; }); }

bool PlaybackPipe::WaitUntilClosed() const { return WaitFor([&] { return closed_.load(); }); }
