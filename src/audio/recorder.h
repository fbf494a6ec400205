#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>

#include "audio/audio_settings.h"
#include "audio/recording_file.h"
#include "state/level_meter.h"

// Captures sound from the wave input through the ring of four buffers. Each filled buffer is
// tested against the trigger level, appended to the recording file, offered to the owner's
// OnRecord (split into left and right when asked) and handed back to the device by the
// user-interface thread.
//
// Two threads meet here without a lock. The device's notification thread runs WaveInCallback: it
// reads TrigLevel, reads and sets Active, Triggered and DoneIndex, appends to the file and posts
// the re-queue. The user-interface thread runs everything else, AddIndex included, and leaves the
// format and the split alone while the device is open. A buffer is re-queued only after the
// callback that used it has posted, and Stop finishes the file only once the device is closed.
class TRecorder final : public TAudioSettings {
 public:
  explicit TRecorder(TAudio& owner);
  ~TRecorder() override;

  bool SplitChannels() const { return splitChannels_; }
  // Only a stereo recorder can split; anything else leaves it off. The notification thread reads
  // it for every buffer, so it cannot change while the device is open, as the format cannot.
  void SetSplitChannels(bool value);

  // The level a sample must reach for recording to begin; it may change while recording.
  std::atomic<uint16_t> TrigLevel{0};
  std::atomic<bool> Triggered{false};
  std::atomic<bool> RecordingToFile{false};
  // The input's levels, measured from each buffer the device hands back, for a meter to show.
  LevelMeter Meter;
  // The clock of the files RecordToFile makes.
  RecordingFile::Clock FileClock = &std::chrono::steady_clock::now;

  // With a file name, makes that file the 44-byte header of the recorder's format. With no left
  // stream the file stays open for Start … Stop to fill; otherwise the streams' data is written
  // at once (the two interleaved frame by frame when they are the same size) and the file
  // finished. An empty name records to no file. Throws std::runtime_error
  // "Cannot create file <name> (<reason>)" when the file cannot be made, and "Another recording
  // is using <name>" when another recording holds it.
  void RecordToFile(const std::string& fileName, std::istream* leftStream = nullptr,
                    std::istream* rightStream = nullptr);

  bool Open();
  bool Start();
  // Closes the device and finishes the recording file, which stays locked until TakeFile. When
  // the close fails (false, with the owner's ErrorMessage saying why) the file is kept open for
  // the device. A file that ends while capturing (see RecordingFile) stops the recording by
  // itself, as Stop does.
  bool Stop();
  // The file of the last recording once it is finished (null before, or without one); the
  // file's lock goes with it.
  std::unique_ptr<RecordingFile> TakeFile();
  // The bytes that have reached the recording file so far, header included.
  uint64_t RecordedBytes() const;
  // Whether the recording file takes no more data (a write error, the file deleted, the largest
  // sound reached): the recording has stopped itself.
  bool FileEnded() const { return file_ && file_->Ended(); }
  bool Close();
  bool AddNextBuffer();
  bool CheckTrigger(const uint8_t* data, uint16_t count);
  void SplitBuffer(uint8_t*& left, uint8_t*& right, uint16_t& size);
  void WaveInCallback(uint32_t message, WaveHeader* header);

  // Frames the device had to drop because no buffer was queued, since the last Open.
  uint64_t DroppedFrames() const;
  // When the device last handed back a filled buffer, whether or not the trigger let it into the
  // file, or when Open began if none has come since: how long the device has been silent.
  std::chrono::steady_clock::time_point LastDelivery() const;

 private:
  void ReportError(int code, const std::string& message);
  void FinishFile();

  bool splitChannels_ = false;
  // Counts the openings of the device, so that a buffer's re-queue knows its own recording.
  std::atomic<uint32_t> openings_{0};
  // Set on the notification thread, read on the user-interface thread.
  std::atomic<std::chrono::steady_clock::rep> lastDelivery_{0};
  std::unique_ptr<RecordingFile> file_;
  // The hidden window: what the callback posts runs here, on the user-interface thread.
  QObject window_;
};
