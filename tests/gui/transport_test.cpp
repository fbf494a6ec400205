// The sound control: Play runs the gauge over the sound and returns to idle on its own or at Stop;
// Rec records what the wave input delivers into the scratch file, which Stop opens; a failing
// device or scratch file leaves the transport where the user can go on.

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <signal.h>
#include <sys/resource.h>

#include <array>
#include <filesystem>
#include <initializer_list>

#include "gui/widgets/level_meter_widget.h"
#include "gui/dialogs/rec_options_form.h"
#include "audio/recording_file.h"
#include "gui/dialogs/echo_repeat_form.h"
#include "gui/dialogs/loudness_form.h"
#include "gui/dialogs/resample_form.h"
#include "gui/dialogs/signal_generator_form.h"
#include "gui/dialogs/wall_filter_form.h"
#include "main_form_fixture.h"
#include "gui/widgets/wave_strip_widget.h"
#include "wave/system_sound_player.h"

namespace {

namespace fs = std::filesystem;

// Remembers what it was handed instead of playing it.
class FakeSoundPlayer final : public ISystemSoundPlayer {
 public:
  bool PlayAsync(const uint8_t* image, size_t size, int64_t first, int64_t count) override {
    range = {first, count};
    return played.push_back({image, size}), true;
  }
  bool StopAll() override { return ++stops, true; }
  // Its clock is the test's: the frame it says is heard.
  int64_t PlayingFrame() const override { return heard; }

  std::vector<std::pair<const uint8_t*, size_t>> played;
  std::pair<int64_t, int64_t> range;
  int stops = 0;
  int64_t heard = -1;
};

// The enabled controls and running timers of each state, as Transport() lists them.
const std::string kIdle = "RecBitBtn PlayBitBtn MainPageControl ReloadButton";
const std::string kPlaying = "RecBitBtn StopBitBtn PlayTimer";
const std::string kPlayingUntimed = "RecBitBtn StopBitBtn";
const std::string kRecording = "StopBitBtn MainPageControl ReloadButton RecordTimer";

class TransportWindow : public MainFormTest {
 protected:
  TransportWindow() { soundPlayer = &player; }
  // The window's document refers to the player.
  ~TransportWindow() override { form.reset(); }

  std::string Transport() const {
    std::string on;
    for (const char* name : {"RecBitBtn", "PlayBitBtn", "StopBitBtn", "MainPageControl", "ReloadButton"})
      if (Enabled(name)) on += on.empty() ? name : std::string(" ") + name;
    for (const char* name : {"PlayTimer", "RecordTimer"})
      if (Find<QTimer>(name)->isActive()) on += std::string(" ") + name;
    return on;
  }

  // Rec, the given choices, OK; a changed sound is discarded first.
  void Record(const std::vector<const char*>& choices = {}) {
    if (form->Document().Changes.Changed()) prompts.AnswerSaveQuestion(SaveChoice::Discard);
    Click("RecBitBtn");
    for (const char* choice : choices) Click(choice, form->RecOptionsForm);
    Click("OKButton", form->RecOptionsForm);
  }

  FakeSoundPlayer player;
};

TEST_F(TransportWindow, PlayRunsTheGaugeInTwentyStepsOverTheSoundUnlessStopped) {
  // Frames at 8000 Hz, the interval they give, and the ticks after which Stop is pressed
  // (-1: none, the twentieth tick ends playback).
  for (const auto& [frames, interval, stopAfter] : std::vector<std::tuple<int, int, int>>{
           {28000, 175, -1},  // 3.5 s
           {28000, 175, 6},
           {4799, 29, -1},  // 0.599875 s: 29.99 ms, truncated
           {80, 0, 0},      // 0.01 s: no timer, playing until Stop
       }) {
    SCOPED_TRACE(testing::Message() << frames << " frames, Stop after " << stopAfter);
    Start({QString::fromStdString(WriteStereoWave("s.wav", frames, 8000))});
    player = {};
    Click("PlayBitBtn");
    EXPECT_EQ(form->PlayTimer->interval(), interval);
    const std::pair<const uint8_t*, size_t> image{form->Wave().Image().data(), form->Wave().Image().size()};
    EXPECT_EQ(player.played, std::vector({image}));
    for (int tick = 1; tick <= (stopAfter < 0 ? 19 : stopAfter); ++tick) {
      form->PlayTimerTimer();
      EXPECT_EQ(form->Gauge->value(), tick * 5);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(Transport(), interval > 0 ? kPlaying : kPlayingUntimed);

    stopAfter < 0 ? form->PlayTimerTimer() : Click("StopBitBtn");
    EXPECT_EQ(player.stops, stopAfter < 0 ? 0 : 1);  // the end is the gauge's, not the player's
    EXPECT_EQ(Transport(), kIdle);
    EXPECT_EQ(form->Gauge->value(), 0);
    EXPECT_EQ(Caption(), "Velorin II - s.wav");
    EXPECT_FALSE(fs::exists(form->ScratchFileName()));
  }
}

// While a sound plays, both strips show a line across them in the highlight colour at the frame
// the player says is heard; it goes when the sound stops.
TEST_F(TransportWindow, ThePlayCursorFollowsTheFrameBeingHeard) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 761, 8000))});  // a frame a column
  const QColor highlight = form->palette().color(QPalette::Highlight);
  const auto highlighted = [&](const char* strip, int x) {
    const QImage picture = Find<QWidget>(strip)->grab().toImage();
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) count += QColor(picture.pixel(x, y)) == highlight;
    return count;
  };
  Click("PlayBitBtn");
  EXPECT_TRUE(form->CursorTimer->isActive());
  // A frame is believed only once the time for it has passed.
  QThread::msleep(70);
  for (int64_t frame : {300, 500}) {
    player.heard = frame;
    form->CursorTimerTimer();
    for (const char* strip : {"LPaintBox", "RPaintBox"}) {
      EXPECT_EQ(highlighted(strip, static_cast<int>(frame)), 153) << strip << " at " << frame;
      EXPECT_EQ(highlighted(strip, 300 + 500 - static_cast<int>(frame)), 0) << strip << " at " << frame;
    }
  }
  Click("StopBitBtn");
  EXPECT_FALSE(form->CursorTimer->isActive());
  EXPECT_EQ(highlighted("LPaintBox", 500), 0);
}

// Play selection (Shift+Space) hands the player the selected frames and runs the gauge over them.
TEST_F(TransportWindow, PlaySelectionPlaysTheSelectedFramesOnly) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 28000, 8000))});
  form->View().Sel.SelStart = 8000;
  form->View().Sel.SelEnd = 15999;
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTest::keyClick(form.get(), Qt::Key_Space, Qt::ShiftModifier);
  EXPECT_EQ(player.range, std::make_pair(int64_t{8000}, int64_t{8000}));
  EXPECT_EQ(form->PlayTimer->interval(), 50);
  EXPECT_EQ(Transport(), kPlaying);
  QTest::keyClick(form.get(), Qt::Key_Space, Qt::ShiftModifier);
  EXPECT_EQ(Transport(), kIdle);
  EXPECT_EQ(player.stops, 1);
}

TEST_F(TransportWindow, WhatTheInputDeliversBetweenOKAndStopBecomesTheDocument) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 100, 8000))});
  // Non-negative samples, so that the trigger keeps the first buffer.
  std::vector<uint8_t> sound(1200);
  for (size_t i = 0; i < sound.size(); ++i) sound[i] = static_cast<uint8_t>(i % 2 ? i % 100 : i * 7);
  // The choices clicked (each recording keeps the earlier ones), the device's answer to Open,
  // the format recorded, and what the user is told after Stop.
  for (const auto& [choices, openResult, rate, channels, bits, told] :
       std::vector<std::tuple<std::vector<const char*>, int, uint32_t, uint16_t, uint16_t, const char*>>{
           {{}, 0, 44100, 2, 16, nullptr},
           {{"sr22RadioButton", "r8RadioButton", "MonoRadioButton"}, 0, 22050, 1, 8, nullptr},
           {{"sr11RadioButton"}, 0, 11025, 1, 8, nullptr},
           {{"sr22RadioButton", "r24RadioButton", "StereoRadioButton"}, 0, 22050, 2, 24, nullptr},
           {{"sr44RadioButton", "r16RadioButton", "StereoRadioButton"}, 5, 44100, 2, 16, "test error 5"},
       }) {
    SCOPED_TRACE(testing::Message() << rate << " Hz " << bits << " bits " << channels << " open " << openResult);
    prompts.ClearShown();
    waveInput.OpenResult = openResult;
    const QString before = Caption();
    Record(choices);
    EXPECT_FALSE(form->RecOptionsForm->isVisible());
    EXPECT_EQ(Transport(), kRecording);
    EXPECT_EQ(Caption(), before);
    for (int second = 1; second <= 2; ++second) {
      form->RecordTimerTimer();
      EXPECT_EQ(Caption(), QString("Recording.. time: %1 S").arg(second));
    }
    for (size_t at = 0; at < sound.size(); at += 400) {
      waveInput.Fill({sound.begin() + at, sound.begin() + at + 400});
      QCoreApplication::processEvents();
    }
    Click("StopBitBtn");

    EXPECT_EQ(Transport(), kIdle);
    EXPECT_FALSE(form->Recording());
    EXPECT_EQ(form->RecordSeconds(), 0);
    EXPECT_FALSE(waveInput.IsOpen());
    EXPECT_EQ(form->Wave().Image(), CanonicalWave(channels, rate, bits, openResult ? std::vector<uint8_t>{} : sound));
    EXPECT_EQ(ReadBytes(form->ScratchFileName()), form->Wave().Image());
    EXPECT_EQ(Caption(), "*Velorin II - velorin_temp.wav");  // a recording is unsaved work
    const QStringList information = prompts.Texts(PromptKind::kInformation);
    EXPECT_EQ(information.size(), told ? 1 : 0);
    for (const QString& text : information) EXPECT_TRUE(told && text.contains(told)) << text.toStdString();
  }

  // Exit while a recording writes the scratch file leaves it in place.
  waveInput.OpenResult = 0;
  Record();
  // A recording is unsaved work: Exit asks about it instead.
  form->Document().Changes.Changed() ? prompts.AnswerSaveQuestion(SaveChoice::Discard) : prompts.AnswerYes();
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(form->Recording());
  EXPECT_TRUE(fs::exists(form->ScratchFileName()));
}

// While recording, the meter shows the input's levels and lights a channel's clip light at full
// scale, until it is clicked; the next recording starts with the lights out.
TEST_F(TransportWindow, TheMeterLightsAChannelThatReachesFullScaleUntilClicked) {
  Start();
  const auto light = [&](int channel) {
    const QImage picture = form->LevelMeterBox->grab().toImage();
    return QColor(picture.pixel(picture.width() - 6, channel * picture.height() / 2 + 2));
  };
  const QColor lit(255, 0, 0);
  Record();
  EXPECT_TRUE(form->LevelMeterBox->isVisible());
  EXPECT_FALSE(form->Label9->isVisible());
  waveInput.Fill({0x00, 0x80, 0x00, 0x10});  // left -32768, right 4096
  QTest::qWait(120);
  EXPECT_EQ(light(0), lit);
  EXPECT_NE(light(1), lit);
  QTest::mouseClick(form->LevelMeterBox, Qt::LeftButton);
  EXPECT_NE(light(0), lit);
  waveInput.Fill({0x00, 0x10, 0xFF, 0x7F});
  Click("StopBitBtn");
  EXPECT_EQ(light(1), lit);  // the last levels stay in view
  Record();
  EXPECT_NE(light(1), lit);
  Click("StopBitBtn");
}

// A scratch file that cannot grow ends the recording at once; the window stops, opens what it
// holds and says why in the error box.
TEST_F(TransportWindow, AWriteErrorEndsTheRecordingAndStopSaysWhy) {
  Start();
  const std::string scratch = form->ScratchFileName();
  const std::vector<uint8_t> sound(1200, 7);
  Record();
  // A write past the limit fails with EFBIG, as on a full disk, rather than ending the process.
  // The limit cuts a frame in two.
  rlimit before;
  getrlimit(RLIMIT_FSIZE, &before);
  const auto xfsz = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, std::array{rlimit{44 + 1000 + 2, before.rlim_max}}.data());
  for (size_t at = 0; at < sound.size(); at += 400) {
    waveInput.Fill({sound.begin() + at, sound.begin() + at + 400});
    QCoreApplication::processEvents();
  }
  setrlimit(RLIMIT_FSIZE, &before);
  signal(SIGXFSZ, xfsz);
  EXPECT_FALSE(waveInput.IsOpen());
  // The next tick of the title's clock stops it as Stop would.
  form->RecordTimerTimer();
  EXPECT_EQ(Transport(), kIdle);
  EXPECT_EQ(prompts.Texts(PromptKind::kError), QStringList{QString::fromStdString("Cannot write file " + scratch + " (File too large)")});
  EXPECT_EQ(form->Wave().Image(), CanonicalWave(2, 44100, 16, {sound.begin(), sound.begin() + 1000}));

  // Another recording holds the scratch file: OK refuses at once, leaving the file as it is, and
  // Exit leaves it too.
  prompts.ClearShown();
  const uint8_t header[44] = {'o', 't', 'h', 'e', 'r'};
  const auto other = RecordingFile::Create(scratch, header);
  Record();
  EXPECT_EQ(prompts.Texts(PromptKind::kError), QStringList{QString::fromStdString("Another recording is using " + scratch)});
  EXPECT_FALSE(form->Recording());
  EXPECT_FALSE(waveInput.IsOpen());
  // A recording is unsaved work: Exit asks about it instead.
  form->Document().Changes.Changed() ? prompts.AnswerSaveQuestion(SaveChoice::Discard) : prompts.AnswerYes();
  EXPECT_TRUE(form->close());
  EXPECT_EQ(ReadBytes(scratch), std::vector<uint8_t>(header, header + 44));
}

TEST_F(TransportWindow, AScratchFileThatCannotBeMadeKeepsTheDialogOpenAndRecordsNothing) {
  Start();
  fs::create_directory(form->ScratchFileName());
  Record();
  const QStringList errors = prompts.Texts(PromptKind::kError);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith(QString::fromStdString("Cannot create file " + form->ScratchFileName())));
  EXPECT_TRUE(form->RecOptionsForm->isVisible());
  EXPECT_FALSE(form->Recording());
  EXPECT_FALSE(waveInput.IsOpen());
  EXPECT_EQ(Transport(), "RecBitBtn StopBitBtn MainPageControl ReloadButton");

  Click("StopBitBtn");
  EXPECT_EQ(Transport(), kIdle);
  // Stop enabled Play, but there is still nothing to play.
  Click("PlayBitBtn");
  EXPECT_EQ(Transport(), kIdle);
  EXPECT_TRUE(player.played.empty());
  EXPECT_EQ(Caption(), "Velorin II");
  EXPECT_EQ(prompts.Shown().size(), 1u);
}

// A dialog's OK would change the image the player or the recording reads.
TEST_F(TransportWindow, TheDialogsOKWaitsWhileASoundPlaysOrRecords) {
  Start({QString::fromStdString(WriteStereoWave("s.wav", 8000, 8000))});
  for (TToolForm* dialog : std::initializer_list<TToolForm*>{form->WallFilterForm, form->EchoRepeatForm, form->SignalGeneratorForm,
                                                                 form->LoudnessForm, form->ResampleForm}) {
    for (const bool recording : {false, true}) {
      SCOPED_TRACE(dialog->objectName().toStdString() + (recording ? " recording" : " playing"));
      dialog->ShowCentredOn(*form);
      recording ? Record() : Click("PlayBitBtn");
      EXPECT_FALSE(dialog->OKButton->isEnabled());
      Click("StopBitBtn");
      EXPECT_TRUE(dialog->OKButton->isEnabled());
    }
  }
  // Nothing but the questions about the recordings, which are unsaved work.
  EXPECT_EQ(prompts.Shown().size(), static_cast<size_t>(prompts.Texts(PromptKind::kSaveChanges).size()));
}

}  // namespace
