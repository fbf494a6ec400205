#include <QApplication>

#include <csignal>
#include <cstdio>
#include <optional>
#include <string_view>

#include "gui/main_form.h"
#include "gui/qt_prompts.h"
#include "audio/platform/portaudio_sound_player.h"
#include "audio/platform/portaudio_warm_up.h"
#include "audio/platform/system_sound_card.h"
#include "velorin_version.h"

namespace {

constexpr char kUsage[] =
    "usage: velorin [FILE]\n"
    "Opens the Velorin II sound editor, with the PCM WAV file FILE loaded when given.\n"
    "\n"
    "  -h, --help   print this text and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Qt's own options, such as -platform NAME, are understood too. velorin-cli runs the\n"
    "editor's commands without a window (velorin-cli --help).\n";

// Answered before QApplication exists, which needs a display: help must work in a terminal
// without one.
std::optional<int> AnswerWithoutWindow(int argc, char* argv[]) {
  if (argc < 2) return std::nullopt;
  const std::string_view word = argv[1];
  if (word == "--help" || word == "-h") {
    std::fputs(kUsage, stdout);
  } else if (word == "--version") {
    std::printf("velorin %s\n", kVelorinVersion);
  } else {
    return std::nullopt;
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (const std::optional<int> code = AnswerWithoutWindow(argc, argv)) return *code;
  // Past a file-size limit (ulimit -f) a save then fails with "File too large" in the error box,
  // the old file kept, instead of the window vanishing.
  std::signal(SIGXFSZ, SIG_IGN);
  // The sound card is probed while Qt starts and the window opens, which waits for it only once it
  // plays or records; it goes after everything that uses PortAudio.
  PortAudioWarmUp soundProbe;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velorin II"));

  // Declared before the window, whose document stops the player and whose recorder closes the
  // input when it goes.
  PortAudioSoundPlayer player;
  SystemSoundCard soundCard;
  QtPrompts prompts;
  QStringList arguments = QApplication::arguments();
  // The program's directory is where the executable lies, however it was started (argv[0] may
  // be a bare name found on the PATH).
  const QString programFile = QApplication::applicationFilePath();
  if (!programFile.isEmpty() && !arguments.isEmpty()) arguments[0] = programFile;

  TMainForm mainForm(prompts, arguments, soundCard.Card(), &player);
  mainForm.show();
  return QApplication::exec();
}
