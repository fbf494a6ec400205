#include "audio/recording_session.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>

#include "audio/audio_component.h"
#include "audio/recorder.h"

namespace {

// The recorder hands filled buffers back through the message loop, which needs an application
// object; a command-line program has none of its own.
void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "velorin-cli";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
}

}  // namespace

RecordingOutcome RecordForSeconds(IWaveInput& input, const std::string& fileName, const RecordingRequest& request) {
  EnsureApplication();
  TAudio audio(input);
  TRecorder& recorder = audio.Recorder();
  recorder.SetSampleRate(request.SampleRate);
  recorder.SetBitsPerSample(request.Bits == 16 ? TBPS::_16 : TBPS::_8);
  recorder.SetChannels(request.Channels == 2 ? TChannels::Stereo : TChannels::Mono);
  recorder.RecordToFile(fileName);
  RecordingOutcome outcome;
  if (!recorder.Start()) {
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
