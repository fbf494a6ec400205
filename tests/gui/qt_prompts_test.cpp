#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "gui/qt_prompts.h"

namespace {

// Qt's file dialogs, run for real and closed as they show, would leave their history in
// QtProject.conf in the user's configuration folder (the tests' own HOME).
TEST(QtPromptsTest, TheFileDialogsLeaveNoSettingsFileBehind) {
  const QString settings = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/QtProject.conf";
  ASSERT_FALSE(QFileInfo::exists(settings));
  QtPrompts prompts;
  QString name;
  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_FALSE(prompts.OpenFileName("Wave files (*.wav)", name));
  EXPECT_FALSE(QFileInfo::exists(settings));
}

}  // namespace
