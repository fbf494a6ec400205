#include "wave/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "wave/message_path.h"

InputFile::InputFile(const std::string& fileName) : fileName_(fileName) {
  // Not blocking: opening a FIFO would otherwise wait for a writer.
  fd_ = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) Fail("Cannot open", std::strerror(errno));
  // No destructor runs for a file refused here, so the refusal closes it.
  const auto refuse = [this](const std::string& why) {
    close(fd_);
    fd_ = -1;
    Fail("Cannot open", why);
  };
  struct stat st {};
  if (fstat(fd_, &st) != 0) refuse(std::strerror(errno));
  if (S_ISDIR(st.st_mode)) refuse(std::strerror(EISDIR));
  if (!S_ISREG(st.st_mode)) refuse("not a regular file");
  size_ = static_cast<uint64_t>(st.st_size);
}

InputFile::~InputFile() {
  if (fd_ >= 0) close(fd_);
}

void InputFile::ReadAt(uint64_t offset, uint8_t* into, size_t size) const {
  while (size > 0) {
    const ssize_t n = pread(fd_, into, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("Cannot read", std::strerror(errno));
    if (n == 0) Fail("Cannot read", "it ended early");
    into += n;
    offset += static_cast<uint64_t>(n);
    size -= static_cast<size_t>(n);
  }
}

void InputFile::Fail(const char* what, const std::string& why) const {
  throw std::runtime_error(std::string(what) + " file " + PathForMessage(fileName_) + " (" + why + ")");
}
