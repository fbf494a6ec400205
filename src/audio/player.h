#pragma once

#include <QObject>

#include <cstdint>
#include <istream>
#include <memory>
#include <string>

#include "audio/audio_settings.h"

// Plays a stream of raw samples through the wave output and the ring of four buffers. At most
// three buffers are with the device at once, so that the done handler can tell an empty ring
// (AddIndex == DoneIndex) from a full one. Each played buffer is refilled from the stream and
// queued again; once the stream has run out (after LoopCount restarts) and the last buffer has
// been played, the device is closed and OnPlayed fires.
//
// Everything runs on the user-interface thread: the device's notifications reach it through the
// component's hidden window (TAudio), and refill and close requests are posted to the player's
// own two windows.
class TPlayer final : public TAudioSettings {
 public:
  explicit TPlayer(TAudio& owner);
  ~TPlayer() override;

  // Opens the output device with the player's format and starts playing `stream` from its
  // start, `loopCount` more times after the first. False, with the owner's ErrorMessage set,
  // when the device cannot be opened or the player is already playing.
  bool Play(std::unique_ptr<std::istream> stream, uint16_t loopCount = 0);
  // The same in another format, which the player takes on (through property writes, so the
  // recorder follows unless SeparateCtrls) and gives back once the device has closed.
  bool Play(std::unique_ptr<std::istream> stream, uint16_t loopCount, TChannels channels, TBPS bitsPerSample,
            uint16_t sampleRate);
  // Stops playing and returns once the device has reported itself closed, or after ten seconds
  // with the owner's ErrorMessage set, the device still open.
  void Stop();
  // Gives the device back at once, whatever it still holds: for a stream that could not be
  // started, and for a device that is still open when the player goes.
  void Abandon();

  // The device's notifications, handled on the user-interface thread.
  void WaveOutMessage(uint32_t message);
  void RefillBuffer();
  void ClosePlayer();

  uint16_t LoopCount = 0;
  // 64-bit: a stream may be longer than 2 GiB.
  int64_t PlayPosition = 0;
  std::unique_ptr<std::istream> PlayStream;
  bool RestoreFormat = false;
  TChannels SavedChannels = TChannels::Mono;
  TBPS SavedBitsPerSample = TBPS::_8;
  uint16_t SavedSampleRate = 11025;
  bool EndPosted = false;

 private:
  void ReportError(int code, const std::string& message);
  // Reads the next block of the stream into the buffer at AddIndex and queues it; the stream
  // is dropped once it has run out. 0, or the device's error code.
  int QueueNext();
  // The stream is gone and the device holds nothing more: ask for the close, once.
  void PostCloseWhenDrained();
  void RestoreSavedFormat();

  // The hidden windows for refill and close requests.
  QObject window_;
  QObject closeWindow_;
  // The last close failed: the device stays open, and waiting for it would never end.
  bool closeFailed_ = false;
};
