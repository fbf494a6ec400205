#include "audio/message_loop.h"

#include <QCoreApplication>

void EnsureMessageLoop() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "velorin-cli";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
}
