// Undo and redo over every command of the command table that records an undo entry, run in
// process on one session as velorin-cli runs them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "processing/document_commands.h"
#include "processing/errors.h"
#include "processing/undo_commands.h"
#include "cli_run.h"
#include "test_support.h"

namespace {

// Everything an undo entry must bring back.
struct Snapshot {
  std::vector<uint8_t> Image;
  std::vector<uint8_t> Header;
  ViewState View;

  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const Session& s) {
  const auto* header = reinterpret_cast<const uint8_t*>(&s.Wave.Header());
  return {s.Wave.Image(), {header, header + sizeof(TWaveHeader)}, s.View};
}

// Random samples, so that every command changes something and a wrong restore shows.
std::vector<uint8_t> RandomWave(uint16_t channels, uint16_t bits, uint32_t frames, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> data(size_t{frames} * channels * bits / 8);
  for (uint8_t& byte : data) byte = static_cast<uint8_t>(random());
  return CanonicalWave(channels, 11025, bits, data);
}

void Do(CliSession& session, CommandId command, CommandArgs args = {}) {
  RunCliCommand(EntryOf(command), session, args);
}

// A selection inside the sound, partly past the delay's reach: the 50 ms pure delay (551 frames)
// silences frames past its end; and one that reaches past the sound's end. "50" is a valid
// argument of every command.
constexpr uint32_t kFrames = 1200;
constexpr std::pair<int32_t, int32_t> kSelections[] = {{100, 400}, {1000, 1300}};
const std::vector<std::string> kArgs(3, "50");

TEST(Undo, EveryRecordedCommandUndoesAndRedoesExactly) {
  for (const CommandEntry& command : CommandTable()) {
    if (!IsRecorded(command.Id)) continue;
    for (const auto& [channels, bits] : {std::pair{1, 8}, {1, 16}, {2, 8}, {2, 16}}) {
      for (const auto& [selStart, selEnd] : kSelections) for (const char* which : {"left", "right", "both"}) {
        SCOPED_TRACE(std::string(command.Name) + " " + std::to_string(channels) + "ch " + std::to_string(bits) +
                     " bits, " + which + ", from " + std::to_string(selStart));
        NoProgress gauge;
        CliSession session;
        session.Gauge = &gauge;
        OpenDocumentImage(session.Doc, "in.wav", RandomWave(channels, bits, kFrames, channels * 100 + bits));
        Do(session, CommandId::Channels, std::vector<std::string>{which});
        session.Doc.View.Sel.SelStart = selStart;
        session.Doc.View.Sel.SelEnd = selEnd;
        session.Doc.View.ViewStart = 50;
        const Snapshot before = Take(session.Doc);
        bool failed = false;
        try {
          Do(session, command.Id, CommandArgs(kArgs).first(command.ArgCount));
        } catch (const std::exception&) {
          failed = true;
        }
        const Snapshot after = Take(session.Doc);
        if (failed && after == before) {
          // Refused before anything changed: nothing to undo.
          EXPECT_THROW(Do(session, CommandId::Undo), InputRefused);
          continue;
        }
        EXPECT_THROW(Do(session, CommandId::Redo), InputRefused);
        Do(session, CommandId::Undo);
        EXPECT_TRUE(Take(session.Doc) == before);
        EXPECT_THROW(Do(session, CommandId::Undo), InputRefused);
        Do(session, CommandId::Redo);
        EXPECT_TRUE(Take(session.Doc) == after);
      }
    }
  }
}

// A command that changes the sound without an undo kind would run unrecorded, and the undo after
// it would take back the one before it. Only these change it unrecorded, on purpose: they start
// from a file or step through the history; play and devices reach a sound device.
TEST(Undo, EveryCommandThatChangesTheSoundIsRecorded) {
  using enum CommandId;
  constexpr CommandId kUnrecorded[] = {Open, New, Reload, Record, Undo, Redo, Play, Devices};
  const TempDir dir;
  std::FILE* printed = std::fopen(dir.File("printed.txt").c_str(), "w");
  ASSERT_NE(printed, nullptr);
  for (const CommandEntry& command : CommandTable()) {
    if (IsRecorded(command.Id) || std::ranges::find(kUnrecorded, command.Id) != std::end(kUnrecorded)) continue;
    SCOPED_TRACE(command.Name);
    NoProgress gauge;
    CliSession session;
    session.Gauge = &gauge;
    session.Out = printed;
    OpenDocumentImage(session.Doc, "in.wav", RandomWave(2, 16, kFrames, 5));
    session.Doc.View.Sel.SelStart = 100;
    session.Doc.View.Sel.SelEnd = 400;
    const Snapshot before = Take(session.Doc);
    std::vector<std::string> args(kArgs.begin(), kArgs.begin() + command.ArgCount);
    if (command.ArgText.starts_with("PATH")) args[0] = dir.File("unrecorded.wav");
    try {
      RunCliCommand(command, session, args);
    } catch (const std::exception&) {
      // A refusal changes nothing either.
    }
    const Snapshot after = Take(session.Doc);
    EXPECT_TRUE(after.Image == before.Image && after.Header == before.Header);
  }
  std::fclose(printed);
}

TEST(Undo, ACommandThatFailsPartWayUndoesToTheSoundBeforeIt) {
  const struct {
    const char* name;
    CommandId command;
    void (*partly)(Session&);
  } cases[] = {
      {"in place", CommandId::Mute, [](Session& s) { s.Wave.SetSample(200, false, 0.5); }},
      {"rebuilt", CommandId::CDFormat, [](Session& s) { s.Wave.ConvertToStereo(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Session session;
    OpenDocumentImage(session, "in.wav", RandomWave(1, 16, kFrames, 3));
    const Snapshot before = Take(session);
    EXPECT_THROW(RunRecorded(session, RecordOf(c.command, session),
                             [&] {
                               c.partly(session);
                               throw CommandError("failed");
                             }),
                 CommandError);
    EXPECT_FALSE(Take(session) == before);
    Undo(session);
    EXPECT_TRUE(Take(session) == before);
  }
}

// A command whose entry would not fit the whole budget runs unrecorded, and the undo after it
// says why there is nothing to undo.
TEST(Undo, ACommandTooLargeToKeepIsNamedByTheUndoAfterIt) {
  NoProgress gauge;
  CliSession session;
  session.Gauge = &gauge;
  OpenDocumentImage(session.Doc, "in.wav", RandomWave(2, 16, kFrames, 9));
  session.Doc.Undo = UndoHistory(1000);
  Do(session, CommandId::Mute);
  try {
    Do(session, CommandId::Undo);
    ADD_FAILURE() << "undo ran";
  } catch (const InputRefused& refusal) {
    EXPECT_STREQ(refusal.what(), "Nothing to undo: Mute cannot be undone: it would keep 1 MB, over the undo budget of 0 MB");
  }
}

TEST(Undo, StepsBackThroughSeveralCommandsAndSaveKeepsTheHistory) {
  NoProgress gauge;
  CliSession session;
  session.Gauge = &gauge;
  OpenDocumentImage(session.Doc, "in.wav", RandomWave(2, 16, kFrames, 7));
  const Snapshot opened = Take(session.Doc);
  const std::vector<std::string> level{"90"};
  Do(session, CommandId::Normalize, level);
  const Snapshot normalized = Take(session.Doc);
  Do(session, CommandId::ToMono);
  Do(session, CommandId::Reverse);
  Do(session, CommandId::Undo);
  Do(session, CommandId::Undo);
  EXPECT_TRUE(Take(session.Doc) == normalized);
  Do(session, CommandId::Undo);
  EXPECT_TRUE(Take(session.Doc) == opened);
  // Save keeps the history; open starts a fresh one.
  Do(session, CommandId::Redo);
  const std::string saved = testing::TempDir() + "undo_saved.wav";
  Do(session, CommandId::Save, std::vector<std::string>{saved});
  Do(session, CommandId::Undo);
  EXPECT_TRUE(Take(session.Doc) == opened);
  Do(session, CommandId::Open, std::vector<std::string>{saved});
  EXPECT_THROW(Do(session, CommandId::Undo), InputRefused);
}

// velorin-cli keeps only what its later undo commands reach, and they reach all of it; a paste
// undone leaves a history that the next command can add to; an undo changes the sound, never
// which file the document is.
TEST(Undo, TheProgramUndoesAsFarAsItsCommandsAsk) {
  TempDir dir;
  WriteBytes(dir.File("in.wav"), RandomWave(2, 16, kFrames, 5));
  const struct {
    std::vector<std::string> args;
    int code;
    const char* saved;  // the file out.wav must equal
  } cases[] = {
      {{"open", "in.wav", "normalize", "90", "reverse", "fade-in", "undo", "undo", "redo", "undo", "undo"}, 0, "in.wav"},
      {{"open", "in.wav", "select", "0", "999", "copy", "paste", "undo", "select", "0", "9", "mute", "undo"}, 0, "in.wav"},
      {{"open", "in.wav", "invert", "save", "b.wav", "undo", "reload"}, 0, "b.wav"},
      {{"open", "in.wav", "normalize", "90", "undo", "undo"}, 1, ""},
      // An open, select and crop that a later undo reaches runs as three commands, not as the
      // partial read, so that the undo finds the whole sound.
      {{"open", "in.wav", "select", "10", "99", "crop", "undo"}, 0, "in.wav"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    for (const char* word : {"save", "out.wav"}) args.push_back(word);
    const CliResult result = RunCli(args, dir.Path());
    EXPECT_EQ(result.Code, c.code) << result.Err;
    if (c.code == 0) {
      EXPECT_EQ(ReadBytes(dir.File("out.wav")), ReadBytes(dir.File(c.saved)));
    }
  }
}

}  // namespace
