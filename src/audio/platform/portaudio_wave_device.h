#pragma once

#include <portaudio.h>
#include <semaphore.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>
#include <cstdint>
#include <string>

#include "audio/platform/wave_input.h"

// What the PortAudio wave input and wave output share: the flags they keep in a buffer's header,
// the queue that hands headers between two threads, their error codes with texts, and how they
// find devices.

inline constexpr uint32_t kWaveHeaderDone = 0x01;      // came back from the device
inline constexpr uint32_t kWaveHeaderPrepared = 0x02;
inline constexpr uint32_t kWaveHeaderInQueue = 0x10;   // owned by the device
// Buffers a device holds at once: queued, or done and awaiting their notification.
inline constexpr unsigned kMaxQueuedHeaders = 16;
// Frames per callback: about 6 ms at 44100 Hz, so a done buffer is noticed quickly.
inline constexpr unsigned long kFramesPerCallback = 256;

// Flags may be read by the device's threads while the user thread looks at them.
inline std::atomic_ref<uint32_t> HeaderFlags(WaveHeader& header) { return std::atomic_ref<uint32_t>(header.Flags); }

// A queue of headers between exactly one producing and one consuming thread. Positions only grow,
// so a full ring never looks empty. While the stream is stopped, the user thread may take over
// the callback's side: stopping the stream orders the two.
class HeaderRing {
 public:
  void Clear() {
    write_.store(0, std::memory_order_relaxed);
    read_.store(0, std::memory_order_relaxed);
  }
  WaveHeader* Front() const {
    const uint64_t read = read_.load(std::memory_order_relaxed);
    return read == write_.load(std::memory_order_acquire) ? nullptr : slots_[read % kMaxQueuedHeaders];
  }
  void Pop() { read_.store(read_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }
  void Push(WaveHeader* header) {
    const uint64_t write = write_.load(std::memory_order_relaxed);
    slots_[write % kMaxQueuedHeaders] = header;
    write_.store(write + 1, std::memory_order_release);
  }
  uint64_t Pushed() const { return write_.load(std::memory_order_acquire); }
  uint64_t Popped() const { return read_.load(std::memory_order_acquire); }

 private:
  std::array<WaveHeader*, kMaxQueuedHeaders> slots_{};
  std::atomic<uint64_t> write_{0};
  std::atomic<uint64_t> read_{0};
};
static_assert(std::atomic<uint64_t>::is_always_lock_free);

// The devices' own results. PortAudio's codes, all negative, are passed on unchanged.
enum WaveDeviceError : int {
  kNoSuchDevice = 1,
  kBadFormat,
  kAlreadyOpen,
  kNotOpen,
  kBadBuffer,
  kNotPrepared,
  kAlreadyQueued,
  kStillQueued,
  kQueueFull,
  kFromNotification,
  kNoThread,
  kNoMemory,
};

// The text of a code for a device of `direction` ("input" or "output"); PortAudio's own text for
// its codes, with the host's words for an unanticipated host error.
std::string WaveDeviceErrorText(int code, const char* direction, const std::string& hostErrorText);
// Remembers the host's words for an unanticipated host error; gives the error back.
PaError RememberHostError(PaError error, std::string& hostErrorText);

// PCM in a recorded sample format whose block align is one frame: what the devices record.
bool IsDevicePcm(const WaveFormatEx& format);
// Devices with input (or output) channels, and the device of number `device` among them
// (−1: the default one).
unsigned CountDevices(bool output);
PaDeviceIndex FindDevice(int device, bool output);

// The part of a PortAudio wave device that does not depend on its direction: PortAudio's
// initialisation, the stream's stop, the two queues of headers with the notification thread that
// hands done buffers back in order, and the shutdown.
//
// Threads: every call comes from one user thread. Done (or data) notifications come from a thread
// of the device's own, started by Open and joined by Close, one at a time and in queue order; it
// sleeps on a semaphore that whoever hands it a buffer posts, the real-time callback included:
// a post never blocks and is safe even in a signal handler. The opened notification is delivered on the caller's
// thread before Open returns, the closed one on the caller's thread before Close returns. Reset
// (and Close, which resets first) returns only once every buffer it handed back has been
// notified. Calls made from inside a notification are refused (kFromNotification) rather than
// deadlocking on it.
//
// PortAudio is initialised at the first DeviceCount or Open and terminated by the destructor;
// its initialisation is counted, so a device lives alongside other PortAudio users. A device
// still open at destruction is closed without notifications: its owner may be half gone.
class PortAudioWaveDevice {
 protected:
  // `doneMessage` tells the owner of a buffer handed back, `closedMessage` of the close.
  PortAudioWaveDevice(bool output, uint32_t doneMessage, uint32_t closedMessage);
  // Derived devices shut down in their own destructors, while their callback's state still exists.
  virtual ~PortAudioWaveDevice();
  PortAudioWaveDevice(const PortAudioWaveDevice&) = delete;
  PortAudioWaveDevice& operator=(const PortAudioWaveDevice&) = delete;

  PaError EnsureInitialized();
  unsigned Devices();
  std::string NameOf(int device);
  // Opens a stream of `format` on device `device` (−1: the default one) running `callback` with
  // `self` (the derived device, whose address differs from this part's), starts the notification
  // thread and tells the owner `openedMessage`.
  int OpenStream(int device, const WaveFormatEx& format, std::function<void(uint32_t, WaveHeader*)> notify,
                 PaStreamCallback* callback, void* self, PaStreamFlags flags, uint32_t openedMessage);
  int PrepareBuffer(WaveHeader& header);
  int UnprepareBuffer(WaveHeader& header);
  // Checks a buffer handed to the device and queues it; `flagsBefore` gets its flags as they were.
  int QueueBuffer(WaveHeader& header, uint32_t& flagsBefore);
  // Once this returns 0 the callback has run for the last time until the stream starts again.
  int StopStream();
  // With the callback stopped, the user thread stands in for it: every buffer still queued goes to
  // the notification thread, and this returns once all have been notified.
  void ReturnQueued();
  // Closes the stream and ends the notification thread; the owner hears of it when asked to.
  void Shutdown(bool notifyOwner);
  // Reset and Close of either direction: the stream stopped, every queued buffer handed back (and,
  // for Close, the stream closed and the owner told).
  int ResetStream();
  int CloseStream();
  // Called while the callback is stopped, before the queued buffers are handed back: what the
  // callback keeps of its own is then the user thread's to settle.
  virtual void Stopped() {}
  // Hands a buffer that the callback is done with to the notification thread.
  void HandBack(WaveHeader* header) {
    done_.Push(header);
    sem_post(&wake_);
  }
  void NotificationLoop();
  bool OnNotificationThread() const;
  int Failed(PaError error) { return RememberHostError(error, hostErrorText_); }
  std::string Text(int code) const;

  const bool output_;
  const uint32_t doneMessage_;
  const uint32_t closedMessage_;
  bool initialized_ = false;
  PaStream* stream_ = nullptr;
  bool running_ = false;
  std::function<void(uint32_t, WaveHeader*)> notify_;
  std::thread notifier_;
  std::atomic<bool> quit_{false};
  std::atomic<bool> quiet_{false};
  // Fixed while the stream exists.
  size_t frameBytes_ = 1;
  // User thread -> callback: buffers to fill or play. Callback -> notification thread: buffers
  // to hand back.
  HeaderRing queued_;
  HeaderRing done_;
  std::atomic<uint64_t> notified_{0};
  // Posted once for every buffer handed back, and for the request to quit.
  sem_t wake_;
  std::string hostErrorText_;
};
