#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <filesystem>
#include <map>

#include "gui/widgets/gauge.h"
#include "gui/widgets/time_ruler_widget.h"
#include "gui/widgets/wave_strip_widget.h"

#include "main_form_fixture.h"

namespace {

using StartTest = MainFormTest;

TEST_F(StartTest, ExistingFileOpensWholeAndSelected) {
  const std::string file = WriteStereoWave("tone.wav", 22050);
  Start({QString::fromStdString(file)});

  EXPECT_EQ(Caption(), "Velorin II - tone.wav");
  EXPECT_EQ(LabelText("SampleRateLabel"), "44100 Hz");
  EXPECT_EQ(LabelText("AmpResLabel"), "16 bits");
  EXPECT_EQ(LabelText("NumChannelsLabel"), "2");
  EXPECT_EQ(LabelText("LengthLabel"), "0.5 s");
  EXPECT_EQ(LabelText("SelStartLabel"), "0 s");
  // 22049 / 44100 = 0.49998, shown rounded to four decimals
  EXPECT_EQ(LabelText("SelEndLabel"), "0.5 s");
  EXPECT_TRUE(Enabled("PlayBitBtn"));
  EXPECT_TRUE(Enabled("SelAllButton"));
  EXPECT_FALSE(Enabled("StopBitBtn"));
  EXPECT_TRUE(Enabled("LeftCheckBox") && Checked("LeftCheckBox"));
  EXPECT_TRUE(Enabled("RightCheckBox") && Checked("RightCheckBox"));
  EXPECT_EQ(form->View().ViewStart, 0);
  EXPECT_EQ(form->View().ViewEnd, 22049);
  EXPECT_EQ(form->Wave().FileName(), file);
  EXPECT_TRUE(prompts.Shown().empty());
}

TEST_F(StartTest, MissingFileGivesAnEmptyDocumentAndWritesNothing) {
  Start({Path("missing.wav")});

  EXPECT_EQ(Caption(), "Velorin II - missing.wav");
  EXPECT_EQ(form->Wave().SampleCount(), 0u);
  EXPECT_EQ(LabelText("LengthLabel"), "0 s");
  EXPECT_EQ(LabelText("SelStartLabel"), "0 s");
  EXPECT_EQ(LabelText("SelEndLabel"), "0 s");
  EXPECT_EQ(LabelText("NumChannelsLabel"), "1");
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing.wav")));
  EXPECT_TRUE(Enabled("PlayBitBtn"));
}

TEST_F(StartTest, BadFileIsReportedAndTheWindowStartsEmpty) {
  WriteBytes(dir.File("short.wav"), {'R', 'I', 'F', 'F'});
  Start({Path("short.wav"), Path("ignored.wav")});

  ASSERT_EQ(prompts.Texts(PromptKind::kError).size(), 1);
  EXPECT_TRUE(prompts.Texts(PromptKind::kError)[0].contains("short.wav"));
  EXPECT_EQ(Caption(), "Velorin II");
  EXPECT_FALSE(form->Wave().Loaded());
  EXPECT_EQ(LabelText("LengthLabel"), "-");
  EXPECT_FALSE(Enabled("PlayBitBtn"));
}

TEST_F(StartTest, StateAtStartWithoutDocument) {
  Start();

  EXPECT_EQ(Caption(), "Velorin II");
  EXPECT_EQ(form->size(), QSize(792, 563));
  EXPECT_EQ(form->minimumSize(), QSize(792, 563));
  EXPECT_FALSE(form->Recording());
  EXPECT_EQ(form->RecordSeconds(), 0);
  EXPECT_EQ(form->ProgramDir(), dir.Path().string());
  EXPECT_EQ(form->ScratchFileName(), dir.File("velorin_temp.wav"));

  EXPECT_FALSE(Enabled("PlayBitBtn"));
  EXPECT_FALSE(Enabled("StopBitBtn"));
  EXPECT_FALSE(Enabled("SelAllButton"));
  EXPECT_TRUE(Enabled("RecBitBtn"));
  EXPECT_TRUE(Enabled("ReloadButton"));
  EXPECT_TRUE(Enabled("MainPageControl"));
  for (const char* box : {"LeftCheckBox", "RightCheckBox"}) {
    EXPECT_TRUE(Checked(box)) << box;
    EXPECT_FALSE(Enabled(box)) << box;
  }
  EXPECT_FALSE(Checked("SpectrumCheckBox"));
  for (const char* label : {"SampleRateLabel", "AmpResLabel", "NumChannelsLabel", "LengthLabel",
                            "SelStartLabel", "SelEndLabel"}) {
    EXPECT_EQ(LabelText(label), "-") << label;
  }

  QSpinBox* level = Find<QSpinBox>("NormalizeUpDown");
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->value(), 100);
  EXPECT_EQ(level->minimum(), 0);
  EXPECT_EQ(level->maximum(), 100);
  EXPECT_EQ(LabelText("NormalizeLabel"), "100 %");
  EXPECT_EQ(Find<QLineEdit>("c0Edit")->text(), "1");
  EXPECT_EQ(Find<QLineEdit>("c1Edit")->text(), "0");
  EXPECT_EQ(Find<QLineEdit>("d1Edit")->text(), "0");

  EXPECT_EQ(Find<TGauge>("Gauge")->value(), 0);
  QTimer* play = Find<QTimer>("PlayTimer");
  QTimer* record = Find<QTimer>("RecordTimer");
  ASSERT_TRUE(play && record);
  EXPECT_FALSE(play->isActive());
  EXPECT_FALSE(record->isActive());
  EXPECT_EQ(record->interval(), 1000);
}

TEST_F(StartTest, NumbersUseAPointWhateverTheLocale) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  Start();
  EXPECT_EQ(QLocale().decimalPoint(), ".");
  EXPECT_EQ(QLocale().toString(2.5), "2.5");
}

TEST_F(StartTest, UnwritableProgramFolderMovesTheFilesToTheUserDataFolder) {
  const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", dir.File("data").c_str());
  // A folder that does not exist cannot be written, not even by root.
  form = std::make_unique<TMainForm>(prompts, QStringList{Path("plain/velorin")}, soundCard.Card());
  qputenv("XDG_DATA_HOME", savedDataHome);

  EXPECT_EQ(form->ProgramDir(), dir.File("data/Velorin II"));
  EXPECT_TRUE(std::filesystem::is_directory(form->ProgramDir()));
}

// Each group with its page and its controls, in the order of the row: a control that lands on
// the wrong page, in the wrong group or out of order is found where the user would not look.
struct PageGroup {
  int page;
  const char* group;
  QStringList controls;
};

const PageGroup kPageGroups[] = {
    {0, "Open/save", {"NewBitBtn", "OpenBitBtn", "SaveBitBtn"}},
    {0, "Exit", {"ExitButton"}},
    {1, "Zoom", {"ZoomBitBtn", "BitBtn1", "AllButton"}},
    {1, "Windows", {"SpectrumCheckBox"}},
    {2, "Clipboard", {"CutButton", "CopyButton", "PasteButton"}},
    {2, "Length", {"DeleteButton", "CropButton", "InsertSilenceButton"}},
    {3, "Convert samplerate", {"DoubleSRButton", "HalveSRButton"}},
    {3, "Convert amplitude resolution", {"floatButton", "bits24Button", "bits16Button", "bits8Button"}},
    {3, "Convert to stereo/mono", {"StereoButton", "MonoButton"}},
    {3, "Special", {"CDFormatButton"}},
    {4, "Volume", {"MuteButton", "NormalizeButton", "NormalizeUpDown", "NormalizeLabel", "Button1"}},
    {4, "Windows", {"FadeInButton", "FadeOutButton", "InvertButton", "HanningButton"}},
    {5, "RC filters", {"LowPassButton", "HighPassButton"}},
    // The two file buttons are stacked in one cell at the end of the row.
    {5, "Custom IIR", {"ApplyIIRButton", "c0Edit", "c1Edit", "d1Edit", "OpenIIRButton", "SaveIIRButton"}},
    {6, "Noise options", {"AddNoiseButton", "RemoveNoiseButton"}},
    {6, "Signals", {"SignalGeneratorButton"}},
    {7, "Delay effects", {"DelayButton", "TapDelayButton", "EchoRepeatButton", "StereoExpandButton"}},
    {7, "Misc", {"ReverseButton", "WallButton"}},
};

TEST_F(StartTest, PagesHoldTheirGroupsAndControlsInOrder) {
  Start();
  QTabWidget* pages = Find<QTabWidget>("MainPageControl");
  ASSERT_NE(pages, nullptr);
  const QStringList captions = {"File", "View", "Edit", "Wave data", "Amplitude tools",
                                "Linear filters", "Noise and signals", "Effects"};
  ASSERT_EQ(pages->count(), 8);
  EXPECT_EQ(pages->currentIndex(), 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(pages->tabText(i), captions[i]);

  for (const PageGroup& expected : kPageGroups) {
    SCOPED_TRACE(expected.group);
    pages->setCurrentIndex(expected.page);  // a page is laid out once shown
    QCoreApplication::processEvents();
    int previous = -1;
    for (const QString& name : expected.controls) {
      QWidget* control = Find<QWidget>(name.toLatin1().constData());
      ASSERT_NE(control, nullptr);
      auto* group = qobject_cast<QGroupBox*>(control->parentWidget());
      ASSERT_NE(group, nullptr);
      EXPECT_EQ(group->title(), expected.group);
      EXPECT_EQ(group->parentWidget(), pages->widget(expected.page));
      // Only the Edit page waits for a sound.
      EXPECT_EQ(control->isEnabled(), expected.page != 2);
      // At the window's narrowest every button lies whole inside its group, its caption whole in it.
      if (auto* button = qobject_cast<QPushButton*>(control)) {
        EXPECT_TRUE(group->contentsRect().contains(button->geometry())) << name.toStdString();
        const int caption = button->fontMetrics().horizontalAdvance(button->text().remove('&'));
        EXPECT_GE(button->width(), caption + 8) << name.toStdString();
      }
      // Stacked controls sit in a nested layout and have no index of their own in the row.
      const int at = group->layout()->indexOf(control);
      if (at >= 0) {
        EXPECT_GT(at, previous) << name.toStdString();
        previous = at;
      }
    }
  }
  // Its hint is kept but, unlike every other, never shown.
  EXPECT_TRUE(Find<QWidget>("DoubleSRButton")->toolTip().isEmpty());
  EXPECT_FALSE(Find<QWidget>("DoubleSRButton")->property("hint").toString().isEmpty());
}

TEST_F(StartTest, ControlsBelowThePages) {
  Start();
  EXPECT_EQ(Find<QWidget>("TimeRuler")->geometry(), QRect(24, 114, 761, 12));
  EXPECT_EQ(Find<QWidget>("LPaintBox")->geometry(), QRect(24, 126, 761, 153));
  EXPECT_EQ(Find<QWidget>("RPaintBox")->geometry(), QRect(24, 279, 761, 153));
  EXPECT_EQ(Find<QWidget>("MainPageControl")->geometry(), QRect(8, 8, 777, 105));
  EXPECT_EQ(Find<QWidget>("Gauge")->geometry(), QRect(16, 434, 761, 17));
  EXPECT_EQ(LabelText("Label7"), "L");
  EXPECT_EQ(LabelText("Label8"), "R");
  EXPECT_EQ(LabelText("Label9"), "Velorin II");
  EXPECT_FALSE(LabelText("Label10").isEmpty());
  EXPECT_FALSE(LabelText("Label11").isEmpty());

  QPushButton* reload = Find<QPushButton>("ReloadButton");
  EXPECT_EQ(reload->size(), QSize(49, 17));
  EXPECT_EQ(reload->text(), "Reloa&d");
  EXPECT_EQ(reload->toolTip(), "Reload the wave file");
  // Beside the tabs, where nothing of the sound lies behind it.
  EXPECT_EQ(reload->parentWidget(), form->MainPageControl->cornerWidget());

  const struct {
    const char* group;
    const char* title;
    QStringList buttons;
  } groups[] = {
      {"SoundControlGroupBox", "Sound control", {"&Rec", "&Play", "Sel.", "&Stop"}},
      {"SelectionGroupBox", "Selection", {"&Left", "Righ&t", "S&elect all"}},
  };
  for (const auto& expected : groups) {
    auto* group = Find<QGroupBox>(expected.group);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), expected.title);
    QStringList texts;
    for (QAbstractButton* button : group->findChildren<QAbstractButton*>()) texts << button->text();
    EXPECT_EQ(texts, expected.buttons);
  }
  EXPECT_EQ(Find<QGroupBox>("WaveInfoGroupBox")->title(), "Wave information");
  for (const char* name : {"RecBitBtn", "PlayBitBtn", "PlaySelBitBtn", "StopBitBtn"}) {
    auto* button = Find<QPushButton>(name);
    EXPECT_EQ(button->size(), QSize(53, 57)) << name;
    EXPECT_FALSE(button->icon().isNull()) << name;
  }
  // With a float sound's values, the longest, every label of the information groups shows whole.
  Start({QString::fromStdString(WriteStereoWave("s.wav", 1000))});
  Click("floatButton");
  for (const char* group : {"WaveInfoGroupBox", "SelectionGroupBox"}) {
    for (QLabel* label : Find<QGroupBox>(group)->findChildren<QLabel*>())
      EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << label->text().toStdString();
  }
}

// A scratch file left by a recording that did not finish, its header behind the data as after a
// power cut, is offered at start with every whole frame it holds; declined, the file named at
// start opens as usual.
TEST_F(StartTest, AnInterruptedRecordingIsOfferedWithAllItsWholeFrames) {
  for (const bool yes : {true, false}) {
    SCOPED_TRACE(yes);
    std::vector<uint8_t> image = CanonicalWave(2, 22050, 16, std::vector<uint8_t>(33075 * 4 + 3, 1));
    PutU32(image, 40, 0);
    WriteBytes(dir.File("velorin_temp.wav"), image);
    const std::string other = WriteStereoWave("other.wav", 100);
    yes ? prompts.AnswerYes() : prompts.AnswerNo();
    Start({QString::fromStdString(other)});
    EXPECT_EQ(prompts.Texts(PromptKind::kYesNo), QStringList{"A recording was interrupted: 1.5 s were kept. Open it?"});
    EXPECT_EQ(form->Wave().SampleCount(), yes ? 33075u : 100u);
    EXPECT_EQ(form->Wave().FileName(), yes ? form->ScratchFileName() : other);
    prompts.ClearShown();
  }
}

// Alt and a letter shared by two visible controls only moves the focus between them.
TEST_F(StartTest, NoTwoVisibleControlsShareAnAltLetter) {
  Start();
  for (int page = 0; page < form->MainPageControl->count(); ++page) {
    form->MainPageControl->setCurrentIndex(page);
    std::map<QChar, QStringList> owners;
    for (QAbstractButton* control : form->findChildren<QAbstractButton*>()) {
      const qsizetype at = control->text().indexOf(u'&');
      if (control->isVisibleTo(form.get()) && at >= 0) owners[control->text().at(at + 1).toUpper()] << control->objectName();
    }
    for (const auto& [letter, names] : owners) EXPECT_EQ(names.size(), 1) << names.join(' ').toStdString();
  }
}

// The window grows from its smallest size, today's, and the ruler and strips take the room.
TEST_F(StartTest, TheStripsAndRulerTakeTheRoomAndClicksFollowTheirWidth) {
  Start({QString::fromStdString(WriteStereoWave("a.wav", 2000))});
  for (const auto& [size, right] : {std::pair{QSize(1200, 800), QRect(24, 397, 1169, 272)},
                                    std::pair{QSize(792, 563), QRect(24, 279, 761, 153)}}) {
    form->resize(size);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->RPaintBox->geometry(), right);
    EXPECT_EQ(form->TimeRuler->width(), right.width());
    EXPECT_EQ(form->height() - Find<QGroupBox>("SelectionGroupBox")->geometry().bottom(), 11);
    // The last column is the view's last frame, however wide the strip.
    QTest::mouseClick(form->RPaintBox, Qt::RightButton, {}, QPoint(right.width() - 1, 20));
    EXPECT_EQ(form->View().Sel.SelEnd, 1999);
  }
}

}  // namespace
