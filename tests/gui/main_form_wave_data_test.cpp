#include <QComboBox>
#include <QProgressBar>

#include "processing/resample.h"
#include "gui/dialogs/resample_form.h"

#include "main_form_fixture.h"

namespace {

class WaveDataWindow : public MainFormTest {
 protected:
  std::vector<uint8_t> Image() const { return form->Wave().Image(); }
  const Selection& Sel() const { return form->View().Sel; }
};

TEST_F(WaveDataWindow, TheCaptionCountsWhileAConversionRunsAndComesBackAtTheEnd) {
  Start({QString::fromStdString(WriteStereoWave("long.wav", 1001))});
  // Watch the window the moment each report has been handled.
  std::vector<QString> captions;
  std::vector<int> gauge;
  TProgressEvent windowHandler = form->Wave().OnProgress;
  form->Wave().OnProgress = [&](TWave& sender, int8_t progress) {
    windowHandler(sender, progress);
    captions.push_back(Caption());
    gauge.push_back(Find<QProgressBar>("Gauge")->value());
  };
  Click("MonoButton");
  ASSERT_EQ(captions.size(), 12u);
  EXPECT_EQ(captions.front(), "Wait.. 0 %");
  EXPECT_EQ(captions[5], "Wait.. 50 %");
  EXPECT_EQ(captions[10], "Wait.. 100 %");
  EXPECT_EQ(gauge[5], 50);
  EXPECT_EQ(captions.back(), "Velorin II - long.wav");
  EXPECT_EQ(gauge.back(), 0);
  EXPECT_EQ(Caption(), "*Velorin II - long.wav");
  EXPECT_EQ(LabelText("NumChannelsLabel"), "1");
  EXPECT_FALSE(Enabled("RightCheckBox"));
}

TEST_F(WaveDataWindow, CDFormatExplainsARefusalAndChangesNothing) {
  Start({QString::fromStdString(WriteStereoWave("dat.wav", 100, 48000))});
  form->View().Sel.SelStart = 3;
  const std::vector<uint8_t> before = Image();
  Click("CDFormatButton");
  EXPECT_EQ(prompts.Texts(PromptKind::kInformation),
            QStringList{"Incompatible samplerate; use SoundRec to convert manually to 44 kHz 16 bit stereo PCM wave."});
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(Sel().SelStart, 3);
  EXPECT_EQ(LabelText("SampleRateLabel"), "48000 Hz");
}

// A refused rate keeps the dialog open; a typed one resamples as the engine does (Enter runs it as
// OK does), undone whole; the rate the sound has already changes nothing and adds no undo step.
// Escape closes the dialog.
TEST_F(WaveDataWindow, TheResampleDialogTakesATypedRateAndKeepsARefusedOneForACorrection) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 4410))});
  const std::vector<uint8_t> before = Image();
  TResampleForm* dialog = form->ResampleForm;
  for (const char* rate : {"7999", "12345", "12345"}) {
    Click("ResampleButton");
    dialog->RateComboBox->setCurrentText(rate);
    std::unique_ptr<Session> twin = Twin();
    NoProgress quiet;
    const bool refused = std::string(rate) == "7999";
    if (!refused && twin->Wave.SampleRate() != 12345) ResampleSound(*twin, quiet, rate);
    if (refused) {
      Click("OKButton", dialog);
    } else {
      QTest::keyClick(dialog->RateComboBox, Qt::Key_Return);
    }
    EXPECT_EQ(Image(), twin->Wave.Image());
    EXPECT_EQ(dialog->isVisible(), refused);
    EXPECT_EQ(prompts.Shown().size(), refused ? 1u : 0u);
    prompts.ClearShown();
  }
  EXPECT_EQ(LabelText("SampleRateLabel"), "12345 Hz");
  Click("UndoButton");
  EXPECT_EQ(Image(), before);
  Click("ResampleButton");
  QTest::keyClick(dialog->RateComboBox, Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
}

}  // namespace
