#include "audio/recording_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "wave/message_path.h"
#include "wave/sample_codes.h"
#include "wave/wave_header.h"

namespace {

std::runtime_error CannotCreate(const std::string& fileName, const std::string& reason) {
  return std::runtime_error("Cannot create file " + PathForMessage(fileName) + " (" + reason + ")");
}

// Whether the open file `fd` is still the file that `fileName` names.
bool StillNamed(int fd, const std::string& fileName) {
  struct stat held, named;
  return fstat(fd, &held) == 0 && held.st_nlink > 0 && stat(fileName.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Writes all of `size` bytes at `offset`; false with errno set when that fails.
bool WriteAllAt(int fd, const uint8_t* data, size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t n = pwrite(fd, data, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

// Whether `header` is one that a recording writes: plain PCM in a format the recorder makes, its
// sizes aside, which a recording cut short leaves behind the data.
bool IsRecordingHeader(const TWaveHeader& header) {
  TWaveHeader expected = CanonicalWaveHeader(header.Channels, header.SampleRate, header.BitsPerSample, 0);
  expected.RiffSize = header.RiffSize;
  expected.DataSize = header.DataSize;
  const SampleFormat* format = FindSampleFormat(header.BitsPerSample, false);
  return (header.Channels == 1 || header.Channels == 2) && format != nullptr && format->Recorded &&
         header.SampleRate > 0 && std::memcmp(&expected, &header, sizeof header) == 0;
}

// Opens and locks the file that `fileName` names, without changing a byte of it. A link there is
// refused, not followed: the scratch file's folder may be shared, and a link planted in it would
// have a recording empty some other file.
int OpenLocked(const std::string& fileName) {
  // A file removed or replaced between the open and the lock is no longer the one to record into;
  // another try opens its successor.
  for (int attempt = 0; attempt < 3; ++attempt) {
    // Non-blocking, so that a FIFO put in its place cannot hold the open up.
    const int fd = open(fileName.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == ELOOP) throw CannotCreate(fileName, "it is a symbolic link");
    if (fd < 0) throw CannotCreate(fileName, std::strerror(errno));
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
      close(fd);
      throw CannotCreate(fileName, "not a regular file");
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      close(fd);
      if (error == EWOULDBLOCK) throw std::runtime_error("Another recording is using " + PathForMessage(fileName));
      throw CannotCreate(fileName, std::strerror(error));
    }
    if (StillNamed(fd, fileName)) return fd;
    close(fd);
  }
  throw CannotCreate(fileName, "it keeps being replaced");
}

}  // namespace

std::unique_ptr<RecordingFile> RecordingFile::Create(const std::string& fileName, const uint8_t (&header)[44],
                                                     Clock clock, uint64_t maxDataSize) {
  // Not O_TRUNC: only once the lock is ours may the file be emptied. Not O_APPEND either: Linux
  // would then append the patches of the size fields too.
  const int fd = OpenLocked(fileName);
  if (ftruncate(fd, 0) != 0 || !WriteAllAt(fd, header, sizeof header, 0) || lseek(fd, sizeof header, SEEK_SET) < 0) {
    const int error = errno;
    // What a failed start made (or emptied) is no recording: it goes, while the lock keeps any
    // other recording from taking it in between.
    if (StillNamed(fd, fileName)) unlink(fileName.c_str());
    close(fd);
    throw CannotCreate(fileName, std::strerror(error));
  }
  const auto frameBytes = static_cast<uint16_t>(std::max(1, header[32] | header[33] << 8));
  return std::unique_ptr<RecordingFile>(
      new RecordingFile(fileName, fd, std::move(clock), frameBytes,
                        std::min(maxDataSize, MaxRecordedDataSize(frameBytes))));
}

RecordingFile::~RecordingFile() {
  if (fd_ >= 0) close(fd_);
}

void RecordingFile::Fail(std::string message) {
  if (failure_.empty()) failure_ = std::move(message);
  ended_ = true;
}

void RecordingFile::CheckStillNamed() {
  checked_ = clock_();
  if (lost_ || StillNamed(fd_, fileName_)) return;
  Fail("The recording file " + PathForMessage(fileName_) + " was deleted while recording");
  lost_ = true;
}

void RecordingFile::Append(const uint8_t* data, size_t size) {
  if (fd_ < 0 || ended_) return;
  const uint64_t room = maxDataSize_ - (size_ - 44);
  if (size >= room) {
    size = static_cast<size_t>(room);
    full_ = true;
  }
  while (size > 0) {
    const ssize_t n = write(fd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      // A write cut short may have left part of a frame, which no loader would count.
      const uint64_t whole = size_ - (size_ - 44) % frameBytes_;
      if (whole != size_ && ftruncate(fd_, static_cast<off_t>(whole)) == 0) size_ = whole;
      PatchSizes();
      Fail("Cannot write file " + PathForMessage(fileName_) + " (" + std::strerror(error) + ")");
      return;
    }
    data += n;
    size -= static_cast<size_t>(n);
    size_ += static_cast<uint64_t>(n);
  }
  // After every piece, so that a recording killed at any moment leaves a header that counts
  // what reached the file.
  PatchSizes();
  if (full_) ended_ = true;
}

void RecordingFile::PatchSizes() {
  if (fd_ < 0) return;
  const auto riffSize = static_cast<uint32_t>(size_ - 8);
  const auto dataSize = static_cast<uint32_t>(riffSize - 36);
  uint8_t field[4];
  for (const auto& [offset, value] : {std::pair<off_t, uint32_t>{4, riffSize}, {40, dataSize}}) {
    for (int b = 0; b < 4; ++b) field[b] = static_cast<uint8_t>(value >> (8 * b));
    if (!WriteAllAt(fd_, field, sizeof field, offset))
      Fail("Cannot write file " + PathForMessage(fileName_) + " (" + std::strerror(errno) + ")");
  }
}

void RecordingFile::CheckEverySecond() {
  if (clock_() - checked_ >= std::chrono::seconds(1)) CheckStillNamed();
}

void RecordingFile::CutTo(uint64_t size) {
  if (fd_ < 0 || size >= size_) return;
  size -= (size - 44) % frameBytes_;
  if (ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    Fail("Cannot write file " + PathForMessage(fileName_) + " (" + std::strerror(errno) + ")");
    return;
  }
  size_ = size;
  PatchSizes();
}

void RecordingFile::Finish() {
  if (fd_ < 0) return;
  PatchSizes();
  CheckStillNamed();
}

std::vector<uint8_t> RecordingFile::Contents() const {
  std::vector<uint8_t> bytes(size_);
  for (size_t at = 0; at < bytes.size();) {
    const ssize_t n = pread(fd_, bytes.data() + at, bytes.size() - at, static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      throw std::runtime_error("Cannot read file " + PathForMessage(fileName_) + " (" + std::strerror(n < 0 ? errno : EIO) + ")");
    at += static_cast<size_t>(n);
  }
  return bytes;
}

std::string KeepRecovered(const std::string& fileName, const std::vector<uint8_t>& image) {
  const size_t slash = fileName.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : fileName.substr(0, slash + 1);
  for (int n = 1;; ++n) {
    const std::string name = folder + "velorin_recovered_" + std::to_string(n) + ".wav";
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) throw CannotCreate(name, std::strerror(errno));
    const bool written = WriteAllAt(fd, image.data(), image.size(), 0) && fsync(fd) == 0;
    const int error = errno;
    if (close(fd) == 0 && written) return name;
    unlink(name.c_str());
    throw CannotCreate(name, std::strerror(written ? errno : error));
  }
}

std::vector<uint8_t> InterruptedRecording(const std::string& fileName) {
  const int fd = open(fileName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  std::vector<uint8_t> image;
  struct stat status;
  // A recording running now holds the lock, and its file is not for taking.
  if (flock(fd, LOCK_SH | LOCK_NB) == 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
      static_cast<uint64_t>(status.st_size) > kWaveHeaderSize) {
    TWaveHeader header;
    if (pread(fd, &header, sizeof header, 0) == static_cast<ssize_t>(sizeof header) && IsRecordingHeader(header)) {
      const uint64_t data = std::min(static_cast<uint64_t>(status.st_size) - kWaveHeaderSize,
                                     MaxRecordedDataSize(header.BlockAlign));
      image.resize(kWaveHeaderSize + data - data % header.BlockAlign);
      size_t at = 0;
      while (at < image.size()) {
        const ssize_t n = pread(fd, image.data() + at, image.size() - at, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        at += static_cast<size_t>(n);
      }
      // A file cut shorter meanwhile gives what it still holds, in whole frames.
      const size_t frames = at < kWaveHeaderSize ? 0 : (at - kWaveHeaderSize) / header.BlockAlign;
      image.resize(frames == 0 ? 0 : kWaveHeaderSize + frames * header.BlockAlign);
    }
  }
  close(fd);
  if (!image.empty()) {
    const TWaveHeader found = ReadWaveHeader(image.data());
    WriteWaveHeader(CanonicalWaveHeader(found.Channels, found.SampleRate, found.BitsPerSample,
                                        static_cast<uint32_t>(image.size() - kWaveHeaderSize)),
                    image.data());
  }
  return image;
}

void RemoveUnlessRecording(const std::string& fileName) {
  const int fd = open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  // Removed while the lock is held, so that no recording can take the file in between.
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) unlink(fileName.c_str());
  close(fd);
}
