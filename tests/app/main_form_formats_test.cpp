#include <QProgressBar>

#include "main_form_fixture.h"

namespace {

class WaveDataWindow : public MainFormTest {
 protected:
  std::vector<uint8_t> Image() const { return form->Wave().Image(); }
  const Selection& Sel() const { return form->View().Sel; }
};

TEST_F(WaveDataWindow, ButtonsDoNothingWithoutADocument) {
  Start();
  for (const char* button : {"DoubleSRButton", "HalveSRButton", "bits16Button", "bits8Button", "StereoButton",
                             "MonoButton", "CDFormatButton"}) {
    Click(button);
  }
  EXPECT_TRUE(prompts.Shown().empty());
  EXPECT_FALSE(form->Wave().Loaded());
  EXPECT_EQ(Caption(), "Velorin II");
}

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
  EXPECT_EQ(Caption(), "Velorin II - long.wav");
  EXPECT_EQ(LabelText("NumChannelsLabel"), "1");
  EXPECT_FALSE(Enabled("RightCheckBox"));
}

TEST_F(WaveDataWindow, RateButtonsScaleTheViewAndSelectAll) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 1000, 22050))});
  form->View().ViewStart = 10;
  form->View().ViewEnd = 501;
  form->View().Sel.SelStart = 20;
  form->View().Sel.SelEnd = 30;
  Click("DoubleSRButton");
  EXPECT_EQ(form->View().ViewStart, 10);
  EXPECT_EQ(form->View().ViewEnd, 1002);
  EXPECT_EQ(Sel().SelStart, 0);
  EXPECT_EQ(Sel().SelEnd, 1997);
  EXPECT_EQ(LabelText("SampleRateLabel"), "44100 Hz");
  EXPECT_EQ(LabelText("SelEndLabel"), "0.0453 s");

  Click("HalveSRButton");
  Click("HalveSRButton");
  EXPECT_EQ(form->View().ViewEnd, 250);
  EXPECT_EQ(Sel().SelEnd, 498);
  EXPECT_EQ(LabelText("SampleRateLabel"), "11025 Hz");
}

TEST_F(WaveDataWindow, AButtonForTheFormatAtHandStillSelectsAll) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 300))});
  Click("LeftCheckBox");
  form->View().Sel.SelStart = 5;
  form->View().Sel.SelEnd = 9;
  const std::vector<uint8_t> before = Image();
  Click("StereoButton");
  Click("bits16Button");
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(Sel().SelStart, 0);
  EXPECT_EQ(Sel().SelEnd, 299);
  EXPECT_TRUE(Checked("LeftCheckBox"));
  EXPECT_TRUE(Checked("RightCheckBox"));
  EXPECT_EQ(Caption(), "Velorin II - s.wav");
}

TEST_F(WaveDataWindow, ResolutionAndChannelButtonsShowTheNewFormat) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 300))});
  Click("bits8Button");
  EXPECT_EQ(LabelText("AmpResLabel"), "8 bits");
  Click("MonoButton");
  EXPECT_EQ(LabelText("NumChannelsLabel"), "1");
  Click("StereoButton");
  Click("bits16Button");
  EXPECT_EQ(LabelText("AmpResLabel"), "16 bits");
  EXPECT_EQ(LabelText("NumChannelsLabel"), "2");
  EXPECT_TRUE(Enabled("RightCheckBox"));
  EXPECT_EQ(form->Wave().SampleCount(), 300u);
}

TEST_F(WaveDataWindow, CDFormatConvertsOrExplainsWhyNot) {
  std::vector<uint8_t> bytes(100, 200);
  WriteBytes(dir.File("m.wav"), CanonicalWave(1, 22050, 8, bytes));
  Start({Path("m.wav")});
  Click("CDFormatButton");
  EXPECT_EQ(LabelText("SampleRateLabel"), "44100 Hz");
  EXPECT_EQ(LabelText("AmpResLabel"), "16 bits");
  EXPECT_EQ(LabelText("NumChannelsLabel"), "2");
  EXPECT_EQ(Sel().SelEnd, 197);
  EXPECT_EQ(form->View().ViewEnd, 198);
  EXPECT_TRUE(prompts.Shown().empty());

  WriteStereoWave("dat.wav", 100, 48000);
  form->OpenWave(dir.File("dat.wav"));
  form->View().Sel.SelStart = 3;
  const std::vector<uint8_t> before = Image();
  Click("CDFormatButton");
  EXPECT_EQ(prompts.Texts(PromptKind::kInformation),
            QStringList{"Incompatible samplerate; use SoundRec to convert manually to 44 kHz 16 bit stereo PCM wave."});
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(Sel().SelStart, 3);
  EXPECT_EQ(LabelText("SampleRateLabel"), "48000 Hz");
}

}  // namespace
