#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <cstring>
#include <filesystem>
#include <functional>
#include <tuple>

#include "main_form_fixture.h"

namespace {

namespace fs = std::filesystem;

// Every file in the folder, so a test can tell that a command created nothing.
std::vector<std::string> FilesIn(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.Path())) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

using NewCommandTest = MainFormTest;

TEST_F(NewCommandTest, CreatesTheFileAtOnceAndShowsIt) {
  Start();
  prompts.AnswerInput("2");
  prompts.ChooseSaveFile(Path("new.wav"));
  Click("NewBitBtn");

  ASSERT_EQ(prompts.Shown().size(), 2u);
  const ShownPrompt& input = prompts.Shown()[0];
  EXPECT_EQ(input.caption, "Length of wave");
  EXPECT_EQ(input.text, "Specify length of wave, in seconds:");
  EXPECT_EQ(input.proposal, "1");
  EXPECT_EQ(prompts.Shown()[1].text, "Wave files (*.wav)");

  const std::vector<uint8_t> bytes = ReadBytes(dir.File("new.wav"));
  EXPECT_EQ(bytes, CanonicalWave(1, 11025, 8, std::vector<uint8_t>(22050, 128)));
  EXPECT_EQ(Caption(), "Velorin II - new.wav");
  EXPECT_EQ(LabelText("SampleRateLabel"), "11025 Hz");
  EXPECT_EQ(LabelText("AmpResLabel"), "8 bits");
  EXPECT_EQ(LabelText("NumChannelsLabel"), "1");
  EXPECT_EQ(LabelText("LengthLabel"), "2 s");
  EXPECT_TRUE(Checked("LeftCheckBox"));
  EXPECT_FALSE(Enabled("LeftCheckBox"));
  EXPECT_FALSE(Checked("RightCheckBox"));
  EXPECT_FALSE(Enabled("RightCheckBox"));
  EXPECT_TRUE(Enabled("PlayBitBtn"));
  EXPECT_TRUE(Enabled("SelAllButton"));
}

TEST_F(NewCommandTest, ReplacesAnExistingFileAndTheOpenDocument) {
  const std::string file = WriteStereoWave("old.wav", 100);
  Start({QString::fromStdString(file)});
  prompts.AnswerInput("0.5");
  prompts.ChooseSaveFile(QString::fromStdString(file));
  Click("NewBitBtn");

  EXPECT_EQ(ReadBytes(file).size(), 44u + 5512u);  // 5512.5 frames round to even
  EXPECT_EQ(form->Wave().Channels(), 1);
  EXPECT_EQ(LabelText("LengthLabel"), "0.5 s");
  EXPECT_FALSE(Checked("RightCheckBox"));
}

TEST_F(NewCommandTest, RefusedLengthsCreateNothing) {
  Start();
  prompts.AnswerInput("0,5");
  Click("NewBitBtn");
  prompts.AnswerInput("-1");
  Click("NewBitBtn");
  prompts.AnswerInput("");
  Click("NewBitBtn");

  EXPECT_EQ(prompts.Texts(PromptKind::kError),
            QStringList({"'0,5' is not a valid floating point value",
                         "'' is not a valid floating point value"}));
  EXPECT_EQ(prompts.Texts(PromptKind::kInformation),
            QStringList({QString::fromStdString(NewWaveLengthRange())}));
  EXPECT_TRUE(prompts.Texts(PromptKind::kSaveFile).isEmpty());
  EXPECT_TRUE(FilesIn(dir).empty());
  EXPECT_EQ(Caption(), "Velorin II");
  EXPECT_FALSE(form->Wave().Loaded());
}

TEST_F(NewCommandTest, CancelledAtEitherStepChangesNothing) {
  const std::string file = WriteStereoWave("keep.wav", 100);
  Start({QString::fromStdString(file)});
  prompts.CancelInput();
  Click("NewBitBtn");
  prompts.AnswerInput("3");
  prompts.CancelSaveFile();
  Click("NewBitBtn");

  EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"keep.wav"});
  EXPECT_EQ(Caption(), "Velorin II - keep.wav");
  EXPECT_EQ(form->Wave().SampleCount(), 100u);
}

using OpenSaveTest = MainFormTest;

TEST_F(OpenSaveTest, OpenReplacesTheDocument) {
  Start();
  const std::string file = WriteStereoWave("tone.wav", 441);
  prompts.ChooseOpenFile(QString::fromStdString(file));
  Click("OpenBitBtn");
  EXPECT_EQ(prompts.Texts(PromptKind::kOpenFile), QStringList({"Wave files (*.wav)"}));
  EXPECT_EQ(Caption(), "Velorin II - tone.wav");
  EXPECT_EQ(LabelText("LengthLabel"), "0.01 s");
  EXPECT_EQ(LabelText("SelEndLabel"), "0.01 s");  // frame 440 of 44100 Hz
}

TEST_F(OpenSaveTest, BadFileKeepsThePreviousDocument) {
  const std::string file = WriteStereoWave("good.wav", 1000);
  Start({QString::fromStdString(file)});
  form->Wave().SetSample(10, true, 0.25);
  const double changed = form->Wave().GetSample(10, true);
  std::vector<uint8_t> bad = CanonicalWave(2, 44100, 12, std::vector<uint8_t>(60, 0));
  WriteBytes(dir.File("bad.wav"), bad);

  prompts.ChooseOpenFile(Path("bad.wav"));
  Click("OpenBitBtn");

  ASSERT_EQ(prompts.Texts(PromptKind::kError).size(), 1);
  EXPECT_TRUE(prompts.Texts(PromptKind::kError)[0].contains("bad.wav"));
  EXPECT_EQ(Caption(), "Velorin II - good.wav");
  EXPECT_EQ(form->Wave().FileName(), file);
  EXPECT_EQ(LabelText("AmpResLabel"), "16 bits");
  EXPECT_EQ(form->Wave().GetSample(10, true), changed);
  // The window goes on: the next command works.
  prompts.ChooseOpenFile(QString::fromStdString(file));
  Click("OpenBitBtn");
  EXPECT_NE(form->Wave().GetSample(10, true), changed);
}

// A dropped file takes Open's way, messages and all; a file not named as a wave, or a drop while
// the sound plays (when Open is disabled), is not taken.
TEST_F(OpenSaveTest, ADroppedWaveOpensAsOpenWould) {
  Start({QString::fromStdString(WriteStereoWave("tone.WAV", 100))});
  WriteStereoWave("notes.txt", 100);
  WriteBytes(dir.File("bad.wav"), CanonicalWave(2, 44100, 12, std::vector<uint8_t>(60, 0)));
  prompts.ChooseOpenFile(Path("bad.wav"));
  Click("OpenBitBtn");
  const QStringList openErrors = prompts.Texts(PromptKind::kError);
  for (const auto& [name, playing, taken] : std::vector<std::tuple<QString, bool, bool>>{
           {"bad.wav", false, true}, {"notes.txt", false, false}, {"bad.wav", true, false}, {"tone.WAV", false, true}}) {
    SCOPED_TRACE(name.toStdString() + (playing ? " playing" : ""));
    prompts.ClearShown();
    form->Wave().SetSample(0, true, 0.5);  // a change only a reopening takes back
    const double changed = form->Wave().GetSample(0, true);
    if (playing) Click("PlayBitBtn");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path(name.toStdString()))});
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    if (playing) Click("StopBitBtn");
    EXPECT_EQ(enter.isAccepted(), taken);
    EXPECT_EQ(form->Wave().GetSample(0, true) != changed, taken && name == "tone.WAV");
    EXPECT_EQ(prompts.Texts(PromptKind::kError), name == "bad.wav" && taken ? openErrors : QStringList());
  }
}

TEST_F(OpenSaveTest, SaveWritesReopensAndSelectsTheWholeWave) {
  const std::string file = WriteStereoWave("a.wav", 1000);
  Start({QString::fromStdString(file)});
  form->Wave().SetSample(0, false, 0.5);
  form->View().Sel.SelStart = 100;
  form->View().ViewStart = 50;
  form->View().ViewEnd = 60;

  prompts.ChooseSaveFile(Path("b.wav"));
  Click("SaveBitBtn");

  EXPECT_EQ(ReadBytes(dir.File("b.wav")), form->Wave().Image());
  EXPECT_EQ(form->Wave().FileName(), dir.File("b.wav"));
  EXPECT_EQ(Caption(), "Velorin II - b.wav");
  EXPECT_EQ(form->View().Sel.SelStart, 0);
  EXPECT_EQ(form->View().ViewStart, 0);
  EXPECT_EQ(form->View().ViewEnd, 999);
  EXPECT_NE(ReadBytes(file), ReadBytes(dir.File("b.wav")));
}

TEST_F(OpenSaveTest, FailedSaveChangesNothing) {
  const std::string file = WriteStereoWave("a.wav", 1000);
  Start({QString::fromStdString(file)});
  form->Wave().SetSample(0, false, 0.5);
  const std::vector<uint8_t> image = form->Wave().Image();
  WriteBytes(dir.File("plain"), {1, 2, 3});

  // A folder that is really a file: not even root can create anything in it.
  prompts.ChooseSaveFile(Path("plain/out.wav"));
  Click("SaveBitBtn");

  ASSERT_EQ(prompts.Texts(PromptKind::kError).size(), 1);
  EXPECT_TRUE(prompts.Texts(PromptKind::kError)[0].startsWith("Cannot create file " + Path("plain/out.wav")));
  EXPECT_EQ(Caption(), "Velorin II - a.wav");
  EXPECT_EQ(form->Wave().FileName(), file);
  EXPECT_EQ(form->Wave().Image(), image);
  EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"a.wav", "plain"}));
}

using ReloadTest = MainFormTest;

TEST_F(ReloadTest, NoKeepsTheChangesAndYesDropsThem) {
  const std::string file = WriteStereoWave("tone.wav", 1000);
  Start({QString::fromStdString(file)});
  const double original = form->Wave().GetSample(5, false);
  form->Wave().SetSample(5, false, -0.75);
  const double changed = form->Wave().GetSample(5, false);
  ASSERT_NE(original, changed);
  form->setWindowTitle("something else");

  prompts.AnswerNo();
  Click("ReloadButton");
  EXPECT_EQ(prompts.Texts(PromptKind::kYesNo), QStringList({"Reload the wave file?"}));
  EXPECT_EQ(form->Wave().GetSample(5, false), changed);
  EXPECT_EQ(Caption(), "something else");

  prompts.AnswerYes();
  Click("ReloadButton");
  EXPECT_EQ(form->Wave().GetSample(5, false), original);
  EXPECT_EQ(Caption(), "Velorin II - tone.wav");
}

using ExitTest = MainFormTest;

TEST_F(ExitTest, NoKeepsTheWindowButDeletesTheScratchFile) {
  Start();
  WriteBytes(form->ScratchFileName(), {1, 2, 3});
  prompts.AnswerNo();
  Click("ExitButton");
  EXPECT_EQ(prompts.Texts(PromptKind::kYesNo), QStringList({"Exit now?"}));
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(fs::exists(form->ScratchFileName()));
}

TEST_F(ExitTest, YesClosesTheWindowAndDeletesTheScratchFile) {
  Start();
  WriteBytes(form->ScratchFileName(), {1, 2, 3});
  prompts.AnswerYes();
  Click("ExitButton");
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(fs::exists(form->ScratchFileName()));
  EXPECT_EQ(prompts.Shown().size(), 1u);  // the close that follows does not ask again
}

TEST_F(ExitTest, TheWindowManagersCloseAsksTheSame) {
  Start();
  WriteBytes(form->ScratchFileName(), {1, 2, 3});
  prompts.AnswerNo();
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(fs::exists(form->ScratchFileName()));

  prompts.AnswerYes();
  EXPECT_TRUE(form->close());
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(prompts.Texts(PromptKind::kYesNo), QStringList({"Exit now?", "Exit now?"}));
}

using SelectionGroupTest = MainFormTest;

TEST_F(SelectionGroupTest, ChannelBoxesAndSelectAllOnAStereoWave) {
  const std::string file = WriteStereoWave("tone.wav", 88200);
  Start({QString::fromStdString(file)});

  Click("RightCheckBox");
  EXPECT_FALSE(Checked("RightCheckBox"));
  EXPECT_FALSE(form->View().Sel.Right);
  EXPECT_TRUE(form->View().Sel.Left);

  form->View().Sel.SelStart = 22050;
  form->View().Sel.SelEnd = 22051;
  Click("LeftCheckBox");
  EXPECT_FALSE(form->View().Sel.Left);
  EXPECT_EQ(LabelText("SelStartLabel"), "0.5 s");
  EXPECT_EQ(LabelText("SelEndLabel"), "0.5 s");

  Click("SelAllButton");
  EXPECT_TRUE(Checked("LeftCheckBox") && Checked("RightCheckBox"));
  EXPECT_TRUE(form->View().Sel.Left && form->View().Sel.Right);
  EXPECT_EQ(LabelText("SelStartLabel"), "0 s");
  EXPECT_EQ(LabelText("SelEndLabel"), "2 s");  // frame 88199 of 44100 Hz
  EXPECT_EQ(form->View().Sel.SelEnd, 88199);
}

using UnsavedChanges = MainFormTest;

// A changed sound is marked in the title and never dropped without asking.
TEST_F(UnsavedChanges, TitleMarksAChangeAndEveryWayOutAsksFirst) {
  const std::string a = WriteStereoWave("a.wav", 1000);
  const std::string b = WriteStereoWave("b.wav", 500);
  // Named relative to the working folder, the file is still the one Ctrl+S writes, without a dialog.
  Start({QString::fromStdString(std::filesystem::relative(a).string())});
  WriteBytes(form->ScratchFileName(), {1, 2, 3});
  for (const char* step : {"MuteButton", "UndoButton", "RedoButton"}) {
    Click(step);
    EXPECT_EQ(Caption(), QString(step == std::string("UndoButton") ? "" : "*") + "Velorin II - a.wav") << step;
  }
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(Caption(), "Velorin II - a.wav");
  EXPECT_EQ(ReadBytes(a), form->Wave().Image());
  EXPECT_TRUE(prompts.Shown().empty());
  prompts.CancelSaveFile();
  Click("SaveBitBtn");
  const QString proposal = prompts.Shown().back().proposal;
  EXPECT_TRUE(QFileInfo(proposal).isAbsolute() && std::filesystem::equivalent(proposal.toStdString(), a));
  prompts.ClearShown();
  Click("InvertButton");
  const std::vector<uint8_t> muted = form->Wave().Image();
  QMimeData dropped;
  dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(b))});
  const auto drop = [&] {
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QDropEvent event(QPointF(300, 200), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &event);
  };

  // Cancel leaves everything as it was, whichever way out was taken.
  for (const std::function<void()>& way : std::vector<std::function<void()>>{
           [&] { Click("OpenBitBtn"); }, [&] { Click("NewBitBtn"); }, drop, [&] { Click("ExitButton"); },
           [&] { Click("RecBitBtn"); }}) {
    prompts.ClearShown();
    prompts.AnswerSaveQuestion(SaveChoice::Cancel);
    way();
    EXPECT_EQ(prompts.Texts(PromptKind::kSaveChanges), QStringList{"a.wav has changed. Save the changes?"});
    EXPECT_EQ(prompts.Shown().size(), 1u);
    EXPECT_EQ(form->Wave().Image(), muted);
    EXPECT_TRUE(form->isVisible() && std::filesystem::exists(form->ScratchFileName()));
  }
  prompts.AnswerSaveQuestion(SaveChoice::Discard);
  drop();
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
}

// A file that ends before its header says opens and says so.
TEST_F(OpenSaveTest, AFileThatEndsEarlyOpensAndSaysSo) {
  std::vector<uint8_t> bytes = CanonicalWave(1, 8000, 8, std::vector<uint8_t>(4560, 128));
  const uint32_t promised = 240000;  // 30 s
  std::memcpy(bytes.data() + 40, &promised, sizeof promised);
  WriteBytes(dir.File("short.wav"), bytes);
  Start();
  prompts.ChooseOpenFile(Path("short.wav"));
  Click("OpenBitBtn");
  EXPECT_EQ(prompts.Texts(PromptKind::kInformation),
            QStringList{"short.wav ends early: the header promises 30.00 s, 0.57 s are present."});
}

}  // namespace
