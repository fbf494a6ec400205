// The prompts the user sees: Qt's file dialogs run for real, closed as soon as they show.

#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "app/qt_prompts.h"

namespace {

// Qt's dialogs would keep their history in QtProject.conf, in the user's configuration folder
// (the tests' own HOME).
TEST(QtPromptsTest, TheFileDialogsLeaveNoSettingsFileBehind) {
  const QString settings =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/QtProject.conf");
  ASSERT_FALSE(QFileInfo::exists(settings));
  QtPrompts prompts;
  QString fileName;
  for (const bool open : {true, false}) {
    QTimer::singleShot(0, [] {
      if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    EXPECT_FALSE(open ? prompts.OpenFileName(QStringLiteral("Wave files (*.wav)"), fileName)
                      : prompts.SaveFileName(QStringLiteral("Wave files (*.wav)"), fileName));
  }
  EXPECT_FALSE(QFileInfo::exists(settings)) << settings.toStdString();
}

}  // namespace
