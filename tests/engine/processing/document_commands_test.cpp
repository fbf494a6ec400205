#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "processing/amplitude_tools.h"
#include "processing/document_commands.h"
#include "processing/errors.h"
#include "state/session.h"
#include "test_support.h"

namespace {

void ExpectWholeAndAllSelected(const Session& session, int32_t last) {
  EXPECT_EQ(session.View.ViewStart, 0);
  EXPECT_EQ(session.View.ViewEnd, last);
  EXPECT_EQ(session.View.Sel.SelStart, 0);
  EXPECT_EQ(session.View.Sel.SelEnd, last);
}

TEST(DocumentCommands, OpenShowsTheWholeSoundAllSelected) {
  TempDir dir;
  WriteBytes(dir.File("s.wav"), CanonicalWave(2, 44100, 16, std::vector<uint8_t>(400, 0)));
  Session session;
  session.View.Sel = {5, 9, false, true};
  session.View.ViewStart = 3;
  OpenDocument(session, dir.File("s.wav"));
  ExpectWholeAndAllSelected(session, 99);
  const ViewState& state = session.View;
  EXPECT_TRUE(state.Sel.Left && state.Sel.Right && state.LeftEnabled && state.RightEnabled);
}

TEST(DocumentCommands, NewWritesTheSoundAndOpensItAsMono) {
  TempDir dir;
  Session session;
  NewDocument(session, dir.File("n.wav"), ParseNewWaveLength("2"));
  EXPECT_EQ(session.Wave.FileName(), dir.File("n.wav"));
  EXPECT_EQ(ReadBytes(dir.File("n.wav")), session.Wave.Image());
  EXPECT_EQ(session.Wave.SampleCount(), 22050u);
  EXPECT_EQ(session.View.Sel.SelEnd, 22049);
  EXPECT_TRUE(session.View.Sel.Left);
  EXPECT_FALSE(session.View.Sel.Right);
  EXPECT_FALSE(session.View.LeftEnabled || session.View.RightEnabled);
}

TEST(DocumentCommands, NewReplacesAnExistingFileOnlyWhenTheNewOneIsWritten) {
  TempDir dir;
  const std::string old = dir.File("old.wav");
  WriteBytes(old, CanonicalWave(1, 8000, 8, {1, 2, 3}));
  Session session;
  OpenDocument(session, old);
  NewDocument(session, old, 0.5);
  EXPECT_EQ(session.Wave.SampleCount(), 5512u);
  EXPECT_EQ(ReadBytes(old).size(), 44u + 5512u);

  // A target that cannot be created: the document and the files stay as they were.
  WriteBytes(dir.File("plain"), {1});
  const std::vector<uint8_t> before = session.Wave.Image();
  EXPECT_THROW(NewDocument(session, dir.File("plain") + "/x.wav", 1.0), std::runtime_error);
  EXPECT_EQ(session.Wave.Image(), before);
  EXPECT_EQ(session.Wave.FileName(), old);
}

TEST(DocumentCommands, NewLengthIsANonNegativeNumberWithAPoint) {
  EXPECT_EQ(ParseNewWaveLength("0.5"), 0.5);
  EXPECT_EQ(ParseNewWaveLength("0"), 0.0);
  EXPECT_THROW(ParseNewWaveLength("0,5"), CommandError);
  try {
    ParseNewWaveLength("-1");
    ADD_FAILURE();
  } catch (const InputRefused& e) {
    EXPECT_EQ(e.what(), NewWaveLengthRange());
  }
  EXPECT_THROW(ParseNewWaveLength("194784"), InputRefused);  // 2^31 frames of 8-bit mono 11025 Hz
}

TEST(DocumentCommands, AnEmptyFileNameIsRefusedAndChangesNothing) {
  Session session;
  NewDocumentInMemory(session, "untitled.wav", 0.01);
  EXPECT_THROW(OpenDocument(session, ""), CommandError);
  EXPECT_THROW(NewDocument(session, "", 1), CommandError);
  EXPECT_THROW(NewDocumentInMemory(session, "", 1), CommandError);
  EXPECT_THROW(SaveDocument(session, ""), CommandError);
  EXPECT_EQ(session.Wave.FileName(), "untitled.wav");
  EXPECT_EQ(session.Program.NewWaveSeconds, 0.01);
}

TEST(DocumentCommands, SaveReopensFromTheNewName) {
  TempDir dir;
  Session session;
  NewDocumentInMemory(session, "untitled.wav", 0.01);
  EXPECT_FALSE(std::filesystem::exists("untitled.wav"));
  session.Wave.SetSample(3, false, 1.0);
  session.View.Sel = {1, 2, true, false};
  session.View.ViewStart = 7;
  SaveDocument(session, dir.File("saved.wav"));
  EXPECT_EQ(session.Wave.FileName(), dir.File("saved.wav"));
  EXPECT_EQ(session.Wave.GetSample(3, false), 1.0);
  ExpectWholeAndAllSelected(session, 109);
}

// The document after a save is built from the image written, not read back: it must be what
// opening the saved file gives, and stay so through further work and a second save.
TEST(DocumentCommands, AfterASaveTheDocumentIsTheSavedFileOpenedAgain) {
  TempDir dir;
  std::vector<uint8_t> withTrailer = Wave16({100, -200, 300, -400, 500}, {1, 2, 3, 4, 5});
  for (const char* chunk : {"LIST", "\4\0\0\0", "abcd"}) withTrailer.insert(withTrailer.end(), chunk, chunk + 4);
  std::vector<uint8_t> displaced = CanonicalWave(1, 8000, 8, {10, 20, 30});
  displaced.insert(displaced.begin() + 36, {'f', 'a', 'c', 't', 0, 0, 0, 0});  // "data" no longer at 36
  PutU32(displaced, 4, static_cast<uint32_t>(displaced.size() - 8));
  for (const auto& file : {withTrailer, displaced}) {
    WriteBytes(dir.File("in.wav"), file);
    Session saved, reopened;
    OpenDocument(saved, dir.File("in.wav"));
    NoProgress quiet;
    ReverseSelection(saved.Wave, saved.View.Sel, quiet);
    saved.View.Sel = {1, 2, true, false};
    SaveDocument(saved, dir.File("out.wav"));
    OpenDocument(reopened, dir.File("out.wav"));
    EXPECT_EQ(saved.Wave.FileName(), reopened.Wave.FileName());
    EXPECT_EQ(saved.Wave.Image(), reopened.Wave.Image());
    EXPECT_EQ(std::memcmp(&saved.Wave.Header(), &reopened.Wave.Header(), sizeof(TWaveHeader)), 0);
    ExpectWholeAndAllSelected(saved, static_cast<int32_t>(reopened.Wave.SampleCount()) - 1);

    for (Session* session : {&saved, &reopened}) {
      session->View.Sel.SelEnd = 1;
      NoProgress quiet;
      MuteSelection(session->Wave, session->View.Sel, quiet);
      SaveDocument(*session, dir.File(session == &saved ? "a.wav" : "b.wav"));
    }
    EXPECT_EQ(ReadBytes(dir.File("a.wav")), ReadBytes(dir.File("b.wav")));
  }
}

TEST(DocumentCommands, ReloadMakesAnUnsavedNewSoundAgainAndReadsASavedOneFromItsFile) {
  TempDir dir;
  // A file that happens to bear the new sound's name is none of its business.
  const std::string name = dir.File("untitled.wav");
  const std::vector<uint8_t> stray = Wave16({1, 2, 3});
  WriteBytes(name, stray);
  Session session;
  NewDocumentInMemory(session, name, 0.5);
  // A New that fails keeps the length of the last one that was made.
  EXPECT_THROW(NewDocument(session, name + "/x.wav", 1.0), std::runtime_error);
  session.Wave.SetSample(0, false, 1.0);
  session.View.Sel = {1, 2, true, false};
  ReloadDocument(session);
  EXPECT_EQ(session.Wave.Image(), CanonicalWave(1, 11025, 8, std::vector<uint8_t>(5512, 128)));
  EXPECT_EQ(session.Wave.FileName(), name);
  ExpectWholeAndAllSelected(session, 5511);
  EXPECT_EQ(ReadBytes(name), stray);

  // Saved, the sound has a file behind it, and Reload takes whatever that file holds now.
  const std::string saved = dir.File("saved.wav");
  SaveDocument(session, saved);
  const std::vector<uint8_t> changedOnDisk = Wave16({4, 5}, {6, 7});
  WriteBytes(saved, changedOnDisk);
  session.View.Sel = {1, 1, true, false};
  ReloadDocument(session);
  EXPECT_EQ(session.Wave.Image(), changedOnDisk);
  ExpectWholeAndAllSelected(session, 1);
}

}  // namespace
