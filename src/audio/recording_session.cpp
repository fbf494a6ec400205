#include "audio/recording_session.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>

#include "audio/audio_component.h"
#include "audio/message_loop.h"
#include "audio/recorder.h"

bool StartRecording(TAudio& audio, const std::string& fileName, const RecordingFormat& format) {
  TRecorder& recorder = audio.Recorder();
  audio.SetSampleRate(recorder, format.SampleRate);
  audio.SetBitsPerSample(recorder, format.Bits);
  audio.SetChannels(recorder, format.Channels);
  recorder.RecordToFile(fileName);
  audio.ErrorMessage.clear();
  return recorder.Start();
}

RecordingOutcome RecordForSeconds(const SoundCard& card, const std::string& fileName, const RecordingRequest& request) {
  // The recorder hands filled buffers back through the message loop.
  EnsureMessageLoop();
  TAudio audio(card);
  TRecorder& recorder = audio.Recorder();
  RecordingOutcome outcome;
  if (!StartRecording(audio, fileName, request.Format)) {
    outcome.Error = audio.ErrorMessage;
    recorder.Stop();
    return outcome;
  }
  QEventLoop loop;
  QTimer::singleShot(std::chrono::milliseconds(static_cast<int64_t>(request.Seconds * 1000)), &loop, &QEventLoop::quit);
  loop.exec();
  // A recorder that failed while capturing has stopped itself and said why.
  const bool capturing = recorder.IsOpen;
  if (!recorder.Stop() || !capturing) outcome.Error = audio.ErrorMessage;
  outcome.DroppedFrames = recorder.DroppedFrames();
  return outcome;
}
