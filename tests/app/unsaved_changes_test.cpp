// A changed sound is marked in the title and never dropped without asking.

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <utility>

#include "main_form_fixture.h"

namespace {

class UnsavedChanges : public MainFormTest {
 protected:
  void Drop(const std::string& file) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
  }
};

TEST_F(UnsavedChanges, TitleMarksAChangeAndEveryWayOutAsksFirst) {
  const std::string a = WriteStereoWave("a.wav", 1000);
  const std::string b = WriteStereoWave("b.wav", 500);
  Start({QString::fromStdString(a)});
  WriteBytes(form->ScratchFileName(), {1, 2, 3});
  Click("MuteButton");
  EXPECT_EQ(Caption(), "*Velorin II - a.wav");
  Click("UndoButton");
  EXPECT_EQ(Caption(), "Velorin II - a.wav");
  Click("RedoButton");
  EXPECT_EQ(Caption(), "*Velorin II - a.wav");
  const std::vector<uint8_t> muted = form->Wave().Image();

  // Cancel leaves everything as it was, whichever way out was taken.
  const std::vector<std::pair<const char*, std::function<void()>>> ways = {
      {"Open", [&] { Click("OpenBitBtn"); }},
      {"New", [&] { Click("NewBitBtn"); }},
      {"drop", [&] { Drop(b); }},
      {"Exit", [&] { Click("ExitButton"); }},
  };
  for (const auto& [name, way] : ways) {
    SCOPED_TRACE(name);
    prompts.ClearShown();
    prompts.AnswerSaveQuestion(SaveChoice::Cancel);
    way();
    EXPECT_EQ(prompts.Texts(PromptKind::kSaveChanges), QStringList{"a.wav has changed. Save the changes?"});
    EXPECT_EQ(prompts.Shown().size(), 1u);
    EXPECT_EQ(form->Wave().Image(), muted);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(std::filesystem::exists(form->ScratchFileName()));
  }

  prompts.AnswerSaveQuestion(SaveChoice::Discard);
  Drop(b);
  EXPECT_EQ(Caption(), "Velorin II - b.wav");
  EXPECT_NE(ReadBytes(a), muted);

  // Save proposes the open file, saves, and the window goes on to close.
  Click("MuteButton");
  prompts.ClearShown();
  prompts.AnswerSaveQuestion(SaveChoice::Save);
  prompts.ChooseSaveFile(QString::fromStdString(b));
  EXPECT_TRUE(form->close());
  ASSERT_EQ(prompts.Shown().size(), 2u);
  EXPECT_EQ(prompts.Shown()[1].proposal, QString::fromStdString(b));
  EXPECT_EQ(ReadBytes(b), form->Wave().Image());
  EXPECT_FALSE(std::filesystem::exists(form->ScratchFileName()));
}

}  // namespace
