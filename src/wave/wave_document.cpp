#include "wave/wave_document.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "wave/atomic_file.h"
#include "wave/image_memory.h"
#include "wave/input_file.h"
#include "wave/system_sound_player.h"

namespace {

uint16_t ReadU16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t ReadU32(const uint8_t* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

bool IdAt(const uint8_t* bytes, const char* id) {
  return std::memcmp(bytes, id, 4) == 0;
}

[[noreturn]] void Refuse(const std::string& fileName, const std::string& why) {
  throw std::runtime_error("Cannot open " + fileName + ": " + why);
}

// Everything of a file that decides how it is laid out in the editor lies within this many
// bytes of its start: the header and the search for "data" with the size that follows it.
constexpr size_t kHeadBytes = kDataSearchLimit + 7;

// How a file's content becomes the document's image.
struct FileLayout {
  TWaveHeader Header;     // the format as read from the file's format chunk
  size_t DataOffset = 0;  // where the sample data begins
  uint32_t DataSize = 0;  // bytes of sample data to take, whole frames of those present
  // The file is the canonical image already: it is taken whole, byte for byte, with whatever
  // follows the data.
  bool Canonical = false;
};

// Where the format chunk's body begins, and the size its chunk header gives.
struct FormatChunk {
  size_t Body = 0;
  uint32_t Size = 0;
};

// The format chunk need not come first (a JUNK or bext chunk may stand before it), so the chunks
// are walked from the one after "WAVE". Only a chunk whose fields end where "data" can still
// follow within reach is of use.
FormatChunk FindFormat(const uint8_t* head, size_t headSize, uint64_t fileSize,
                       const std::string& fileName) {
  const uint64_t end = std::min<uint64_t>(headSize, kDataSearchLimit);
  for (uint64_t p = 12; p + 8 + 16 <= end;) {
    const uint32_t size = ReadU32(head + p + 4);
    if (IdAt(head + p, "fmt ")) {
      if (size < 16)
        Refuse(fileName, "its format chunk is too short (" + std::to_string(size) + " bytes)");
      if (p + 8 + size > fileSize)
        Refuse(fileName, "its format chunk runs past the end of the file (" + std::to_string(size) +
                             " bytes)");
      return {static_cast<size_t>(p + 8), size};
    }
    p += 8 + static_cast<uint64_t>(size) + (size & 1);  // odd chunks are padded to even
  }
  Refuse(fileName,
         "no \"fmt \" chunk within its first " + std::to_string(kDataSearchLimit) + " bytes");
}

// Position of the first "data" that can serve as the data chunk's identifier, searched byte by
// byte (not chunk by chunk) from `from`, the end of the format chunk: before it the bytes are the
// header's own, and taking them for sound would turn more header into sound at every save.
size_t FindDataId(const uint8_t* head, size_t headSize, uint64_t fileSize, size_t from,
                  const std::string& fileName) {
  const size_t last = std::min<uint64_t>(kDataSearchLimit, fileSize >= 8 ? fileSize - 8 + 1 : 0);
  for (size_t p = from; p < last && p + 8 <= headSize; ++p) {
    if (IdAt(head + p, "data")) return p;
  }
  Refuse(fileName, "no \"data\" chunk after its format chunk within its first " +
                       std::to_string(kDataSearchLimit) + " bytes");
}

// `format` is the format chunk's body, of which `available` bytes can be read.
void CheckFormat(const TWaveHeader& h, const uint8_t* format, size_t available,
                 const std::string& fileName) {
  constexpr uint16_t kPcm = 1, kExtensible = 0xFFFE;
  if (h.FormatTag != kPcm && h.FormatTag != kExtensible)
    Refuse(fileName, "only uncompressed PCM sound can be opened (format tag " +
                         std::to_string(h.FormatTag) + ")");
  // An extensible format chunk names its real encoding in the sub-format that follows it.
  if (h.FormatTag == kExtensible && h.FmtSize >= 40 && available >= 26 &&
      ReadU16(format + 24) != kPcm)
    Refuse(fileName, "only uncompressed PCM sound can be opened (extensible sub-format " +
                         std::to_string(ReadU16(format + 24)) + ")");
  if (h.Channels != 1 && h.Channels != 2)
    Refuse(fileName, "only mono and stereo sound can be opened (" + std::to_string(h.Channels) +
                         " channels)");
  if (h.BitsPerSample != 8 && h.BitsPerSample != 16)
    Refuse(fileName, "only 8-bit and 16-bit samples can be opened (" +
                         std::to_string(h.BitsPerSample) + " bits)");
  if (h.SampleRate == 0) Refuse(fileName, "its sample rate is 0");
}

// Checks a file of `fileSize` bytes from its first bytes (`head`, at least kHeadBytes of them or
// the whole file) and says how it becomes the image; refuses a file the editor cannot serve.
FileLayout Inspect(const uint8_t* head, size_t headSize, uint64_t fileSize,
                   const std::string& fileName) {
  if (fileSize < kWaveHeaderSize)
    Refuse(fileName, "it is too short to be a wave file (" + std::to_string(fileSize) + " bytes)");
  if (!IdAt(head, "RIFF") || !IdAt(head + 8, "WAVE"))
    Refuse(fileName, "it is not a RIFF WAVE sound file");
  const FormatChunk fmt = FindFormat(head, headSize, fileSize, fileName);

  FileLayout layout;
  TWaveHeader& h = layout.Header;
  h = ReadWaveHeader(head);
  const uint8_t* format = head + fmt.Body;
  h.FmtSize = fmt.Size;
  h.FormatTag = ReadU16(format);
  h.Channels = ReadU16(format + 2);
  h.SampleRate = ReadU32(format + 4);
  h.BytesPerSec = ReadU32(format + 8);
  h.BlockAlign = ReadU16(format + 12);
  h.BitsPerSample = ReadU16(format + 14);
  CheckFormat(h, format, headSize - fmt.Body, fileName);

  const size_t dataId = FindDataId(head, headSize, fileSize, fmt.Body + fmt.Size, fileName);
  layout.DataOffset = dataId + 8;
  uint32_t dataSize = ReadU32(head + dataId + 4);
  const uint16_t frameBytes = static_cast<uint16_t>(h.Channels * (h.BitsPerSample / 8));
  if (dataSize >= DataSizeLimit(frameBytes))
    Refuse(fileName, "its sound data is too large (" + TooLargeText(dataSize, frameBytes) + ")");
  const uint64_t present = fileSize - layout.DataOffset;
  const bool truncated = dataSize > present;
  if (truncated) dataSize = static_cast<uint32_t>(present - present % frameBytes);
  layout.DataSize = dataSize;
  // Only a header that is canonical in every field the rebuild would write is kept as it
  // stands; a wrong BlockAlign is mended so that other programs read the saved file.
  layout.Canonical = fmt.Body == 20 && fmt.Size == 16 && dataId == 36 && h.FormatTag == 1 &&
                     h.BlockAlign == frameBytes && !truncated;
  // What follows the data comes along on a canonical load; it must not make an image larger
  // than a sound the editor can hold.
  if (layout.Canonical && fileSize >= kMaxDataSize + kWaveHeaderSize)
    Refuse(fileName, "it is too large with what follows its sound data (" + std::to_string(fileSize) +
                         " bytes; the editor takes files of less than " +
                         std::to_string(kMaxDataSize + kWaveHeaderSize) + " bytes)");
  return layout;
}

// The header of a rebuilt canonical image: the format fields as read, the rest canonical.
void RebuildHeader(FileLayout& layout) {
  TWaveHeader& h = layout.Header;
  SetFourCC(h.RiffId, "RIFF");
  SetFourCC(h.WaveId, "WAVE");
  SetFourCC(h.FmtId, "fmt ");
  SetFourCC(h.DataId, "data");
  h.DataSize = layout.DataSize;
  h.FormatTag = 1;
  h.FmtSize = 16;
  h.BlockAlign = static_cast<uint16_t>(h.Channels * (h.BitsPerSample / 8));
  h.RiffSize = layout.DataSize + 36;
}

// A rebuilt canonical image: its header, then room for exactly the data.
std::vector<uint8_t> RebuiltImage(FileLayout& layout) {
  RebuildHeader(layout);
  std::vector<uint8_t> image = NewImage(kWaveHeaderSize + layout.DataSize);
  WriteWaveHeader(layout.Header, image.data());
  return image;
}

}  // namespace

std::string TooLargeText(uint64_t dataSize, uint32_t frameBytes) {
  return std::to_string(dataSize) + " bytes, " + std::to_string(dataSize / frameBytes) +
         " frames; the editor takes less than " + std::to_string(kMaxDataSize) + " bytes and " +
         std::to_string(kMaxFrames) + " frames";
}

bool IsNewWaveLength(double seconds) {
  return seconds >= 0 && std::nearbyint(kSilentRate * seconds) < static_cast<double>(DataSizeLimit(1));
}

std::string NewWaveLengthRange() {
  return "A new sound's length must lie between 0 and " + std::to_string(DataSizeLimit(1) / kSilentRate) +
         " seconds";
}

TWave::~TWave() { StopIfPlaying(); }

// The sample data goes from the file straight into the image: only the first bytes are read
// first, to decide the layout, and no second copy of the sound is ever held.
void TWave::LoadFromFile(const std::string& fileName, double newWaveSeconds) {
  std::error_code ec;
  if (!std::filesystem::exists(fileName, ec) && !ec) {
    CreateSilent(fileName, newWaveSeconds);
    return;
  }
  const InputFile file(fileName);
  std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(file.Size(), kHeadBytes)));
  file.ReadAt(0, head.data(), head.size());
  FileLayout layout = Inspect(head.data(), head.size(), file.Size(), fileName);
  std::vector<uint8_t> image;
  if (layout.Canonical) {
    image = NewImage(static_cast<size_t>(file.Size()));
    std::memcpy(image.data(), head.data(), head.size());
    file.ReadAt(head.size(), image.data() + head.size(), image.size() - head.size());
  } else {
    image = RebuiltImage(layout);
    file.ReadAt(layout.DataOffset, image.data() + kWaveHeaderSize, layout.DataSize);
  }
  AdoptImage(std::move(image), layout.Header);
  fileName_ = fileName;
}

bool TWave::LoadPartOfFile(const std::string& fileName, int64_t first, int64_t last) {
  std::error_code ec;
  if (!std::filesystem::exists(fileName, ec) || ec) return false;
  const InputFile file(fileName);
  std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(file.Size(), kHeadBytes)));
  file.ReadAt(0, head.data(), head.size());
  FileLayout layout = Inspect(head.data(), head.size(), file.Size(), fileName);
  if (!layout.Canonical) RebuildHeader(layout);
  const uint32_t frameBytes = layout.Header.Channels * (layout.Header.BitsPerSample / 8u);
  const int64_t frames = layout.DataSize / frameBytes;
  const int64_t begin = std::clamp<int64_t>(first, 0, frames);
  const int64_t end = std::clamp<int64_t>(last + 1, 0, frames);
  if (begin >= end) return false;
  // The header as a load gives it, with the size of the frames kept, as cutting the rest would.
  TWaveHeader header = layout.Header;
  const auto kept = static_cast<size_t>(end - begin) * frameBytes;
  std::vector<uint8_t> image = StartConversion(header, kept);
  image.resize(kWaveHeaderSize + kept);
  file.ReadAt(layout.DataOffset + static_cast<uint64_t>(begin) * frameBytes, image.data() + kWaveHeaderSize, kept);
  AdoptImage(std::move(image), header);
  fileName_ = fileName;
  return true;
}

void TWave::LoadFromImage(const std::string& fileName, std::vector<uint8_t> bytes) {
  FileLayout layout = Inspect(bytes.data(), bytes.size(), bytes.size(), fileName);
  if (layout.Canonical) {
    AdoptImage(std::move(bytes), layout.Header);
  } else {
    std::vector<uint8_t> image = RebuiltImage(layout);
    std::memcpy(image.data() + kWaveHeaderSize, bytes.data() + layout.DataOffset, layout.DataSize);
    AdoptImage(std::move(image), layout.Header);
  }
  fileName_ = fileName;
}

void TWave::CreateSilent(const std::string& fileName, double seconds) {
  if (!IsNewWaveLength(seconds)) throw std::invalid_argument(NewWaveLengthRange());
  const auto dataSize = static_cast<uint32_t>(std::nearbyint(kSilentRate * seconds));
  const TWaveHeader h = CanonicalWaveHeader(1, kSilentRate, 8, dataSize);
  std::vector<uint8_t> image = NewImage(kWaveHeaderSize + dataSize, 128);
  WriteWaveHeader(h, image.data());
  AdoptImage(std::move(image), h);
  fileName_ = fileName;
}

void TWave::SaveToFile(const std::string& fileName) const {
  WriteFileAtomically(fileName, image_.data(), image_.size());
}

void TWave::ReopenFromImage(const std::string& fileName) {
  const FileLayout layout = Inspect(image_.data(), image_.size(), image_.size(), fileName);
  // The editor's own images are canonical; any other is laid out as a reopen would lay it out.
  if (!layout.Canonical) {
    LoadFromImage(fileName, image_);
    return;
  }
  // A reopen replaces the image, which ends playback of the old one.
  StopIfPlaying();
  header_ = layout.Header;
  UpdateLayout();
  fileName_ = fileName;
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

int64_t TWave::PlayingFrame() const { return handedToPlayer_ && player_ ? player_->PlayingFrame() : -1; }

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
  if (keepReplaced_ && replaced_.empty()) {
    replaced_ = std::move(image_);
    replacedHeader_ = header_;
  }
  image_ = std::move(image);
  header_ = header;
  UpdateLayout();
}

std::vector<uint8_t> TWave::TakeReplacedImage(TWaveHeader& header) {
  header = replacedHeader_;
  return std::exchange(replaced_, {});
}

void TWave::SwapImage(std::vector<uint8_t>& image, TWaveHeader& header) {
  StopIfPlaying();
  image_.swap(image);
  std::swap(header_, header);
  UpdateLayout();
}

void TWave::SwapBytes(size_t offset, uint8_t* bytes, size_t count) {
  StopIfPlaying();
  std::swap_ranges(bytes, bytes + count, image_.data() + offset);
}

void TWave::UpdateLayout() {
  const bool mono = header_.Channels == 1;
  eightBit_ = header_.BitsPerSample == 8;
  const uint32_t sampleBytes = eightBit_ ? 1 : 2;
  frameBytes_ = sampleBytes * (mono ? 1 : 2);
  rightOffset_ = mono ? 0 : sampleBytes;
  frames_ = header_.DataSize / frameBytes_;
  // A canonical image whose header promises more than it holds is cut on load; keep the
  // frame count within the image whatever the header says.
  const size_t held = image_.size() > kWaveHeaderSize ? image_.size() - kWaveHeaderSize : 0;
  if (static_cast<size_t>(frames_) * frameBytes_ > held) frames_ = static_cast<uint32_t>(held / frameBytes_);
}

void TWave::StopIfPlaying() {
  if (handedToPlayer_ && player_) player_->StopAll();
  handedToPlayer_ = false;
}
