#include "wave/wave_document.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "wave/atomic_file.h"
#include "wave/image_memory.h"
#include "wave/input_file.h"
#include "wave/wave_reader.h"

namespace {

// The first bytes of an open file, as many as decide its layout.
std::vector<uint8_t> HeadOf(const InputFile& file) {
  std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(file.Size(), kWaveHeadBytes)));
  file.ReadAt(0, head.data(), head.size());
  return head;
}

// A rebuilt canonical image: its header, then room for exactly the data.
std::vector<uint8_t> RebuiltImage(const TWaveHeader& header, uint32_t dataSize) {
  std::vector<uint8_t> image = NewImage(kWaveHeaderSize + dataSize);
  WriteWaveHeader(header, image.data());
  return image;
}

}  // namespace

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
  const std::vector<uint8_t> head = HeadOf(file);
  const WaveLayout layout = ReadWaveLayout(head.data(), head.size(), file.Size(), fileName);
  const TWaveHeader header = CanonicalHeaderOf(layout);
  std::vector<uint8_t> image;
  if (layout.Canonical) {
    image = NewImage(static_cast<size_t>(file.Size()));
    std::memcpy(image.data(), head.data(), head.size());
    file.ReadAt(head.size(), image.data() + head.size(), image.size() - head.size());
  } else {
    image = RebuiltImage(header, layout.DataSize);
    file.ReadAt(layout.DataOffset, image.data() + kWaveHeaderSize, layout.DataSize);
  }
  AdoptImage(std::move(image), header);
  fileName_ = fileName;
  promisedDataBytes_ = layout.Promised();
  presentDataBytes_ = layout.DataSize;
}

bool TWave::LoadPartOfFile(const std::string& fileName, int64_t first, int64_t last) {
  std::error_code ec;
  if (!std::filesystem::exists(fileName, ec) || ec) return false;
  const InputFile file(fileName);
  const std::vector<uint8_t> head = HeadOf(file);
  const WaveLayout layout = ReadWaveLayout(head.data(), head.size(), file.Size(), fileName);
  // The header as a load gives it, with the size of the frames kept, as cutting the rest would.
  TWaveHeader header = CanonicalHeaderOf(layout);
  const uint32_t frameBytes = FrameBytesOf(header);
  const int64_t frames = layout.DataSize / frameBytes;
  const int64_t begin = std::clamp<int64_t>(first, 0, frames);
  const int64_t end = std::clamp<int64_t>(last + 1, 0, frames);
  if (begin >= end) return false;
  const auto kept = static_cast<size_t>(end - begin) * frameBytes;
  std::vector<uint8_t> image = StartConversion(header, kept);
  image.resize(kWaveHeaderSize + kept);
  file.ReadAt(layout.DataOffset + static_cast<uint64_t>(begin) * frameBytes, image.data() + kWaveHeaderSize, kept);
  AdoptImage(std::move(image), header);
  fileName_ = fileName;
  promisedDataBytes_ = layout.Promised();
  presentDataBytes_ = layout.DataSize;
  return true;
}

void TWave::LoadFromImage(const std::string& fileName, std::vector<uint8_t> bytes) {
  const WaveLayout layout = ReadWaveLayout(bytes.data(), bytes.size(), bytes.size(), fileName);
  const TWaveHeader header = CanonicalHeaderOf(layout);
  if (layout.Canonical) {
    AdoptImage(std::move(bytes), header);
  } else {
    std::vector<uint8_t> image = RebuiltImage(header, layout.DataSize);
    std::memcpy(image.data() + kWaveHeaderSize, bytes.data() + layout.DataOffset, layout.DataSize);
    AdoptImage(std::move(image), header);
  }
  fileName_ = fileName;
  promisedDataBytes_ = layout.Promised();
  presentDataBytes_ = layout.DataSize;
}

void TWave::CreateSilent(const std::string& fileName, double seconds) {
  if (!IsNewWaveLength(seconds)) throw std::invalid_argument(NewWaveLengthRange());
  const auto dataSize = static_cast<uint32_t>(std::nearbyint(kSilentRate * seconds));
  const TWaveHeader h = CanonicalWaveHeader(1, kSilentRate, 8, dataSize);
  std::vector<uint8_t> image = NewImage(kWaveHeaderSize + dataSize, kSilence8);
  WriteWaveHeader(h, image.data());
  AdoptImage(std::move(image), h);
  fileName_ = fileName;
  promisedDataBytes_ = 0;
}

void TWave::SaveToFile(const std::string& fileName) const {
  WriteFileAtomically(fileName, image_.data(), image_.size());
}

void TWave::ReopenFromImage(const std::string& fileName) {
  const WaveLayout layout = ReadWaveLayout(image_.data(), image_.size(), image_.size(), fileName);
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
  kind_ = KindOf(header_.BitsPerSample, header_.FormatTag == kFloatTag);
  const uint32_t sampleBytes = std::max(1, header_.BitsPerSample / 8);
  frameBytes_ = sampleBytes * (mono ? 1 : 2);
  rightOffset_ = mono ? 0 : sampleBytes;
  frames_ = header_.DataSize / frameBytes_;
  // A canonical image whose header promises more than it holds is cut on load; keep the
  // frame count within the image whatever the header says.
  const size_t held = image_.size() > kWaveHeaderSize ? image_.size() - kWaveHeaderSize : 0;
  if (static_cast<size_t>(frames_) * frameBytes_ > held) frames_ = static_cast<uint32_t>(held / frameBytes_);
}
