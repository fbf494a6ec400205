#include "audio/recording_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "wave/atomic_file.h"

std::unique_ptr<RecordingFile> RecordingFile::Create(const std::string& fileName, const uint8_t (&header)[44],
                                                     Clock clock) {
  WriteFileAtomically(fileName, header, sizeof header);
  // Not O_APPEND: Linux would then append the patches of the size fields too.
  const int fd = open(fileName.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0 || lseek(fd, 0, SEEK_END) < 0) {
    const int error = errno;
    if (fd >= 0) close(fd);
    throw std::runtime_error("Cannot create file " + fileName + " (" + std::strerror(error) + ")");
  }
  return std::unique_ptr<RecordingFile>(new RecordingFile(fileName, fd, std::move(clock)));
}

RecordingFile::~RecordingFile() {
  if (fd_ >= 0) close(fd_);
}

void RecordingFile::Fail(const char* what, int error) {
  if (writeError_.empty()) writeError_ = std::string(what) + " file " + fileName_ + " (" + std::strerror(error) + ")";
}

void RecordingFile::Append(const uint8_t* data, size_t size) {
  if (fd_ < 0 || !writeError_.empty()) return;
  while (size > 0) {
    const ssize_t n = write(fd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail("Cannot write", n < 0 ? errno : ENOSPC);
      return;
    }
    data += n;
    size -= static_cast<size_t>(n);
    size_ += static_cast<uint64_t>(n);
  }
}

void RecordingFile::PatchSizes() {
  if (fd_ < 0) return;
  // The fields hold 32 bits; past 4 GiB they keep the low bits, as the format allows no more.
  const auto riffSize = static_cast<uint32_t>(size_ - 8);
  const auto dataSize = static_cast<uint32_t>(riffSize - 36);
  uint8_t field[4];
  for (const auto& [offset, value] : {std::pair<off_t, uint32_t>{4, riffSize}, {40, dataSize}}) {
    for (int b = 0; b < 4; ++b) field[b] = static_cast<uint8_t>(value >> (8 * b));
    if (pwrite(fd_, field, sizeof field, offset) != static_cast<ssize_t>(sizeof field)) Fail("Cannot write", errno);
  }
  patched_ = clock_();
}

void RecordingFile::PatchSizesEverySecond() {
  if (clock_() - patched_ >= std::chrono::seconds(1)) PatchSizes();
}

void RecordingFile::Finish() {
  if (fd_ < 0) return;
  PatchSizes();
  if (close(fd_) != 0) Fail("Cannot write", errno);
  fd_ = -1;
}
