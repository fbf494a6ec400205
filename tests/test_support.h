#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A folder under the system's temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A canonical 44-byte header for the given format and data size.
std::vector<uint8_t> CanonicalHeader(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataSize);
// A canonical WAV image: header followed by `data`.
std::vector<uint8_t> CanonicalWave(uint16_t channels, uint32_t rate, uint16_t bits,
                                   const std::vector<uint8_t>& data);
// 16-bit samples as little-endian bytes (interleaved as given).
std::vector<uint8_t> Words(const std::vector<int16_t>& samples);
// A canonical 16-bit 44100 Hz WAV image: mono holding `left`, or stereo when `right` is given
// (one sample for each of `left`).
std::vector<uint8_t> Wave16(const std::vector<int16_t>& left,
                            const std::vector<int16_t>& right = {});

// A 16-bit sine of `hz` in each channel, in segments of (seconds, peak level in dBFS), its phase
// running on: a canonical WAV image whose codes are nearest to each value measured from the middle
// level.
struct ToneSegment {
  double Seconds;
  double Dbfs;
};
std::vector<uint8_t> ToneWave(uint16_t channels, uint32_t rate, double hz, const std::vector<ToneSegment>& segments);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);
void PutU16(std::vector<uint8_t>& bytes, size_t pos, uint16_t v);
void PutU32(std::vector<uint8_t>& bytes, size_t pos, uint32_t v);

// Runs a shell command; returns its exit status and fills `out`/`err` with what it printed.
int RunCommand(const std::string& command, std::string* out = nullptr, std::string* err = nullptr);

// What this build made, for the tests that run it: the two programs and the manual page.
std::string CliProgramPath();
std::string GuiProgramPath();
std::string CliManualPath();
