#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An open regular file, closed when it goes. Opening refuses what has no end to read to
// (folders, devices, FIFOs) with std::runtime_error "Cannot open file <name> (<reason>)".
class InputFile {
 public:
  explicit InputFile(const std::string& fileName);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  uint64_t Size() const { return size_; }

  // Reads `size` bytes from `offset` straight into `into`; a file that ends early (it shrank while
  // being read) or a failing read is refused: "Cannot read file <name> (<reason>)".
  void ReadAt(uint64_t offset, uint8_t* into, size_t size) const;

 private:
  [[noreturn]] void Fail(const char* what, const std::string& why) const;

  std::string fileName_;
  int fd_ = -1;
  uint64_t size_ = 0;
};
