#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <fstream>
#include <iterator>
#include <stdexcept>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "velorin-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

void PutU16(std::vector<uint8_t>& bytes, size_t pos, uint16_t v) {
  bytes[pos] = static_cast<uint8_t>(v);
  bytes[pos + 1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(std::vector<uint8_t>& bytes, size_t pos, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[pos + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> CanonicalHeader(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataSize) {
  std::vector<uint8_t> h(44);
  const auto put4 = [&](size_t pos, const char* id) {
    for (int i = 0; i < 4; ++i) h[pos + i] = static_cast<uint8_t>(id[i]);
  };
  put4(0, "RIFF");
  PutU32(h, 4, dataSize + 36);
  put4(8, "WAVE");
  put4(12, "fmt ");
  PutU32(h, 16, 16);
  PutU16(h, 20, 1);
  PutU16(h, 22, channels);
  PutU32(h, 24, rate);
  const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  PutU32(h, 28, rate * align);
  PutU16(h, 32, align);
  PutU16(h, 34, bits);
  put4(36, "data");
  PutU32(h, 40, dataSize);
  return h;
}

std::vector<uint8_t> CanonicalWave(uint16_t channels, uint32_t rate, uint16_t bits,
                                   const std::vector<uint8_t>& data) {
  std::vector<uint8_t> w = CanonicalHeader(channels, rate, bits, static_cast<uint32_t>(data.size()));
  w.insert(w.end(), data.begin(), data.end());
  return w;
}

std::vector<uint8_t> Words(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out;
  for (int16_t s : samples) {
    out.push_back(static_cast<uint8_t>(s));
    out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
  }
  return out;
}

std::vector<uint8_t> Wave16(const std::vector<int16_t>& left, const std::vector<int16_t>& right) {
  if (right.empty()) return CanonicalWave(1, 44100, 16, Words(left));
  std::vector<int16_t> frames;
  for (size_t i = 0; i < left.size(); ++i) {
    frames.push_back(left[i]);
    frames.push_back(right.at(i));
  }
  return CanonicalWave(2, 44100, 16, Words(frames));
}

std::vector<uint8_t> ToneWave(uint16_t channels, uint32_t rate, double hz, const std::vector<ToneSegment>& segments) {
  std::vector<int16_t> samples;
  int64_t n = 0;
  for (const ToneSegment& segment : segments) {
    const double amplitude = std::pow(10.0, segment.Dbfs / 20.0) * 32767.5;
    for (const int64_t end = n + std::llround(segment.Seconds * rate); n < end; ++n) {
      const double x = amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(n) / rate);
      samples.insert(samples.end(), channels, static_cast<int16_t>(std::clamp<long>(std::lrint(x), -32768, 32767)));
    }
  }
  return CanonicalWave(channels, rate, 16, Words(samples));
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

namespace {
std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}
}  // namespace

// Only this file knows the build folder's place, so that every other test object is the same in
// any clone and a compiler cache hands it on.
std::string CliProgramPath() { return VELORIN_CLI_PATH; }
std::string GuiProgramPath() { return VELORIN_GUI_PATH; }
std::string CliManualPath() { return VELORIN_CLI_MANUAL_PATH; }

int RunCommand(const std::string& command, std::string* out, std::string* err) {
  TempDir dir;
  const std::string outFile = dir.File("out"), errFile = dir.File("err");
  const int status = std::system((command + " >" + outFile + " 2>" + errFile + " </dev/null").c_str());
  if (out) *out = Slurp(outFile);
  if (err) *err = Slurp(errFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
