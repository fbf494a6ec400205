#include "wave/wave_document.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "wave/atomic_file.h"
#include "wave/system_sound_player.h"

namespace {

uint32_t ReadU32(const std::vector<uint8_t>& bytes, size_t pos) {
  return bytes[pos] | (bytes[pos + 1] << 8) | (bytes[pos + 2] << 16) |
         (static_cast<uint32_t>(bytes[pos + 3]) << 24);
}

[[noreturn]] void Refuse(const std::string& fileName, const std::string& why) {
  throw std::runtime_error("Cannot open " + fileName + ": " + why);
}

std::vector<uint8_t> ReadWholeFile(const std::string& fileName) {
  FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) throw std::runtime_error("Cannot open file " + fileName);
  struct stat st {};
  if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(f);
    throw std::runtime_error("Cannot open file " + fileName);
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
  const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
  const bool failed = std::ferror(f);
  std::fclose(f);
  if (failed) throw std::runtime_error("Cannot read file " + fileName);
  bytes.resize(got);  // the file may have shrunk since it was measured
  return bytes;
}

// Position of the first "data" that can serve as the data chunk's identifier, searched byte by
// byte from the start of the file (not chunk by chunk).
size_t FindDataId(const std::vector<uint8_t>& bytes, const std::string& fileName) {
  const size_t last = std::min<size_t>(kDataSearchLimit, bytes.size() >= 8 ? bytes.size() - 8 + 1 : 0);
  for (size_t p = 0; p < last; ++p) {
    if (bytes[p] == 'd' && bytes[p + 1] == 'a' && bytes[p + 2] == 't' && bytes[p + 3] == 'a') return p;
  }
  Refuse(fileName, "no \"data\" chunk within its first " + std::to_string(kDataSearchLimit) + " bytes");
}

void CheckFormat(const TWaveHeader& h, const std::vector<uint8_t>& bytes, const std::string& fileName) {
  constexpr uint16_t kPcm = 1, kExtensible = 0xFFFE;
  if (h.FormatTag != kPcm && h.FormatTag != kExtensible)
    Refuse(fileName, "only uncompressed PCM sound can be opened (format tag " +
                         std::to_string(h.FormatTag) + ")");
  // An extensible format chunk names its real encoding in the sub-format that follows it.
  if (h.FormatTag == kExtensible && h.FmtSize >= 40 && bytes.size() >= 46 &&
      (bytes[44] | (bytes[45] << 8)) != kPcm)
    Refuse(fileName, "only uncompressed PCM sound can be opened (extensible sub-format " +
                         std::to_string(bytes[44] | (bytes[45] << 8)) + ")");
  if (h.Channels != 1 && h.Channels != 2)
    Refuse(fileName, "only mono and stereo sound can be opened (" + std::to_string(h.Channels) +
                         " channels)");
  if (h.BitsPerSample != 8 && h.BitsPerSample != 16)
    Refuse(fileName, "only 8-bit and 16-bit samples can be opened (" +
                         std::to_string(h.BitsPerSample) + " bits)");
  if (h.SampleRate == 0) Refuse(fileName, "its sample rate is 0");
}

}  // namespace

bool IsNewWaveLength(double seconds) {
  return seconds >= 0 && std::nearbyint(kSilentRate * seconds) < kMaxDataSize;
}

TWave::~TWave() { StopIfPlaying(); }

void TWave::LoadFromFile(const std::string& fileName, double newWaveSeconds) {
  std::error_code ec;
  if (!std::filesystem::exists(fileName, ec) && !ec) {
    CreateSilent(fileName, newWaveSeconds);
    return;
  }
  LoadFromImage(fileName, ReadWholeFile(fileName));
}

void TWave::LoadFromImage(const std::string& fileName, std::vector<uint8_t> bytes) {
  if (bytes.size() < kWaveHeaderSize)
    Refuse(fileName, "it is too short to be a wave file (" + std::to_string(bytes.size()) + " bytes)");
  TWaveHeader h = ReadWaveHeader(bytes.data());
  CheckFormat(h, bytes, fileName);

  const size_t dataId = FindDataId(bytes, fileName);
  const size_t dataOffset = dataId + 8;
  uint32_t dataSize = ReadU32(bytes, dataId + 4);
  if (dataSize >= kMaxDataSize)
    Refuse(fileName, "its sound data is too large (" + std::to_string(dataSize) +
                         " bytes; the editor takes less than 512 MiB)");
  const size_t present = bytes.size() - dataOffset;
  const bool truncated = dataSize > present;
  if (truncated) {
    const uint32_t frameBytes = h.Channels * (h.BitsPerSample / 8);
    dataSize = static_cast<uint32_t>(present - present % frameBytes);
  }

  if (dataOffset == kWaveHeaderSize && !truncated) {
    AdoptImage(std::move(bytes), h);
  } else {
    // Rebuild the canonical layout: the format fields as read, then exactly the data.
    SetFourCC(h.DataId, "data");
    h.DataSize = dataSize;
    h.FormatTag = 1;
    h.FmtSize = 16;
    h.RiffSize = dataSize + 36;
    std::vector<uint8_t> image(kWaveHeaderSize + dataSize);
    WriteWaveHeader(h, image.data());
    std::memcpy(image.data() + kWaveHeaderSize, bytes.data() + dataOffset, dataSize);
    AdoptImage(std::move(image), h);
  }
  fileName_ = fileName;
}

void TWave::CreateSilent(const std::string& fileName, double seconds) {
  if (!IsNewWaveLength(seconds))
    throw std::invalid_argument("A new sound's length must lie between 0 and " +
                                std::to_string(kMaxDataSize / kSilentRate) + " seconds");
  const auto dataSize = static_cast<uint32_t>(std::nearbyint(kSilentRate * seconds));
  const TWaveHeader h = CanonicalWaveHeader(1, kSilentRate, 8, dataSize);
  std::vector<uint8_t> image(kWaveHeaderSize + dataSize, 128);
  WriteWaveHeader(h, image.data());
  AdoptImage(std::move(image), h);
  fileName_ = fileName;
}

void TWave::SaveToFile(const std::string& fileName) const {
  WriteFileAtomically(fileName, image_.data(), image_.size());
}

void TWave::SetSoundPlayer(ISystemSoundPlayer* player) {
  StopIfPlaying();
  player_ = player;
}

bool TWave::Play() {
  if (!player_ || image_.empty()) return false;
  handedToPlayer_ = player_->PlayAsync(image_.data(), image_.size());
  return handedToPlayer_;
}

bool TWave::Stop() {
  handedToPlayer_ = false;
  return player_ && player_->StopAll();
}

void TWave::SetSampleRate(uint32_t rate) {
  if (image_.size() < kWaveHeaderSize || header_.SampleRate == 0) return;  // nothing loaded
  header_.BytesPerSec = static_cast<uint32_t>(
      std::nearbyint(static_cast<long double>(rate) / header_.SampleRate * header_.BytesPerSec));
  header_.SampleRate = rate;
  WriteWaveHeader(header_, image_.data());
}

void TWave::AdoptImage(std::vector<uint8_t>&& image, const TWaveHeader& header) {
  // The player reads the old image until it is told to stop; it must not outlive it.
  StopIfPlaying();
  image_ = std::move(image);
  header_ = header;
  UpdateLayout();
}

void TWave::UpdateLayout() {
  const bool mono = header_.Channels == 1;
  eightBit_ = header_.BitsPerSample == 8;
  const uint32_t sampleBytes = eightBit_ ? 1 : 2;
  frameBytes_ = sampleBytes * (mono ? 1 : 2);
  rightOffset_ = mono ? 0 : sampleBytes;
  frames_ = header_.DataSize * 8 / header_.BitsPerSample / header_.Channels;
  // A canonical image whose header promises more than it holds is cut on load; keep the
  // frame count within the image whatever the header says.
  const size_t held = image_.size() > kWaveHeaderSize ? image_.size() - kWaveHeaderSize : 0;
  if (static_cast<size_t>(frames_) * frameBytes_ > held) frames_ = static_cast<uint32_t>(held / frameBytes_);
}

void TWave::StopIfPlaying() {
  if (handedToPlayer_ && player_) player_->StopAll();
  handedToPlayer_ = false;
}
