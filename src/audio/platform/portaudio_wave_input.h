#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include <portaudio.h>

#include "audio/platform/wave_input.h"

// The wave input on PortAudio: one input stream whose real-time callback copies the captured
// frames into the buffer at the head of the queue and nothing else. Audio that arrives while no
// buffer is queued is dropped and counted (DroppedFrames).
//
// Threads: every call comes from one user thread. Data notifications come from a thread of this
// class's own, started by Open and joined by Close, one at a time and in queue order; it polls
// for full buffers every couple of milliseconds, since waking it from the real-time callback
// would need a system call there. kWaveInOpened is delivered on the caller's thread before Open
// returns, kWaveInClosed on the caller's thread before Close returns. Reset (and Close, which
// resets first) returns only once every buffer it handed back has been notified. Calls made
// from inside a notification are refused (kFromNotification) rather than deadlocking on it.
//
// Buffers: a header must be prepared before it is queued. The device owns a queued header until
// its data notification: until then it is not to be touched, and Flags carries kHeaderInQueue.
// Only whole frames are recorded, so a buffer whose length is not a whole number of frames
// comes back with the odd bytes unused.
//
// PortAudio is initialised at the first DeviceCount or Open and terminated by the destructor;
// its initialisation is counted, so this class lives alongside other PortAudio users. A device
// still open at destruction is closed without notifications: its owner may be half gone.
class PortAudioWaveInput : public IWaveInput {
 public:
  static constexpr uint32_t kHeaderDone = 0x01;      // came back from the device
  static constexpr uint32_t kHeaderPrepared = 0x02;
  static constexpr uint32_t kHeaderInQueue = 0x10;   // owned by the device
  // Buffers the device holds at once: queued, or full and awaiting their notification.
  static constexpr unsigned kMaxQueued = 16;
  // Frames per callback: about 6 ms at 44100 Hz, so a full buffer is noticed quickly.
  static constexpr unsigned long kFramesPerBuffer = 256;

  // This class's own results. PortAudio's codes, all negative, are passed on unchanged.
  enum Error : int {
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
  };

  PortAudioWaveInput() = default;
  ~PortAudioWaveInput() override;
  PortAudioWaveInput(const PortAudioWaveInput&) = delete;
  PortAudioWaveInput& operator=(const PortAudioWaveInput&) = delete;

  unsigned DeviceCount() override;
  int Open(int device, const WaveFormatEx& format, WaveInNotify notify) override;
  int PrepareHeader(WaveHeader& header) override;
  int UnprepareHeader(WaveHeader& header) override;
  int AddBuffer(WaveHeader& header) override;
  int Start() override;
  int Reset() override;
  int Close() override;
  std::string ErrorText(int code) override;
  uint64_t DroppedFrames() const override;

 private:
  // A queue of headers between exactly one producing and one consuming thread. Positions only
  // grow, so a full ring never looks empty. While the stream is stopped, the user thread may
  // take over the callback's side: stopping the stream orders the two.
  class HeaderRing {
   public:
    void Clear();
    WaveHeader* Front() const;
    void Pop();
    void Push(WaveHeader* header);
    uint64_t Pushed() const { return write_.load(std::memory_order_acquire); }
    uint64_t Popped() const { return read_.load(std::memory_order_acquire); }

   private:
    std::array<WaveHeader*, kMaxQueued> slots_{};
    std::atomic<uint64_t> write_{0};
    std::atomic<uint64_t> read_{0};
  };
  static_assert(std::atomic<uint64_t>::is_always_lock_free);

  static int StreamCallback(const void* input, void* output, unsigned long frames,
                            const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags flags,
                            void* userData);
  void Capture(const uint8_t* input, unsigned long frames);
  void NotificationLoop();
  PaError EnsureInitialized();
  PaDeviceIndex FindDevice(int device);
  int StopStream();
  void ReturnQueued();
  void Shutdown(bool notifyOwner);
  bool OnNotificationThread() const;
  int Failed(PaError error);

  bool initialized_ = false;
  PaStream* stream_ = nullptr;
  bool running_ = false;
  WaveInNotify notify_;
  std::thread notifier_;
  std::atomic<bool> quit_{false};
  std::atomic<bool> quiet_{false};
  // Fixed while the stream exists.
  size_t frameBytes_ = 1;
  // AddBuffer -> callback: buffers to fill. Callback -> notification thread: buffers to return.
  HeaderRing added_;
  HeaderRing filled_;
  std::atomic<uint64_t> notified_{0};
  std::atomic<uint64_t> dropped_{0};
  std::string hostErrorText_;
};
