// TWave's one change of length: frames cut out, kept or inserted as whole frames.

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "wave/wave_document.h"

void TWave::SpliceFrames(const FrameSplice& s) {
  if (image_.size() < kWaveHeaderSize) return;  // nothing loaded
  const size_t frameBytes = frameBytes_;
  const size_t head = size_t{s.Cut - s.Begin} * frameBytes;
  const size_t inserted = size_t{s.InsertedFrames} * frameBytes;
  const size_t tail = size_t{s.End - s.Resume} * frameBytes;
  const uint8_t* old = image_.data() + kWaveHeaderSize;
  TWaveHeader header = header_;

  if (inserted == 0 && !keepReplaced_) {
    // Every kept frame moves towards the start, so moving the head first never overwrites
    // a frame of the tail before it has moved.
    StopIfPlaying();
    uint8_t* data = image_.data() + kWaveHeaderSize;
    if (s.Begin != 0) std::memmove(data, old + size_t{s.Begin} * frameBytes, head);
    std::memmove(data + head, old + size_t{s.Resume} * frameBytes, tail);
    SetDataSize(header, head + tail);
    image_.resize(kWaveHeaderSize + head + tail);
    // Room kept for a sound cut to less than half would be memory held for nothing.
    if (image_.size() < image_.capacity() / 2) image_.shrink_to_fit();
    header_ = header;
    WriteWaveHeader(header_, image_.data());
    UpdateLayout();
    return;
  }

  std::vector<uint8_t> image = StartConversion(header, head + inserted + tail);
  image.insert(image.end(), old + size_t{s.Begin} * frameBytes, old + size_t{s.Cut} * frameBytes);
  if (s.Inserted) {
    image.insert(image.end(), s.Inserted, s.Inserted + inserted);
  } else {
    image.resize(image.size() + inserted, FormatOf(kind_).SilenceByte);
  }
  image.insert(image.end(), old + size_t{s.Resume} * frameBytes, old + size_t{s.End} * frameBytes);
  AdoptImage(std::move(image), header);
}

void TWave::ExchangeFrames(std::vector<FramePiece>& pieces, TWaveHeader& header, std::vector<uint8_t>& trailer) {
  StopIfPlaying();
  const size_t frameBytes = frameBytes_;
  const size_t dataEnd = kWaveHeaderSize + size_t{frames_} * frameBytes;
  const bool comingBack = !pieces.empty() && !pieces.front().Bytes.empty();
  size_t size = dataEnd + trailer.size();
  for (const FramePiece& piece : pieces) size += comingBack ? piece.Bytes.size() : 0;
  // Everything that can fail comes first: the room for the bytes that come in, and for those
  // that go out.
  std::vector<uint8_t> ownTrailer(image_.begin() + static_cast<std::ptrdiff_t>(std::min(dataEnd, image_.size())), image_.end());
  std::vector<std::vector<uint8_t>> out(comingBack ? 0 : pieces.size());
  for (size_t i = 0; i < out.size(); ++i) out[i].reserve(size_t{pieces[i].Count} * frameBytes);
  if (image_.capacity() < size) {
    std::vector<uint8_t> grown;
    try {
      grown.reserve(size);
    } catch (const std::bad_alloc&) {
      throw std::runtime_error("Out of memory for a sound of " + std::to_string(size) + " bytes");
    }
    grown.assign(image_.begin(), image_.begin() + static_cast<std::ptrdiff_t>(dataEnd));
    image_.swap(grown);
  }
  image_.resize(dataEnd);
  if (comingBack) {
    for (FramePiece& piece : pieces) {
      const size_t at = kWaveHeaderSize + size_t{piece.Frame} * frameBytes;
      const size_t old = image_.size();
      image_.resize(old + piece.Bytes.size());
      std::memmove(image_.data() + at + piece.Bytes.size(), image_.data() + at, old - at);
      std::memcpy(image_.data() + at, piece.Bytes.data(), piece.Bytes.size());
      std::vector<uint8_t>().swap(piece.Bytes);
    }
  } else {
    // From the last piece back, so that each one's frame still counts from the longer sound.
    for (size_t i = pieces.size(); i-- > 0;) {
      const size_t at = kWaveHeaderSize + size_t{pieces[i].Frame} * frameBytes;
      const size_t count = size_t{pieces[i].Count} * frameBytes;
      out[i].assign(image_.begin() + static_cast<std::ptrdiff_t>(at), image_.begin() + static_cast<std::ptrdiff_t>(at + count));
      std::memmove(image_.data() + at, image_.data() + at + count, image_.size() - at - count);
      image_.resize(image_.size() - count);
      pieces[i].Bytes = std::move(out[i]);
    }
  }
  image_.insert(image_.end(), trailer.begin(), trailer.end());
  trailer = std::move(ownTrailer);
  std::swap(header_, header);
  WriteWaveHeader(header_, image_.data());
  UpdateLayout();
}
