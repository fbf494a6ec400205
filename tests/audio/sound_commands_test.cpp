#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/alsa_file_home.h"
#include "test_support.h"
#include "wave/wave_document.h"

// velorin-cli record and play through real PortAudio and ALSA: the default capture device reads a counter
// pattern at the format's own pace, so a frame lost or doubled anywhere shows.

namespace {

// Frame k of a counter: 8-bit mono k mod 256; 16- or 24-bit stereo k and its complement.
std::vector<uint8_t> Counter(int bits, int channels, uint64_t first, size_t count) {
  std::vector<uint8_t> bytes;
  for (uint64_t k = first; k < first + count; ++k) {
    for (int c = 0; c < channels; ++c) {
      const uint64_t v = c == 0 ? k : ~k;
      for (int b = 0; b < bits / 8; ++b) bytes.push_back(static_cast<uint8_t>(v >> 8 * b));
    }
  }
  return bytes;
}

// The left channel's counter, read back as the engine reads it.
int64_t CounterAt(const TWave& wave, uint32_t frame) {
  const double v = wave.GetSample(frame, false);
  if (wave.BitsPerSample() == 8) return std::lround((v * 255 + 255) / 2);
  const double steps = std::ldexp(1.0, wave.BitsPerSample()) - 1;
  return std::llround((v * steps - 1) / 2) & ((int64_t{1} << wave.BitsPerSample()) - 1);
}

std::string Cli() { return CliProgramPath(); }
std::string Scratch() { return std::filesystem::path(Cli()).parent_path() / "velorin_temp.wav"; }

TEST(RecordCommandDeviceTest, RecordsTheInputInTheChosenFormatWithoutLosingOrDoublingAFrame) {
  SoundHome();
  struct Case {
    uint32_t rate;
    int bits, channels;
  };
  for (const Case c : {Case{22050, 8, 1}, Case{44100, 16, 2}, Case{11025, 24, 2}}) {
    SCOPED_TRACE(std::to_string(c.rate) + " " + std::to_string(c.bits) + " " + std::to_string(c.channels));
    TempDir dir;
    const std::string out = dir.File("out.wav");
    std::string err;
    int code;
    {
      // Each chunk goes into the pipe in one piece, 4096 bytes at most; 6-byte frames go in
      // chunks of 512, as the device reads them, so that no read of the pipe ends inside a frame
      // (ALSA's file device fills the rest of a short read with what its buffer held before).
      CaptureSource source([&](uint64_t first, size_t count) { return Counter(c.bits, c.channels, first, count); },
                           c.rate, c.bits == 24 ? 512 : 1024);
      code = RunCommand(Cli() + " record 3 " + std::to_string(c.rate) + " " + std::to_string(c.bits) + " " +
                            std::to_string(c.channels) + " save '" + out + "'",
                        nullptr, &err);
    }
    ASSERT_EQ(code, 0) << err;
    EXPECT_EQ(err, "");  // no dropped frames, and nothing from the sound libraries
    TWave wave;
    wave.LoadFromFile(out, 0);
    EXPECT_EQ(wave.SampleRate(), c.rate);
    EXPECT_EQ(wave.BitsPerSample(), c.bits);
    EXPECT_EQ(wave.Channels(), c.channels);
    // Exactly the three seconds asked for, though the device delivers whole buffers.
    EXPECT_EQ(wave.SampleCount(), c.rate * 3);
    const int64_t modulus = int64_t{1} << c.bits;
    for (uint32_t i = 1; i < wave.SampleCount(); ++i) {
      ASSERT_EQ(CounterAt(wave, i), (CounterAt(wave, i - 1) + 1) % modulus) << "frame " << i;
    }
  }
}

// The data chunk's size as the header of a growing recording states it; 0 while there is none.
uint32_t DataSizeField(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  uint8_t field[4] = {};
  if (!file.seekg(40) || !file.read(reinterpret_cast<char*>(field), 4)) return 0;
  return field[0] | field[1] << 8 | field[2] << 16 | uint32_t{field[3]} << 24;
}

// velorin-cli `words` in a child, its output in `dir`, with files of at most `fileLimit` bytes
// (0: no limit) and SIGXFSZ ignored, so that a write past the limit fails with EFBIG. The child
// only makes calls that are safe after forking a process with threads.
pid_t StartCli(const std::vector<std::string>& words, const TempDir& dir, rlim_t fileLimit) {
  // PulseAudio's client, which the device scan wakes, would fail to size its shared memory under
  // the limit, and say so.
  std::ofstream(dir.File("client.conf")) << "enable-shm = no\n";
  std::vector<std::string> strings = {Cli()};
  strings.insert(strings.end(), words.begin(), words.end());
  const size_t argc = strings.size();
  strings.push_back("PULSE_CLIENTCONFIG=" + dir.File("client.conf"));
  for (char** variable = environ; *variable; ++variable) strings.emplace_back(*variable);
  std::vector<char*> pointers;
  for (std::string& string : strings) pointers.push_back(string.data());
  pointers.insert(pointers.begin() + argc, nullptr);
  pointers.push_back(nullptr);
  const std::string out = dir.File("out"), err = dir.File("err");
  const pid_t child = fork();
  if (child != 0) return child;
  // A command that hangs after all ends here, so that its test fails rather than waits.
  alarm(60);
  const rlimit limit{fileLimit, fileLimit};
  if (fileLimit > 0) setrlimit(RLIMIT_FSIZE, &limit);
  signal(SIGXFSZ, SIG_IGN);
  dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
  dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
  execve(pointers[0], pointers.data(), pointers.data() + argc + 1);
  _exit(127);
}

// What happens to a recording that something gets in the way of, through the real device: what
// the user is told, the exit code, and what the scratch file holds.
TEST(RecordCommandDeviceTest, ARecordingThatIsInterferedWithSaysSoAndKeepsWhatItWrote) {
  SoundHome();
  const std::string scratch = Scratch();
  const std::string recovered = std::filesystem::path(scratch).parent_path() / "velorin_recovered_1.wav";
  std::filesystem::remove(recovered);
  struct Row {
    const char* name;
    const char* seconds;
    rlim_t fileLimit;
    // Done once the file's header counts half a second; null: nothing.
    std::function<void(pid_t)> during;
    int code;  // 128 + the signal for one that killed it
    std::string err;
    bool kept, exact;  // the file stays, with its size fields exact rather than up to a second behind
  };
  const auto send = [](int signal) { return [signal](pid_t child) { kill(child, signal); }; };
  const std::vector<Row> rows = {
      // An odd limit cuts a frame in two: the file keeps only whole ones.
      {"file too large", "10", 44 + 4 * 25000 + 3, nullptr, 2, "Cannot write file " + scratch + " (File too large)\n", true, true},
      // Nothing is left of a start that could not write the header. Standard error, a file too,
      // takes no more than the limit either.
      {"full before the first byte", "10", 40, nullptr, 2,
       ("Cannot create file " + scratch + " (File too large)\n").substr(0, 40), false, false},
      {"SIGINT", "10", 0, send(SIGINT), 130, "Recording interrupted; " + scratch + " holds what was recorded\n", true, true},
      {"SIGTERM", "10", 0, send(SIGTERM), 143, "Recording interrupted; " + scratch + " holds what was recorded\n", true, true},
      {"SIGKILL", "10", 0, send(SIGKILL), 128 + SIGKILL, "", true, true},
      // What the descriptor still reads goes to a file beside the lost one.
      {"deleted", "10", 0, [&](pid_t) { std::filesystem::remove(scratch); }, 2,
       "The recording file " + scratch + " was deleted while recording; what was recorded is in " + recovered + "\n",
       false, false},
      {"second recording", "2", 0,
       [&](pid_t) {
         std::string err;
         EXPECT_EQ(RunCommand(Cli() + " record 1 22050 16 2", nullptr, &err), 2);
         EXPECT_EQ(err, "Another recording is using " + scratch + "\n");
       },
       0, "", true, true},
  };
  const auto text = [](const std::string& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(scratch);
    TempDir dir;
    CaptureSource source([](uint64_t first, size_t count) { return Counter(16, 2, first, count); }, 22050, 1024);
    const pid_t child = StartCli({"record", row.seconds, "22050", "16", "2", "info"}, dir, row.fileLimit);
    ASSERT_GE(child, 0);
    if (row.during) {
      const auto deadline = std::chrono::steady_clock::now() + kDevicePatience;
      while (DataSizeField(scratch) < 22050 * 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      row.during(child);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), row.code);
    EXPECT_EQ(text(dir.File("err")), row.err);
    // The commands after record ran only for the recording that was left alone.
    EXPECT_EQ(text(dir.File("out")).empty(), row.code != 0);
    ASSERT_EQ(std::filesystem::exists(scratch), row.kept);
    const std::string& file = row.kept ? scratch : recovered;
    if (!std::filesystem::exists(file)) continue;
    const uint64_t size = std::filesystem::file_size(file);
    EXPECT_EQ((size - 44) % 4, 0u);
    if (row.exact) { EXPECT_EQ(DataSizeField(file), size - 44); }
    TWave wave;
    wave.LoadFromFile(file, 0);
    EXPECT_GE(wave.Duration(), row.code == 0 ? 2.0 : 0.5);
    if (row.fileLimit) { EXPECT_EQ(size, 44u + 4 * 25000); }
    std::filesystem::remove(recovered);
  }
  std::filesystem::remove(scratch);
}

// A sound system that never answers (its capture device a pipe without a writer, or one that
// stops delivering) holds up neither command past its bound: the probe and a stalled stop give up
// after five seconds, a recording that falls silent ends within ten seconds of its length, and
// the first signal ends a recording within a second.
TEST(RecordCommandDeviceTest, ASoundSystemThatDoesNotAnswerIsGivenUpOnWithinItsBound) {
  SoundHome();
  const std::string silent = "The sound system does not answer\n";
  const std::string interrupted = "Recording interrupted; " + Scratch() + " holds what was recorded\n";
  const std::vector<std::string> record = {"record", "1", "11025", "8", "1"};
  const struct {
    const char* name;
    std::vector<std::string> words;
    bool stalls, interrupted;  // a capture that stalls after half a second, else one without writer
    int code;
    std::string err;
    double most;  // seconds the command may take
  } rows[] = {
      {"record", record, false, false, 2, silent, 7},
      {"play", {"new", "0.2", "play"}, false, false, 2, silent, 7},
      {"SIGINT", record, false, true, 130, interrupted, 1.5},
      {"stalled capture", record, true, false, 2, silent, 11},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    std::optional<UnansweredCapture> unanswered;
    std::optional<CaptureSource> stalling;
    const auto stalled = [](uint64_t first, size_t count) { return first < 5512 ? Counter(8, 1, first, count) : std::vector<uint8_t>{}; };
    row.stalls ? (void)stalling.emplace(stalled, 11025, 256) : (void)unanswered.emplace();
    const auto begun = std::chrono::steady_clock::now();
    const pid_t child = StartCli(row.words, dir, 0);
    ASSERT_GE(child, 0);
    if (row.interrupted) {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      kill(child, SIGINT);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begun - std::chrono::milliseconds(row.interrupted ? 500 : 0);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), row.code);
    const std::vector<uint8_t> err = ReadBytes(dir.File("err"));
    EXPECT_EQ(std::string(err.begin(), err.end()), row.err);
    EXPECT_LT(took.count(), row.most);
  }
  std::filesystem::remove(Scratch());
}

}  // namespace

namespace {

TEST(PlayCommandDeviceTest, PlaysTheWholeSoundIntoTheDevice) {
  SoundHome();
  TempDir dir;
  std::vector<int16_t> samples(2 * 11025);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 7919 % 65536 - 32768);
  std::vector<uint8_t> image = Wave16(samples, samples);
  WriteBytes(dir.File("tone.wav"), image);
  std::filesystem::remove(PlaybackFile(44100, 2, 16));
  std::string err;
  ASSERT_EQ(RunCommand(Cli() + " open '" + dir.File("tone.wav") + "' play", nullptr, &err), 0) << err;
  EXPECT_EQ(err, "");
  const std::vector<uint8_t> played = ReadBytes(PlaybackFile(44100, 2, 16));
  const std::vector<uint8_t> data(image.begin() + 44, image.end());
  EXPECT_NE(std::search(played.begin(), played.end(), data.begin(), data.end()), played.end());
}

}  // namespace

namespace {

// A capture device that cannot be opened: the recorder's own message, and nothing else.
TEST(RecordCommandDeviceTest, WithoutAnInputDeviceExitsWith2AndTheRecordersMessageOnly) {
  TempDir home;
  WriteBytes(home.File(".asoundrc"), [] {
    const std::string text = "pcm.!default { type asym playback.pcm \"null\" capture.pcm { type hw card 99 } }\n";
    return std::vector<uint8_t>(text.begin(), text.end());
  }());
  std::string err;
  const int code = RunCommand("HOME='" + home.Path().string() + "' " + Cli() + " record 1 22050 8 1", nullptr, &err);
  EXPECT_EQ(code, 2);
  EXPECT_EQ(err.rfind("Could not open the input device for recording: ", 0), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

}  // namespace

namespace {

// The devices as the program sees them: ALSA's file device plays and records, and a machine
// without a sound card has no mixer. Nothing of the sound libraries' own reaches standard error.
TEST(DevicesCommandDeviceTest, ListsTheDevicesThatPlayAndRecordAndTheMixers) {
  SoundHome();
  std::string out, err;
  ASSERT_EQ(RunCommand(Cli() + " devices", &out, &err), 0) << err;
  EXPECT_EQ(err, "");
  int cards = 0;
  while (std::filesystem::exists("/proc/asound/card" + std::to_string(cards))) ++cards;
  const size_t output = out.find("output devices: ");
  const size_t mixers = out.find("mixers: " + std::to_string(cards) + "\n");
  ASSERT_EQ(out.rfind("input devices: ", 0), 0u) << out;
  ASSERT_NE(output, std::string::npos) << out;
  ASSERT_NE(mixers, std::string::npos) << out;
  EXPECT_NE(out.substr(0, output).find("  default (-1): default\n"), std::string::npos) << out;
  EXPECT_NE(out.substr(output, mixers - output).find("  default (-1): default\n"), std::string::npos) << out;
}

}  // namespace
