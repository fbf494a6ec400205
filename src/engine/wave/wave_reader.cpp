// The one reader of WAV files: from a file's first bytes to where its sound lies and how it is
// laid out. Every field is read through a bounds-checked helper, so a short or lying file is
// refused with its reason rather than read past its end.

#include "wave/wave_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "wave/message_path.h"
#include "wave/sample_codes.h"

namespace {

// The bytes a reader may look at: the head of the file, and the size of the whole file.
class HeadBytes {
 public:
  HeadBytes(const uint8_t* bytes, size_t size, uint64_t fileSize, const std::string& fileName)
      : bytes_(bytes), size_(size), fileSize_(fileSize), fileName_(fileName) {}

  bool Holds(uint64_t offset, uint64_t count) const { return offset <= size_ && count <= size_ - offset; }
  uint16_t U16(uint64_t at) const {
    const uint8_t* b = At(at, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
  }
  uint32_t U32(uint64_t at) const {
    const uint8_t* b = At(at, 4);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  }
  bool IdAt(uint64_t at, const char* id) const { return Holds(at, 4) && std::memcmp(bytes_ + at, id, 4) == 0; }
  const uint8_t* Bytes() const { return bytes_; }
  size_t Size() const { return size_; }
  uint64_t FileSize() const { return fileSize_; }

  [[noreturn]] void Refuse(const std::string& why) const {
    throw std::runtime_error("Cannot open " + PathForMessage(fileName_) + ": " + why);
  }

 private:
  const uint8_t* At(uint64_t at, uint64_t count) const {
    // The callers check reach first; reaching past the head here is a fault of the reader.
    if (!Holds(at, count)) Refuse("its header is cut short");
    return bytes_ + at;
  }

  const uint8_t* bytes_;
  size_t size_;
  uint64_t fileSize_;
  const std::string& fileName_;
};

// A chunk's place: its header at `Id`, its body after it.
struct Chunk {
  uint64_t Id = 0;
  uint32_t Size = 0;
  uint64_t Body() const { return Id + 8; }
  // Chunks of odd size are followed by one byte of padding.
  uint64_t Next() const { return Body() + Size + (Size & 1); }
};

// The chunks are walked from the one after "WAVE": the format chunk need not come first (a JUNK
// or bext chunk may stand before it). Only a chunk whose fields end where "data" can still follow
// within reach is of use.
Chunk FindFormat(const HeadBytes& head) {
  const uint64_t end = std::min<uint64_t>(head.Size(), kDataSearchLimit);
  for (Chunk c{12, 0}; c.Id + 8 + 16 <= end; c.Id = c.Next()) {
    c.Size = head.U32(c.Id + 4);
    if (!head.IdAt(c.Id, "fmt ")) continue;
    if (c.Size < 16) head.Refuse("its format chunk is too short (" + std::to_string(c.Size) + " bytes)");
    if (c.Body() + c.Size > head.FileSize())
      head.Refuse("its format chunk runs past the end of the file (" + std::to_string(c.Size) + " bytes)");
    return c;
  }
  head.Refuse("no \"fmt \" chunk within its first " + std::to_string(kDataSearchLimit) + " bytes");
}

// The data chunk's header found by walking the chunks that follow the format chunk; none where
// the walk leaves the file or the reach of "data" before it meets one.
std::optional<uint64_t> WalkToData(const HeadBytes& head, const Chunk& format) {
  const uint64_t reach = std::min<uint64_t>(kDataSearchLimit, head.FileSize() >= 8 ? head.FileSize() - 8 + 1 : 0);
  for (Chunk c{format.Next(), 0}; c.Id < reach && head.Holds(c.Id, 8); c.Id = c.Next()) {
    if (head.IdAt(c.Id, "data")) return c.Id;
    c.Size = head.U32(c.Id + 4);
  }
  return std::nullopt;
}

// The first "data" that can serve as the data chunk's identifier, searched byte by byte from the
// end of the format chunk, for files whose chunks cannot be walked (a size that lies): before that
// point the bytes are the header's own, and taking them for sound would turn more header into
// sound at every save.
uint64_t SearchData(const HeadBytes& head, const Chunk& format) {
  const uint64_t last = std::min<uint64_t>(kDataSearchLimit, head.FileSize() >= 8 ? head.FileSize() - 8 + 1 : 0);
  for (uint64_t p = format.Body() + format.Size; p < last && head.Holds(p, 8); ++p) {
    if (head.IdAt(p, "data")) return p;
  }
  head.Refuse("no \"data\" chunk after its format chunk within its first " + std::to_string(kDataSearchLimit) +
              " bytes");
}

// The sub-formats an extensible format chunk may name, whole: the format tag in the first two
// bytes, then the same fourteen bytes for both.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::string SubFormatText(const uint8_t* guid) {
  char text[40];
  std::snprintf(text, sizeof text, "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                guid[3], guid[2], guid[1], guid[0], guid[5], guid[4], guid[7], guid[6], guid[8], guid[9], guid[10],
                guid[11], guid[12], guid[13], guid[14], guid[15]);
  return text;
}

// The format fields of the chunk at `format`, checked for what the editor can serve. Returns the
// format the sound is held in: 1 (integer PCM) or 3 (float), whichever chunk named it.
uint16_t ReadFormat(const HeadBytes& head, const Chunk& format, TWaveHeader& h) {
  constexpr uint16_t kPcm = kPcmTag, kFloat = kFloatTag, kExtensible = 0xFFFE;
  constexpr uint32_t kExtensibleSize = 40;
  const uint64_t body = format.Body();
  h.FmtSize = format.Size;
  h.FormatTag = head.U16(body);
  h.Channels = head.U16(body + 2);
  h.SampleRate = head.U32(body + 4);
  h.BytesPerSec = head.U32(body + 8);
  h.BlockAlign = head.U16(body + 12);
  h.BitsPerSample = head.U16(body + 14);
  uint16_t tag = h.FormatTag;
  // An extensible format chunk names its real encoding in the sub-format that ends it.
  if (tag == kExtensible) {
    if (h.FmtSize < kExtensibleSize || !head.Holds(body, kExtensibleSize))
      head.Refuse("its extensible format chunk is too short to name its sub-format (" + std::to_string(h.FmtSize) +
                  " bytes)");
    const uint8_t* guid = head.Bytes() + body + 24;
    tag = head.U16(body + 24);
    if ((tag != kPcm && tag != kFloat) || std::memcmp(guid + 2, kSubFormatTail, sizeof kSubFormatTail) != 0)
      head.Refuse("only uncompressed PCM sound can be opened (extensible sub-format " + SubFormatText(guid) + ")");
  } else if (tag != kPcm && tag != kFloat) {
    head.Refuse("only uncompressed PCM sound can be opened (format tag " + std::to_string(tag) + ")");
  }
  if (h.Channels != 1 && h.Channels != 2)
    head.Refuse("only mono and stereo sound can be opened (" + std::to_string(h.Channels) + " channels)");
  const uint16_t bits = h.BitsPerSample;
  if (tag == kFloat && FindSampleFormat(bits, true) == nullptr)
    head.Refuse("only 32-bit float samples can be opened (" + std::to_string(bits) + " bits)");
  if (FindSampleFormat(bits, tag == kFloat) == nullptr)
    head.Refuse("only 8-, 16-, 24- and 32-bit samples can be opened (" + std::to_string(bits) + " bits)");
  if (h.SampleRate == 0) head.Refuse("its sample rate is 0");
  return tag;
}

}  // namespace

WaveLayout ReadWaveLayout(const uint8_t* bytes, size_t headSize, uint64_t fileSize, const std::string& fileName) {
  const HeadBytes head(bytes, headSize, fileSize, fileName);
  if (fileSize < kWaveHeaderSize || headSize < kWaveHeaderSize)
    head.Refuse("it is too short to be a wave file (" + std::to_string(fileSize) + " bytes)");
  if (!head.IdAt(0, "RIFF") || !head.IdAt(8, "WAVE")) head.Refuse("it is not a RIFF WAVE sound file");
  const Chunk format = FindFormat(head);

  WaveLayout layout;
  TWaveHeader& h = layout.Header;
  h = ReadWaveHeader(bytes);
  const uint16_t held = ReadFormat(head, format, h);

  const std::optional<uint64_t> walked = WalkToData(head, format);
  const uint64_t dataId = walked ? *walked : SearchData(head, format);
  layout.DataOffset = dataId + 8;
  layout.StatedSize = head.U32(dataId + 4);
  const uint32_t frameBytes = FrameBytesOf(h);
  // A size larger than the bytes present (0xFFFFFFFF from a writer that could not seek back
  // included) is cut to the whole frames present before it is held against the limit.
  const uint64_t present = fileSize - layout.DataOffset;
  const uint64_t taken = layout.StatedSize > present ? present - present % frameBytes : layout.StatedSize;
  if (taken >= DataSizeLimit(frameBytes))
    head.Refuse("its sound data is too large (" + TooLargeText(taken, frameBytes) + ")");
  layout.DataSize = static_cast<uint32_t>(taken);
  // Only a header that is canonical in every field the rebuild would write is kept as it
  // stands; a wrong BlockAlign is mended so that other programs read the saved file.
  layout.Canonical = format.Body() == 20 && format.Size == 16 && dataId == 36 && h.FormatTag == held &&
                     h.BlockAlign == frameBytes && !layout.Truncated();
  h.FormatTag = held;
  // What follows the data comes along on a canonical load; it must not make an image larger
  // than a sound the editor can hold.
  if (layout.Canonical && fileSize >= kMaxDataSize + kWaveHeaderSize)
    head.Refuse("it is too large with what follows its sound data (" + std::to_string(fileSize) +
                " bytes; the editor takes files of less than " + std::to_string(kMaxDataSize + kWaveHeaderSize) +
                " bytes)");
  return layout;
}

TWaveHeader CanonicalHeaderOf(const WaveLayout& layout) {
  if (layout.Canonical) return layout.Header;
  const TWaveHeader& h = layout.Header;
  TWaveHeader canonical = CanonicalWaveHeader(h.Channels, h.SampleRate, h.BitsPerSample, layout.DataSize);
  // The rate of bytes is the file's own, as the format chunk gave it; integer or float as it was.
  canonical.BytesPerSec = h.BytesPerSec;
  canonical.FormatTag = h.FormatTag;
  return canonical;
}
