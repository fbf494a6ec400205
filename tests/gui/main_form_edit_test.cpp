#include "main_form_fixture.h"
#include "processing/edit_commands.h"

namespace {

class EditWindow : public MainFormTest {};

TEST_F(EditWindow, ButtonsRunTheirCommands) {
  Start();
  EXPECT_FALSE(Enabled("CutButton"));
  form->OpenWave(WriteStereoWave("s.wav", 1000));
  form->View().Sel = {100, 199, true, false};
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
}

}  // namespace
