// The linear filters page and the wall filter dialog reach their engine commands; the IIR
// parameter files go to the program's folder and come back from it.

#include <QComboBox>
#include <QLineEdit>

#include <filesystem>

#include "main_form_fixture.h"
#include "processing/iir_file.h"
#include "processing/linear_filters.h"
#include "gui/dialogs/wall_filter_form.h"

namespace {

class FiltersWindow : public MainFormTest {
 protected:
  // 8000 Hz, so that cut-offs up to 4000 pass; the left channel over a stretch inside the sound.
  void StartWithWave() {
    Start({QString::fromStdString(WriteStereoWave("s.wav", 500, 8000))});
    Click("RightCheckBox");
    form->View().Sel = {37, 411, true, false};
  }

  void SetTexts(const std::vector<const char*>& names, const QStringList& texts) {
    for (size_t i = 0; i < names.size(); ++i) Find<QLineEdit>(names[i])->setText(texts.at(i));
  }

  QStringList Texts(const std::vector<const char*>& names) const {
    QStringList texts;
    for (const char* name : names) texts << Find<QLineEdit>(name)->text();
    return texts;
  }

  // Clicks `control` and expects the sound that `command` makes of a copy taken just before, and
  // the refusal or error it shows.
  void ExpectRun(const char* control, const std::function<void(Session&, Progress&)>& command,
                 const QStringList& information, const QStringList& errors, const QWidget* within = nullptr) {
    SCOPED_TRACE(control);
    prompts.ClearShown();
    std::unique_ptr<Session> twin = Twin();
    NoProgress quiet;
    if (command) command(*twin, quiet);
    Click(control, within);
    EXPECT_EQ(form->Wave().Image(), twin->Wave.Image());
    EXPECT_EQ(prompts.Texts(PromptKind::kInformation), information);
    EXPECT_EQ(prompts.Texts(PromptKind::kError), errors);
  }

  const std::vector<const char*> kCoefficients = {"c0Edit", "c1Edit", "d1Edit"};
  const std::vector<const char*> kWall = {"WallThicknessEdit", "WallDensityEdit"};
};

TEST_F(FiltersWindow, FilterControlsRunTheirCommandOnWhatWasEntered) {
  StartWithWave();
  const auto rc = [](FilterKind kind, const char* cutOff) {
    return [=](Session& s, Progress& p) { RCFilterCommand(s.Wave, s.View.Sel, p, kind, cutOff); };
  };
  prompts.AnswerInput("1000");
  ExpectRun("LowPassButton", rc(FilterKind::LowPass, "1000"), {}, {});
  prompts.AnswerInput("4000");
  ExpectRun("HighPassButton", rc(FilterKind::HighPass, "4000"), {}, {});
  prompts.AnswerInput("4001");
  ExpectRun("LowPassButton", nullptr, {kAbortingOperation}, {});
  SetTexts(kCoefficients, {"0.5", "0.5", "0"});
  ExpectRun(
      "ApplyIIRButton",
      [](Session& s, Progress& p) { CustomIIRCommand(s.Wave, s.View.Sel, p, {"0.5", "0.5", "0"}); }, {}, {});
  SetTexts(kCoefficients, {"0.5", "0,5", "0"});
  ExpectRun("ApplyIIRButton", nullptr, {}, {"'0,5' is not a valid floating point value (c1)"});
}

// Without a document the filters ask and show nothing, while the files work all the same.
TEST_F(FiltersWindow, IIRFilesKeepTheCoefficientsAndNeverReplaceAFileUnasked) {
  Start();
  for (const char* control : {"LowPassButton", "HighPassButton", "ApplyIIRButton", "WallButton"}) Click(control);
  EXPECT_FALSE(form->WallFilterForm->isVisible());
  SetTexts(kCoefficients, {"0.25", "-0.5", "0.125"});
  prompts.AnswerInput("coeffs");
  Click("SaveIIRButton");
  SetTexts(kCoefficients, {"1", "0", "0"});
  prompts.ChooseOpenFile(Path("coeffs.iir"));
  Click("OpenIIRButton");
  EXPECT_EQ(Texts(kCoefficients), QStringList({"0.25", "-0.5", "0.125"}));
  EXPECT_EQ(std::tie(prompts.Shown().back().text, prompts.Shown().back().directory),
            std::make_tuple("IIR files (*.iir)", QString::fromStdString(dir.Path().string())));

  const std::vector<uint8_t> old = {'7', '\n'};
  WriteBytes(dir.File("old.iir"), old);
  prompts.AnswerInput("old");
  prompts.AnswerNo();
  Click("SaveIIRButton");
  EXPECT_EQ(ReadBytes(dir.File("old.iir")), old);
  prompts.AnswerInput("x.iir");
  Click("SaveIIRButton");
  EXPECT_TRUE(std::filesystem::exists(dir.File("x.iir.iir")));

  prompts.ChooseOpenFile(Path("old.iir"));
  Click("OpenIIRButton");
  EXPECT_EQ(Texts(kCoefficients), QStringList({"7", "", ""}));
  prompts.ClearShown();
  prompts.ChooseOpenFile(Path("missing.iir"));
  Click("OpenIIRButton");
  EXPECT_EQ(Texts(kCoefficients), QStringList({"7", "", ""}));
  EXPECT_EQ(prompts.Texts(PromptKind::kError).size(), 1);
}

TEST_F(FiltersWindow, TheWallDialogFillsPredefinedWallsAndFiltersWithTheirMass) {
  StartWithWave();
  Click("WallButton");
  const QWidget* dialog = form->WallFilterForm;
  ASSERT_TRUE(dialog->isVisible());
  auto* walls = Find<QComboBox>("WallComboBox", dialog);
  for (const QStringList& wall : std::vector<QStringList>{
           {"2.5", "600"}, {"10", "1000"}, {"20", "2400"}, {"0.4", "2600"}, {"0.05", "7800"}}) {
    QTest::keyClick(walls, Qt::Key_Down);  // from the placeholder, each wall in turn
    EXPECT_EQ(Texts(kWall), wall);
  }

  // Input the filter cannot take keeps the dialog open for a correction; Cancel only hides it.
  SetTexts(kWall, {"-1", "600"});
  ExpectRun("OKButton", nullptr, {"Error, negative mass."}, {}, dialog);
  SetTexts(kWall, {"2.5", "heavy"});
  ExpectRun("OKButton", nullptr, {}, {"'heavy' is not a valid floating point value"}, dialog);
  EXPECT_TRUE(form->WallFilterForm->isVisible());
  Click("CancelButton", dialog);
  EXPECT_FALSE(form->WallFilterForm->isVisible());
  Click("WallButton");
  EXPECT_EQ(Texts(kWall), QStringList({"2.5", "heavy"}));

  SetTexts(kWall, {"0", "600"});
  ExpectRun("OKButton", nullptr, {}, {"Floating point division by zero"}, dialog);
  EXPECT_FALSE(form->WallFilterForm->isVisible());
  Click("WallButton");
  SetTexts(kWall, {"0.05", "7800"});
  const auto steel = [](Session& s, Progress& p) { ApplyWallFilter(s.Wave, s.View.Sel, p, 0.05 / 100 * 7800); };
  ExpectRun("OKButton", steel, {}, {}, dialog);
  EXPECT_FALSE(form->WallFilterForm->isVisible());
}

}  // namespace
