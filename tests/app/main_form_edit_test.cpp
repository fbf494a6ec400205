#include "main_form_fixture.h"
#include "processing/edit_commands.h"
#include "processing/undo_commands.h"

namespace {

class EditWindow : public MainFormTest {};

TEST_F(EditWindow, ButtonsRunTheirCommandAndUndoBringsTheSoundBack) {
  Start();
  EXPECT_FALSE(Enabled("CutButton"));
  form->OpenWave(WriteStereoWave("s.wav", 1000));
  form->View().Sel = {100, 199, true, false};
  const std::vector<uint8_t> opened = form->Wave().Image();
  ExpectWired({
      {"CopyButton", [](Session& s, Progress&) { CopySelection(s); }},
      {"CutButton", [](Session& s, Progress&) { CutSelection(s); }},
      {"PasteButton", [](Session& s, Progress&) { PasteClipboard(s); }},
      {"DeleteButton", [](Session& s, Progress&) { DeleteSelection(s); }},
      {"CropButton", [](Session& s, Progress&) { CropToSelection(s); }},
  });
  const uint32_t cropped = form->Wave().SampleCount();
  prompts.AnswerInput("10");
  Click("InsertSilenceButton");
  ASSERT_EQ(prompts.Shown().size(), 1u);
  EXPECT_EQ(prompts.Shown()[0].proposal, "1000");
  EXPECT_EQ(form->Wave().SampleCount(), cropped + 441);
  for (int i = 0; i < 5; ++i) Click("UndoButton");
  EXPECT_EQ(form->Wave().Image(), opened);
  EXPECT_EQ(form->View().Sel.SelStart, 100);
}

TEST_F(EditWindow, TheKeysWorkFromAnyPage) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 1000))});
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  form->View().Sel = {0, 499, true, true};
  QTest::keyClick(form.get(), Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(form->Wave().SampleCount(), 500u);
  form->View().Sel.SelStart = 500;
  QTest::keyClick(form.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(form->Wave().SampleCount(), 1000u);
  QTest::keyClick(form.get(), Qt::Key_Delete);
  EXPECT_EQ(form->Wave().SampleCount(), 500u);
  EXPECT_EQ(form->View().Sel.SelEnd, 499);
}

}  // namespace
