#include "audio/recording_session.h"

#include <QEventLoop>
#include <QTimer>

#include <charconv>
#include <chrono>
#include <cmath>

#include "audio/audio_component.h"
#include "audio/message_loop.h"
#include "audio/platform/sound_system_watch.h"
#include "audio/recorder.h"

namespace {

// How long past the seconds asked for a recording may last when its device delivers late (or a
// trigger level is not yet reached): the wait for more, and then the stop, which a stalled
// device may hold up for as long as the sound system is given to answer, with a second for
// opening and closing the device.
constexpr std::chrono::seconds kLateDeviceGrace{10};
constexpr std::chrono::seconds kLateDeviceWait = kLateDeviceGrace - kSoundSystemBound - std::chrono::seconds(1);

// Seconds as they were typed, whatever the locale.
std::string SecondsText(double seconds) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, seconds);
  return std::string(text, result.ptr);
}

}  // namespace

bool StartRecording(TAudio& audio, const std::string& fileName, const RecordingFormat& format) {
  TRecorder& recorder = audio.Recorder();
  audio.SetSampleRate(recorder, format.SampleRate);
  audio.SetBitsPerSample(recorder, format.Bits);
  audio.SetChannels(recorder, format.Channels);
  recorder.RecordToFile(fileName);
  audio.ErrorMessage.clear();
  return recorder.Start();
}

RecordingOutcome StopRecording(TAudio& audio, uint64_t keepBytes) {
  TRecorder& recorder = audio.Recorder();
  RecordingOutcome outcome;
  // A recorder that stopped itself has said why; closing it again would replace the message.
  const bool capturing = recorder.IsOpen;
  const std::string failure = audio.ErrorMessage;
  if (!recorder.Stop()) {
    outcome.DeviceError = audio.ErrorMessage;
  } else if (!capturing) {
    outcome.DeviceError = failure;
  }
  outcome.DroppedFrames = recorder.DroppedFrames();
  const std::unique_ptr<RecordingFile> file = recorder.TakeFile();
  if (!file) return outcome;
  file->CutTo(keepBytes);
  outcome.FileError = file->Failure();
  outcome.FileLost = file->Lost();
  if (!outcome.FileError.empty()) {
    // The recorder stopped itself for the file and said so as its device error too.
    outcome.DeviceError.clear();
  } else if (file->Full()) {
    outcome.Notice = "The recording reached the largest sound the editor holds (" +
                     std::to_string(file->Size() - 44) + " bytes of sound)";
  }
  // Even a file deleted underneath still holds, through its descriptor, what was recorded: it is
  // opened beside the error, so that the user may save it elsewhere.
  outcome.Image = file->Contents();
  return outcome;
}

RecordingOutcome RecordForSeconds(const SoundCard& card, const std::string& fileName, const RecordingRequest& request) {
  // The recorder hands filled buffers back through the message loop.
  EnsureMessageLoop();
  const auto begun = std::chrono::steady_clock::now();
  TAudio audio(card);
  TRecorder& recorder = audio.Recorder();
  bool late = false;
  uint64_t wanted = UINT64_MAX;
  if (StartRecording(audio, fileName, request.Format)) {
    const uint64_t frameBytes = recorder.WaveFormat->BlockAlign;
    wanted = 44 + static_cast<uint64_t>(std::ceil(request.Seconds * request.Format.SampleRate)) * frameBytes;
    const auto deadline = begun +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(request.Seconds)) +
                          kLateDeviceWait;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      if (!recorder.IsOpen || recorder.RecordedBytes() >= wanted || request.Interrupted() ||
          std::chrono::steady_clock::now() >= deadline)
        loop.quit();
    });
    poll.start(std::chrono::milliseconds(10));
    loop.exec();
    late = recorder.IsOpen && recorder.RecordedBytes() < wanted && !request.Interrupted();
  }
  // Whole buffers come in while recording; one that ended by its own length keeps that length.
  const bool reached = recorder.RecordedBytes() >= wanted;
  RecordingOutcome outcome = StopRecording(audio, reached ? wanted : UINT64_MAX);
  if (late && outcome.DeviceError.empty() && outcome.FileError.empty())
    outcome.DeviceError = "The input device delivered less than the " + SecondsText(request.Seconds) +
                          " seconds asked for";
  return outcome;
}
