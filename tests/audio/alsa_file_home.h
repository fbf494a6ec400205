#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "audio/platform/wave_input.h"

// The test process's sound system: HOME points at a folder whose .asoundrc routes the default
// playback device through ALSA's file plugin over the null device, so PortAudio and ALSA run for
// real without a sound card. Each stream writes its raw samples to a file named after its format
// (see PlaybackFile); a stream that was never opened leaves no file.
//
// The default capture device reads CaptureFile the same way: an empty file unless a
// CaptureSource feeds it.
//
// The folder is made, and HOME set, before the first test runs: ALSA reads its configuration
// once per process, at its first use.
const std::string& SoundHome();
std::string PlaybackFile(uint32_t rate, int channels, int bits);
std::string CaptureFile();

// Feeds the default capture device for as long as it lives: CaptureFile becomes a named pipe
// into which a thread writes frames 0, 1, 2, ... as `frames(first, count)` makes them, about
// `framesPerSecond` of them a second. Over the null device ALSA would read a plain file as fast
// as it can and then hand over stale memory past its end; the pipe paces it instead.
//
// ALSA's file plugin reads the pipe once per period and passes on a whole period even when the
// read comes up short, so `chunkFrames` must be a whole number of the stream's periods; one
// chunk may not exceed 4096 bytes, the most a pipe takes in one piece. The source keeps writing
// until destroyed, since stopping a stream waits for ALSA's read. Destroy it after the device is
// closed: it leaves an empty CaptureFile behind for the next stream.
class CaptureSource {
 public:
  using Frames = std::function<std::vector<uint8_t>(uint64_t first, size_t count)>;
  CaptureSource(Frames frames, double framesPerSecond, size_t chunkFrames);
  ~CaptureSource();
  CaptureSource(const CaptureSource&) = delete;
  CaptureSource& operator=(const CaptureSource&) = delete;

  // Frames written so far, with the chunk being written; none beyond them can have been captured.
  uint64_t Written() const { return written_; }

 private:
  void Feed(Frames frames, double framesPerSecond, size_t chunkFrames);

  int fd_ = -1;
  std::atomic<bool> quit_{false};
  std::atomic<uint64_t> written_{0};
  std::thread writer_;
};

// For as long as it lives, CaptureFile is a named pipe that nothing holds open for writing: a
// sound system that opens its capture device waits there for a writer that never comes, in the
// probe of the cards that every PortAudio start makes. Only programs started meanwhile see it.
class UnansweredCapture {
 public:
  UnansweredCapture();
  ~UnansweredCapture();
  UnansweredCapture(const UnansweredCapture&) = delete;
  UnansweredCapture& operator=(const UnansweredCapture&) = delete;
};

// Stands in for a stream's output file as a named pipe that is read only once released. Until
// then the device can play no further than the pipe and its own buffers hold, so buffers
// written meanwhile are queued for certain, however fast the null device runs and however
// slowly the test goes on. Released, it keeps every byte the stream wrote, taking at most
// `bytesPerSecond` of them a second when that is given: over the null device that paces the
// stream, which would otherwise run as fast as it is fed.
class PlaybackPipe {
 public:
  explicit PlaybackPipe(const std::string& path);
  ~PlaybackPipe();
  PlaybackPipe(const PlaybackPipe&) = delete;
  PlaybackPipe& operator=(const PlaybackPipe&) = delete;
  void Release(double bytesPerSecond = 0);
  // Everything the stream wrote, once it has been closed.
  const std::vector<uint8_t>& Finish();
  // While released: bytes taken so far, and whether the stream has closed its end after writing.
  size_t Received() const { return received_; }
  bool WaitUntilReceived(size_t bytes) const;
  bool WaitUntilClosed() const;

 private:
  bool ReadAvailable(size_t most);

  std::string path_;
  int fd_ = -1;
  std::atomic<bool> quit_{false};
  std::thread reader_;
  std::vector<uint8_t> bytes_;
  std::atomic<size_t> received_{0};
  std::atomic<bool> closed_{false};
};

// Waits on a device are bounded by a deadline far beyond any real delay rather than timed.
inline constexpr auto kDevicePatience = std::chrono::seconds(30);

// The PCM format record of `channels` × `bits` at `rate`.
inline WaveFormatEx Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
  WaveFormatEx format;
  format.Channels = channels;
  format.SamplesPerSec = rate;
  format.BitsPerSample = bits;
  format.BlockAlign = static_cast<uint16_t>(channels * bits / 8);
  format.AvgBytesPerSec = rate * format.BlockAlign;
  return format;
}
