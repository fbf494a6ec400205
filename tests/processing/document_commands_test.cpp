#include <gtest/gtest.h>

#include "processing/document_commands.h"
#include "processing/errors.h"
#include "test_support.h"
#include "views/view_state.h"
#include "wave/wave_document.h"

namespace {

TEST(DocumentCommands, OpenShowsTheWholeSoundAllSelected) {
  TempDir dir;
  WriteBytes(dir.File("s.wav"), CanonicalWave(2, 44100, 16, std::vector<uint8_t>(400, 0)));
  TWave wave;
  ViewState state;
  state.Sel = {5, 9, false, true};
  OpenDocument(wave, state, dir.File("s.wav"));
  EXPECT_EQ(state.ViewStart, 0);
  EXPECT_EQ(state.ViewEnd, 99);
  EXPECT_EQ(state.Sel.SelStart, 0);
  EXPECT_EQ(state.Sel.SelEnd, 99);
  EXPECT_TRUE(state.Sel.Left && state.Sel.Right && state.LeftEnabled && state.RightEnabled);
}

TEST(DocumentCommands, NewWritesTheSoundAndOpensItAsMono) {
  TempDir dir;
  TWave wave;
  ViewState state;
  NewDocument(wave, state, dir.File("n.wav"), ParseNewWaveLength("2"));
  EXPECT_EQ(wave.FileName(), dir.File("n.wav"));
  EXPECT_EQ(ReadBytes(dir.File("n.wav")), wave.Image());
  EXPECT_EQ(wave.SampleCount(), 22050u);
  EXPECT_EQ(state.Sel.SelEnd, 22049);
  EXPECT_TRUE(state.Sel.Left);
  EXPECT_FALSE(state.Sel.Right);
  EXPECT_FALSE(state.LeftEnabled || state.RightEnabled);
}

TEST(DocumentCommands, NewReplacesAnExistingFileOnlyWhenTheNewOneIsWritten) {
  TempDir dir;
  const std::string old = dir.File("old.wav");
  WriteBytes(old, CanonicalWave(1, 8000, 8, {1, 2, 3}));
  TWave wave;
  ViewState state;
  OpenDocument(wave, state, old);
  NewDocument(wave, state, old, 0.5);
  EXPECT_EQ(wave.SampleCount(), 5512u);
  EXPECT_EQ(ReadBytes(old).size(), 44u + 5512u);

  // A target that cannot be created: the document and the files stay as they were.
  WriteBytes(dir.File("plain"), {1});
  const std::vector<uint8_t> before = wave.Image();
  EXPECT_THROW(NewDocument(wave, state, dir.File("plain") + "/x.wav", 1.0), std::runtime_error);
  EXPECT_EQ(wave.Image(), before);
  EXPECT_EQ(wave.FileName(), old);
}

TEST(DocumentCommands, NewLengthIsANonNegativeNumberWithAPoint) {
  EXPECT_EQ(ParseNewWaveLength("0.5"), 0.5);
  EXPECT_EQ(ParseNewWaveLength("0"), 0.0);
  EXPECT_THROW(ParseNewWaveLength("0,5"), CommandError);
  try {
    ParseNewWaveLength("-1");
    ADD_FAILURE();
  } catch (const InputRefused& e) {
    EXPECT_STREQ(e.what(), "Error. Aborting operation.");
  }
  EXPECT_THROW(ParseNewWaveLength("100000"), InputRefused);  // beyond the 512 MiB the editor holds
}

TEST(DocumentCommands, SaveReopensFromTheNewName) {
  TempDir dir;
  TWave wave;
  ViewState state;
  NewDocumentInMemory(wave, state, "untitled.wav", 0.01);
  EXPECT_FALSE(std::filesystem::exists("untitled.wav"));
  wave.SetSample(3, false, 1.0);
  state.Sel = {1, 2, true, false};
  state.ViewStart = 7;
  SaveDocument(wave, state, dir.File("saved.wav"));
  EXPECT_EQ(wave.FileName(), dir.File("saved.wav"));
  EXPECT_EQ(wave.GetSample(3, false), 1.0);
  EXPECT_EQ(state.ViewStart, 0);
  EXPECT_EQ(state.Sel.SelStart, 0);
  EXPECT_EQ(state.Sel.SelEnd, 109);
}

}  // namespace
