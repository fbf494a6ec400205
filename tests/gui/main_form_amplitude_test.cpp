#include <QApplication>
#include <QProgressBar>
#include <QSignalSpy>
#include <QLineEdit>
#include <QSpinBox>
#include <QWheelEvent>

#include "gui/dialogs/loudness_form.h"
#include "analysis/loudness.h"

#include "main_form_fixture.h"

namespace {

class AmplitudeToolsWindow : public MainFormTest {
 protected:
  std::vector<uint8_t> Image() const { return form->Wave().Image(); }
};

TEST_F(AmplitudeToolsWindow, NormalizingSilenceShowsTheErrorAndChangesNothing) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 300))});
  Click("LeftCheckBox");
  Click("RightCheckBox");
  const std::vector<uint8_t> before = Image();
  Click("NormalizeButton");
  EXPECT_EQ(prompts.Texts(PromptKind::kError), QStringList{"Floating point division by zero"});
  EXPECT_EQ(Image(), before);

  prompts.ClearShown();
  Find<QSpinBox>("NormalizeUpDown")->setValue(0);
  Click("NormalizeButton");
  EXPECT_EQ(prompts.Texts(PromptKind::kError), QStringList{"Invalid floating point operation"});
  EXPECT_EQ(Image(), before);
}

TEST_F(AmplitudeToolsWindow, TheLevelSelectorWritesItsLabelWithOrWithoutADocument) {
  Start();
  auto* level = Find<QSpinBox>("NormalizeUpDown");
  level->stepDown();
  EXPECT_EQ(LabelText("NormalizeLabel"), "99 %");
  level->setValue(75);
  EXPECT_EQ(LabelText("NormalizeLabel"), "75 %");
}

TEST_F(AmplitudeToolsWindow, TheGaugeShowsProgressWhileARoutineRuns) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 20000))});
  QSignalSpy values(Find<QProgressBar>("Gauge"), &QProgressBar::valueChanged);
  Click("ReverseButton");
  // 10,000 pairs: the gauge moves once per 100 of them and ends at 0.
  ASSERT_GE(values.size(), 90);
  for (qsizetype i = 1; i + 1 < values.size(); ++i)
    EXPECT_GT(values.at(i).at(0).toInt(), values.at(i - 1).at(0).toInt());
  EXPECT_EQ(values.at(values.size() - 2).at(0).toInt(), 99);
  EXPECT_EQ(values.last().at(0).toInt(), 0);
}

// Normalize in the dialog runs the engine's command on what was typed, shows the new figures, says
// when the ceiling stopped the gain, and is undone as one command.
TEST_F(AmplitudeToolsWindow, TheLoudnessDialogShowsTheFiguresAndNormalizesToWhatWasTyped) {
  WriteBytes(dir.File("tone.wav"), ToneWave(2, 48000, 1000, {{2, -30}}));
  Start({Path("tone.wav")});
  const std::vector<uint8_t> before = Image();
  Click("LoudnessButton");
  TLoudnessForm* dialog = form->LoudnessForm;
  EXPECT_EQ(dialog->TruePeakLabel->text(), "-30.0");
  for (const auto& [target, ceiling, limited] : {std::tuple{"-20", "-1", false}, {"-5", "-12", true}}) {
    prompts.ClearShown();
    dialog->TargetEdit->setText(target);
    dialog->CeilingEdit->setText(ceiling);
    std::unique_ptr<Session> twin = Twin();
    NoProgress quiet;
    const LoudnessGain gain = NormalizeLoudness(twin->Wave, quiet, target, ceiling);
    Click("OKButton", dialog);
    EXPECT_EQ(Image(), twin->Wave.Image());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->IntegratedLabel->text(), QString::fromStdString(DecibelText(gain.Reached)));
    EXPECT_EQ(prompts.Texts(PromptKind::kInformation).size(), limited ? 1 : 0) << target;
  }
  Click("UndoButton");
  Click("UndoButton");
  EXPECT_EQ(Image(), before);
}

TEST_F(AmplitudeToolsWindow, TheLevelStepsByTenWithPageKeysAndTheWheel) {
  Start();
  auto* level = Find<QSpinBox>("NormalizeUpDown");
  level->setValue(50);
  QTest::keyClick(level, Qt::Key_PageDown);
  EXPECT_EQ(level->value(), 40);
  QWheelEvent wheel(QPointF(5, 5), level->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 240), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(level, &wheel);
  EXPECT_EQ(level->value(), 60);
}

}  // namespace
