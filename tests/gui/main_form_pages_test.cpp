// Each page's controls reach the engine command of their name; without a document none of them
// does anything.

#include <QApplication>
#include <QSpinBox>
#include <QTabWidget>

#include "main_form_fixture.h"
#include "processing/amplitude_tools.h"
#include "processing/format_commands.h"

namespace {

using PagesTest = MainFormTest;

TEST_F(PagesTest, CommandsOnTheDocumentDoNothingWithoutOne) {
  Start();
  form->View().Sel = {5, 9, true, true};
  for (int page = 0; page < Find<QTabWidget>("MainPageControl")->count(); ++page) {
    Find<QTabWidget>("MainPageControl")->setCurrentIndex(page);
    for (const char* control :
         {"SaveBitBtn", "ZoomBitBtn", "BitBtn1", "AllButton", "DoubleSRButton", "HalveSRButton", "floatButton",
          "bits24Button", "bits16Button", "bits8Button", "StereoButton", "MonoButton", "CDFormatButton", "MuteButton", "NormalizeButton",
          "Button1", "FadeInButton", "FadeOutButton", "HanningButton", "InvertButton", "ReverseButton",
          "ReloadButton", "SelAllButton", "AddNoiseButton", "RemoveNoiseButton", "SignalGeneratorButton",
          "DelayButton", "TapDelayButton", "EchoRepeatButton", "StereoExpandButton", "CutButton", "CopyButton",
          "PasteButton", "DeleteButton", "CropButton", "InsertSilenceButton"}) {
      Click(control);
    }
  }
  QTest::mouseClick(Find<QWidget>("LPaintBox"), Qt::LeftButton, {}, QPoint(300, 40));
  QTest::mouseClick(Find<QWidget>("RPaintBox"), Qt::RightButton, {}, QPoint(200, 40));

  EXPECT_TRUE(prompts.Shown().empty());
  for (QWidget* window : QApplication::topLevelWidgets()) EXPECT_TRUE(window == form.get() || window->isHidden());
  EXPECT_FALSE(form->Wave().Loaded());
  EXPECT_EQ(Caption(), "Velorin II");
  EXPECT_EQ(std::tie(form->View().ViewStart, form->View().ViewEnd), std::make_tuple(0, 0));
  EXPECT_EQ(std::tie(form->View().Sel.SelStart, form->View().Sel.SelEnd), std::make_tuple(5, 9));
  for (const char* label : {"SelStartLabel", "LengthLabel"}) EXPECT_EQ(LabelText(label), "-") << label;
}

// The left channel alone, over a stretch inside the sound, with the level selector away from its
// default: a control wired to the wrong routine, channel or level changes other samples.
TEST_F(PagesTest, AmplitudeAndEffectsButtonsRunTheirRoutine) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 500))});
  Click("RightCheckBox");
  form->View().Sel.SelStart = 37;
  form->View().Sel.SelEnd = 411;
  Find<QSpinBox>("NormalizeUpDown")->setValue(73);
  const auto window = [](WindowKind kind) {
    return [kind](Session& s, Progress& p) { ApplyWindow(s.Wave, s.View.Sel, p, kind); };
  };
  ExpectWired({
      {"InvertButton", window(WindowKind::Invert)},
      {"ReverseButton", [](Session& s, Progress& p) { ReverseSelection(s.Wave, s.View.Sel, p); }},
      {"FadeInButton", window(WindowKind::FadeIn)},
      {"FadeOutButton", window(WindowKind::FadeOut)},
      {"HanningButton", window(WindowKind::Hanning)},
      {"Button1", [](Session& s, Progress& p) { RemoveDCOffset(s.Wave, s.View.Sel, p); }},
      {"NormalizeButton", [](Session& s, Progress& p) { NormalizeSelection(s.Wave, s.View.Sel, p, 73); }},
      {"MuteButton", [](Session& s, Progress& p) { MuteSelection(s.Wave, s.View.Sel, p); }},
  });
}

TEST_F(PagesTest, WaveDataButtonsRunTheirConversion) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 1000, 22050))});
  form->View() = {{20, 30, false, true}, 10, 501, true, true};
  const auto convert = [](FormatConversion conversion) {
    return [conversion](Session& s, Progress&) { ConvertFormat(s, conversion); };
  };
  ExpectWired({
      {"DoubleSRButton", convert(FormatConversion::DoubleRate)},
      {"HalveSRButton", convert(FormatConversion::HalveRate)},
      {"bits8Button", convert(FormatConversion::To8Bit)},
      {"MonoButton", convert(FormatConversion::ToMono)},
      {"StereoButton", convert(FormatConversion::ToStereo)},
      {"bits16Button", convert(FormatConversion::To16Bit)},
      {"bits24Button", convert(FormatConversion::To24Bit)},
      {"floatButton", convert(FormatConversion::ToFloat)},
      {"bits8Button", convert(FormatConversion::To8Bit)},
      {"HalveSRButton", convert(FormatConversion::HalveRate)},
      {"CDFormatButton", [](Session& s, Progress&) { ConvertToCDFormat(s); }},
  });
  for (const auto& [button, label] : {std::pair("floatButton", "32 bits float"), std::pair("bits24Button", "24 bits")}) {
    Click(button);
    EXPECT_EQ(LabelText("AmpResLabel"), label);
  }
}

TEST_F(PagesTest, ViewButtonsMoveTheView) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 1000))});
  Click("RightCheckBox");
  form->View().Sel.SelStart = 100;
  form->View().Sel.SelEnd = 200;
  ExpectWired({
      {"ZoomBitBtn", [](Session& s, Progress&) { ZoomToSelection(s.View); }},
      {"BitBtn1", [](Session& s, Progress&) { ZoomOut(s.View, s.Wave); }},
      {"BitBtn1", [](Session& s, Progress&) { ZoomOut(s.View, s.Wave); }},
      {"AllButton",
       [](Session& s, Progress&) {
         SelectAll(s.View, s.Wave);
         ZoomToSelection(s.View);
       }},
  });
}

}  // namespace
