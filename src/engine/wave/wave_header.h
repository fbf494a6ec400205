#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

// The 44-byte canonical RIFF/WAVE header, exactly as it stands at the start of a document's
// image: little-endian fields, no padding.
#pragma pack(push, 1)
struct TWaveHeader {
  std::array<char, 4> RiffId{};
  uint32_t RiffSize = 0;
  std::array<char, 4> WaveId{};
  std::array<char, 4> FmtId{};
  uint32_t FmtSize = 0;
  uint16_t FormatTag = 0;
  uint16_t Channels = 0;
  uint32_t SampleRate = 0;
  uint32_t BytesPerSec = 0;
  uint16_t BlockAlign = 0;
  uint16_t BitsPerSample = 0;
  std::array<char, 4> DataId{};
  uint32_t DataSize = 0;
};
#pragma pack(pop)

static_assert(sizeof(TWaveHeader) == 44, "the canonical header is 44 bytes");

inline constexpr uint32_t kWaveHeaderSize = 44;

// The byte image and the struct share one layout on little-endian machines, which is all
// this program targets.
static_assert(std::endian::native == std::endian::little);

inline TWaveHeader ReadWaveHeader(const uint8_t* bytes) {
  TWaveHeader h;
  std::memcpy(&h, bytes, sizeof h);
  return h;
}

inline void WriteWaveHeader(const TWaveHeader& h, uint8_t* bytes) {
  std::memcpy(bytes, &h, sizeof h);
}

inline void SetFourCC(std::array<char, 4>& id, const char* text) {
  std::memcpy(id.data(), text, 4);
}

// Bytes of one frame of a sound in this format: every sample of one instant, all channels.
inline uint32_t FrameBytesOf(uint16_t channels, uint16_t bits) { return uint32_t{channels} * (bits / 8u); }
inline uint32_t FrameBytesOf(const TWaveHeader& h) { return FrameBytesOf(h.Channels, h.BitsPerSample); }

// The 44-byte header of a plain PCM file of this format holding `dataSize` bytes of sound.
inline TWaveHeader CanonicalWaveHeader(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataSize) {
  TWaveHeader h;
  SetFourCC(h.RiffId, "RIFF");
  h.RiffSize = dataSize + 36;
  SetFourCC(h.WaveId, "WAVE");
  SetFourCC(h.FmtId, "fmt ");
  h.FmtSize = 16;
  h.FormatTag = 1;
  h.Channels = channels;
  h.SampleRate = rate;
  h.BlockAlign = static_cast<uint16_t>(FrameBytesOf(channels, bits));
  h.BytesPerSec = rate * h.BlockAlign;
  h.BitsPerSample = bits;
  SetFourCC(h.DataId, "data");
  h.DataSize = dataSize;
  return h;
}
