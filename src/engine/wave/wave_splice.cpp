// TWave's one change of length: frames cut out, kept or inserted as whole frames.

#include <cstring>

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
    CompleteBackup();
    uint8_t* data = image_.data() + kWaveHeaderSize;
    if (s.Begin != 0) std::memmove(data, old + size_t{s.Begin} * frameBytes, head);
    std::memmove(data + head, old + size_t{s.Resume} * frameBytes, tail);
    SetDataSize(header, head + tail);
    image_.resize(kWaveHeaderSize + head + tail);
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
    image.resize(image.size() + inserted, kind_ == SampleKind::Byte ? kSilence8 : 0);
  }
  image.insert(image.end(), old + size_t{s.Resume} * frameBytes, old + size_t{s.End} * frameBytes);
  AdoptImage(std::move(image), header);
}
