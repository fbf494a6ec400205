#include "cli/cli_record.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>

#include "audio/platform/sound_system_watch.h"
#include "audio/platform/system_sound_card.h"
#include "audio/recording_file.h"
#include "audio/recording_session.h"
#include "processing/document_commands.h"
#include "processing/errors.h"
#include "processing/number_text.h"
#include "wave/message_path.h"
#include "wave/sample_codes.h"
#include "wave/wave_header.h"

namespace {

// The one mutable global of velorin-cli: a signal handler can reach nothing else. It holds the
// signal that asked a recording to end, 0 while none has.
volatile std::sig_atomic_t caughtSignal = 0;

extern "C" void CatchSignal(int signal) {
  caughtSignal = signal;
  EndSoundSystemWaits();
}

// While it lives, SIGINT and SIGTERM end the recording as Stop does instead of the process, so
// that the scratch file is finished; afterwards they do what they did before.
class SignalsEndRecording {
 public:
  SignalsEndRecording() {
    caughtSignal = 0;
    struct sigaction action = {};
    action.sa_handler = CatchSignal;
    sigemptyset(&action.sa_mask);
    // Not restarted: a call that the signal interrupts returns, and the wait on the sound system
    // under way gives up at once, so that the first signal ends the recording even while the
    // device hangs. A second one of the same kind ends the process as usual.
    action.sa_flags = SA_RESETHAND;
    // Made before a handler can reach it.
    SoundSystemAnswers();
    for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &action, &previous_[i]);
  }
  ~SignalsEndRecording() {
    for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  }
  SignalsEndRecording(const SignalsEndRecording&) = delete;
  SignalsEndRecording& operator=(const SignalsEndRecording&) = delete;

 private:
  static constexpr int kSignals[2] = {SIGINT, SIGTERM};
  struct sigaction previous_[2];
};

// The folder of the program itself, as the window takes it.
std::string ExecutableFolder() {
  std::string exe(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", exe.data(), exe.size() - 1);
  return n > 0 ? exe.substr(0, exe.rfind('/', static_cast<size_t>(n))) : ".";
}

}  // namespace

void Record(CliSession& s, CommandArgs a) {
  RecordingRequest request;
  request.Seconds = StrToFloat(a[0]);
  request.Format.SampleRate = static_cast<uint16_t>(std::stoi(a[1]));
  // The command's check has found the row.
  request.Format.Bits = static_cast<TBPS>(FindRecordedFormat(a[2])->Kind);
  request.Format.Channels = a[3] == "2" ? TChannels::Stereo : TChannels::Mono;
  // Refused before anything starts: a recording stops by itself at the largest sound the editor
  // holds, which would give a script less than it asked for.
  const uint32_t frameBytes = FrameBytesOf(a[3] == "2" ? 2 : 1, BitsOf(request.Format.Bits));
  const double most = std::min(
      86400.0, std::floor(static_cast<double>(MaxRecordedDataSize(frameBytes)) / (frameBytes * request.Format.SampleRate)));
  if (!(request.Seconds >= 0 && request.Seconds <= most))
    throw CommandError("A recording in this format lasts from 0 to " + FormatRounded(most, 0) + " seconds, not " + a[0]);
  if (s.Doc.Program.ProgramDir.empty()) s.Doc.Program.ProgramDir = WritableProgramDir(ExecutableFolder());
  const std::string scratch = ScratchFileName(s.Doc.Program);
  SystemSoundCard card;
  RecordingOutcome outcome;
  {
    SignalsEndRecording endOnSignal;
    request.Interrupted = [] { return caughtSignal != 0; };
    outcome = RecordForSeconds(card.Card(), scratch, request);
  }
  if (outcome.FileLost) {
    // The file is gone, but its descriptor still read what was recorded: that goes beside it.
    std::string kept;
    try {
      kept = "; what was recorded is in " + PathForMessage(KeepRecovered(scratch, outcome.Image));
    } catch (const std::exception& error) {
      kept = "; what was recorded is lost: " + std::string(error.what());
    }
    throw CommandError(outcome.FileError + kept);
  }
  if (const int signal = caughtSignal; signal != 0)
    throw CliInterrupted(signal, "Recording interrupted; " + PathForMessage(scratch) + " holds what was recorded");
  // A stream abandoned on the way says so rather than how its close failed; its file has counted
  // every buffer that reached it.
  if (!SoundSystemAnswers()) throw CommandError(kSoundSystemSilentText);
  if (!outcome.FileError.empty()) throw CommandError(outcome.FileError);
  if (!outcome.DeviceError.empty()) throw CommandError(outcome.DeviceError);
  if (outcome.DroppedFrames != 0)
    std::fprintf(stderr, "%llu frames dropped\n", static_cast<unsigned long long>(outcome.DroppedFrames));
  OpenDocumentImage(s.Doc, scratch, std::move(outcome.Image));
  if (!outcome.Notice.empty()) std::fprintf(stderr, "%s\n", outcome.Notice.c_str());
}
