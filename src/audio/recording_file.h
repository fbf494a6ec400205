#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The WAV file a recording goes into: made with its 44-byte header in one piece, then appended
// to. Its two size fields (RIFF size and data size) follow the data when patched, so that a file
// whose writer died still loads with what had reached it.
class RecordingFile {
 public:
  // Where the file reads the time for its patches every second.
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // Replaces `fileName` with a file holding `header` only. Throws std::runtime_error
  // "Cannot create file <name> (<reason>)".
  static std::unique_ptr<RecordingFile> Create(const std::string& fileName, const uint8_t (&header)[44],
                                               Clock clock = &std::chrono::steady_clock::now);
  ~RecordingFile();
  RecordingFile(const RecordingFile&) = delete;
  RecordingFile& operator=(const RecordingFile&) = delete;

  // Appends, remembering the first failure (WriteError) rather than throwing: it runs on the
  // device's thread.
  void Append(const uint8_t* data, size_t size);
  // Sets the RIFF size to the file size − 8 and the data size to that − 36.
  void PatchSizes();
  // PatchSizes, when a second or more has passed since the last.
  void PatchSizesEverySecond();
  // Patches the sizes a last time and closes the file; the first write error, if any, remains.
  void Finish();

  uint64_t Size() const { return size_; }
  const std::string& WriteError() const { return writeError_; }

 private:
  RecordingFile(std::string fileName, int fd, Clock clock)
      : fileName_(std::move(fileName)), fd_(fd), clock_(std::move(clock)), patched_(clock_()) {}
  void Fail(const char* what, int error);

  std::string fileName_;
  int fd_ = -1;
  uint64_t size_ = 44;
  Clock clock_;
  std::chrono::steady_clock::time_point patched_;
  std::string writeError_;
};
