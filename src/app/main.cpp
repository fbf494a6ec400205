#include <QApplication>

#include "app/main_form.h"
#include "app/qt_prompts.h"
#include "audio/platform/portaudio_sound_player.h"
#include "audio/platform/portaudio_wave_input.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velorin II"));

  // Declared before the window, whose document stops the player and whose recorder closes the
  // input when it goes.
  PortAudioSoundPlayer player;
  PortAudioWaveInput waveInput;
  QtPrompts prompts;
  QStringList arguments = QApplication::arguments();
  // The program's directory is where the executable lies, however it was started (argv[0] may
  // be a bare name found on the PATH).
  const QString programFile = QApplication::applicationFilePath();
  if (!programFile.isEmpty() && !arguments.isEmpty()) arguments[0] = programFile;

  TMainForm mainForm(prompts, arguments, waveInput, &player);
  mainForm.show();
  return QApplication::exec();
}
