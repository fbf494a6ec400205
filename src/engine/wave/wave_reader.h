#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "wave/wave_header.h"
#include "wave/wave_limits.h"

// Everything of a file that decides how it is laid out in the editor lies within this many bytes
// of its start: the chunks up to "data" and the size that follows it.
inline constexpr size_t kWaveHeadBytes = kDataSearchLimit + 7;

// How a WAV file's content becomes the document's image, as its first bytes describe it.
struct WaveLayout {
  TWaveHeader Header;        // the format as read; for a canonical file, its header as it stands
  uint64_t DataOffset = 0;   // where the sample data begins
  uint32_t DataSize = 0;     // bytes of sample data to take: whole frames of those present
  uint32_t StatedSize = 0;   // the data size the file's header gives
  // The file is the canonical image already: it is taken whole, byte for byte, with whatever
  // follows the data.
  bool Canonical = false;
  // The header promises more data than the file holds; only the whole frames present are taken.
  bool Truncated() const { return StatedSize > DataSize; }
  // What the header promised where the file holds less; else 0.
  uint32_t Promised() const { return Truncated() ? StatedSize : 0; }
};

// Reads the layout of a file of `fileSize` bytes from its first `headSize` bytes (`head`: at
// least kWaveHeadBytes of them, or the whole file). Every field is read within `head` and checked
// against the file's size; a file the editor cannot serve is refused with std::runtime_error
// "Cannot open <fileName>: <reason>".
WaveLayout ReadWaveLayout(const uint8_t* head, size_t headSize, uint64_t fileSize, const std::string& fileName);

// The header of the canonical image that `layout`'s data makes: the format fields as read, the
// rest canonical. A canonical file's header is its own.
TWaveHeader CanonicalHeaderOf(const WaveLayout& layout);
