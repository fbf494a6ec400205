#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

// The largest sound the editor holds is the largest a WAV file can describe: RiffSize, which is
// 36 + DataSize (and on a canonical load whatever follows the data), must fit 32 bits, so data
// sizes lie below this. Frame numbers stay 32-bit signed everywhere (selection, view, commands),
// so a sound also has fewer than kMaxFrames frames, a bound that only 8-bit mono data of 2 GiB
// or more reaches. Byte offsets and sizes are 64-bit.
inline constexpr uint64_t kMaxDataSize = (uint64_t{1} << 32) - 36;
inline constexpr uint64_t kMaxFrames = uint64_t{1} << 31;

// Data sizes below this hold a sound of `frameBytes` bytes per frame (1 to 8).
constexpr uint64_t DataSizeLimit(uint32_t frameBytes) {
  return std::min(kMaxDataSize, kMaxFrames * frameBytes);
}
// "data" must begin within this many bytes of the file's start.
inline constexpr uint32_t kDataSearchLimit = 65528;

// A refused size as the user reads it: "<n> bytes, <m> frames; the editor takes less than ...".
std::string TooLargeText(uint64_t dataSize, uint32_t frameBytes);

// Throws std::runtime_error, with a message for the user, when a conversion would give a sound
// of `dataSize` bytes in frames of `frameBytes` bytes, more than the editor can hold.
void CheckConvertedDataSize(uint64_t dataSize, uint32_t frameBytes);

// The format of the silent sound that New makes: 8-bit mono at this rate.
inline constexpr uint32_t kSilentRate = 11025;

// Whether a silent sound can be `seconds` long: not negative, a number, and its data (8-bit mono,
// one byte a frame) below the editor's limit.
bool IsNewWaveLength(double seconds);
// What a length that IsNewWaveLength refuses is told: the range it accepts.
std::string NewWaveLengthRange();
