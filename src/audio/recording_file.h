#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wave/wave_document.h"

// The most sound data a recording in frames of `frameBytes` bytes may hold: whole frames, less
// than the editor loads (which also keeps the RIFF size within 32 bits).
constexpr uint64_t MaxRecordedDataSize(uint32_t frameBytes) {
  const uint64_t below = DataSizeLimit(frameBytes) - 1;
  return below - below % frameBytes;
}

// The WAV file a recording goes into: its 44-byte header, then appended to. Its two size fields
// (RIFF size and data size) follow the data after every append, so that a file whose writer died
// still loads with what had reached it.
//
// The file is locked (flock) for as long as this object lives: a second recording cannot take it
// over, and an idle window's Exit leaves it alone. The file ends, taking no more data, at its
// first failure (a write error, or the file found deleted) or once its data reaches the limit;
// what it holds by then stays a whole WAV file of whole frames.
class RecordingFile {
 public:
  // Where the file reads the time for its checks every second.
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // Makes `fileName` a file holding `header` only (never through a link, which is refused), taking at most `maxDataSize` bytes of data
  // (whole frames of the header's block size), and never more than MaxRecordedDataSize. Throws std::runtime_error "Another recording is
  // using <name>", with the file untouched, when another recording holds it, and "Cannot create
  // file <name> (<reason>)" when it cannot be made; a file it made or emptied then goes again.
  static std::unique_ptr<RecordingFile> Create(const std::string& fileName, const uint8_t (&header)[44],
                                               Clock clock = &std::chrono::steady_clock::now,
                                               uint64_t maxDataSize = UINT64_MAX);
  ~RecordingFile();
  RecordingFile(const RecordingFile&) = delete;
  RecordingFile& operator=(const RecordingFile&) = delete;

  // Appends what still fits, remembering a failure rather than throwing: it runs on the device's
  // thread.
  void Append(const uint8_t* data, size_t size);
  // Sets the RIFF size to the file size − 8 and the data size to that − 36. Append does so after
  // every piece it writes.
  void PatchSizes();
  // Checks that the file still has its name, when a second or more has passed since the last.
  void CheckEverySecond();
  // Keeps only the first `size` bytes, header included, cut down to whole frames, and patches the
  // sizes: a recording of a set length ends at that length, not at the end of its last buffer.
  void CutTo(uint64_t size);
  // Patches the sizes a last time and checks that the file still has its name. The file stays
  // open and locked until this object goes.
  void Finish();
  // The whole file as written, read through its own descriptor: never another file that took its
  // name meanwhile. Throws std::runtime_error "Cannot read file <name> (<reason>)".
  std::vector<uint8_t> Contents() const;

  uint64_t Size() const { return size_; }
  // Whether the file takes no more data; then Failure() says why, unless Full().
  bool Ended() const { return ended_; }
  bool Full() const { return full_; }
  // Whether the file lost its name while recording (deleted, or another file put in its place).
  bool Lost() const { return lost_; }
  // "Cannot write file <name> (<reason>)", or that the file was deleted while recording.
  const std::string& Failure() const { return failure_; }
  const std::string& FileName() const { return fileName_; }

 private:
  RecordingFile(std::string fileName, int fd, Clock clock, uint16_t frameBytes, uint64_t maxDataSize)
      : fileName_(std::move(fileName)),
        fd_(fd),
        clock_(std::move(clock)),
        checked_(clock_()),
        frameBytes_(frameBytes),
        maxDataSize_(maxDataSize - maxDataSize % frameBytes) {}
  void Fail(std::string message);
  void CheckStillNamed();

  std::string fileName_;
  int fd_ = -1;
  // Read by the user-interface thread while the device's thread appends.
  std::atomic<uint64_t> size_{44};
  Clock clock_;
  std::chrono::steady_clock::time_point checked_;
  uint16_t frameBytes_;
  uint64_t maxDataSize_;
  std::string failure_;
  std::atomic<bool> full_{false};
  bool lost_ = false;
  // Set after failure_ is written, so that a thread that sees it may read the message.
  std::atomic<bool> ended_{false};
};

// Writes `image`, a recording whose file lost its name, to a new file in the same folder,
// velorin_recovered_N.wav with the first N not taken, and gives that file's name. Throws
// std::runtime_error "Cannot create file <name> (<reason>)", leaving no part of it behind.
std::string KeepRecovered(const std::string& fileName, const std::vector<uint8_t>& image);

// What a recording left in `fileName` when it did not finish (its program killed, the machine
// stopped): every whole frame the file holds, whatever its header says, as a WAV image whose sizes
// count them. Empty when there is no such recording: no file, a link, a file that a recording is
// writing now, one without the header a recording writes, or one without a whole frame of sound.
std::vector<uint8_t> InterruptedRecording(const std::string& fileName);

// Removes `fileName` unless a recording holds it, which leaves it where it is.
void RemoveUnlessRecording(const std::string& fileName);
