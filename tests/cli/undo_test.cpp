// Undo and redo over every command of the command table that records an undo entry, run in
// process on one session as velorin-cli runs them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "processing/document_commands.h"
#include "processing/errors.h"
#include "cli_run.h"
#include "test_support.h"

namespace {

// Everything an undo entry must bring back.
struct Snapshot {
  std::vector<uint8_t> Image;
  std::vector<uint8_t> Header;
  ViewState View;
  std::string FileName;
  bool NewInMemory = false;

  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const Session& s) {
  const auto* header = reinterpret_cast<const uint8_t*>(&s.Wave.Header());
  return {s.Wave.Image(), {header, header + sizeof(TWaveHeader)}, s.View, s.Wave.FileName(), s.NewInMemory};
}

// Random samples, so that every command changes something and a wrong restore shows; below full
// scale, each code's distance from the middle scaled by `level`.
std::vector<uint8_t> RandomWave(uint16_t channels, uint16_t bits, uint32_t frames, uint32_t seed, double level = 1) {
  std::mt19937 random(seed);
  std::vector<uint8_t> data(size_t{frames} * channels * bits / 8);
  for (uint8_t& byte : data) byte = static_cast<uint8_t>(random());
  for (size_t i = 0; level < 1 && i < data.size(); i += bits / 8) {
    if (bits == 8) {
      data[i] = static_cast<uint8_t>(128 + std::lround((data[i] - 128) * level));
    } else {
      int16_t code;
      std::memcpy(&code, &data[i], 2);
      code = static_cast<int16_t>(std::lround(code * level));
      std::memcpy(&data[i], &code, 2);
    }
  }
  return CanonicalWave(channels, 11025, bits, data);
}

void Do(CliSession& session, std::string_view name, CliArgs args = {}) {
  RunCliCommand(*FindCliCommand(name), session, args);
}

// A selection inside the sound, partly past the delay's reach: the 50 ms pure delay (551 frames)
// silences frames past its end; and one that reaches past the sound's end. "50" is a valid
// argument of every command.
constexpr uint32_t kFrames = 1200;
constexpr std::pair<int32_t, int32_t> kSelections[] = {{100, 400}, {1000, 1300}};
const std::vector<std::string> kArgs(3, "50");

TEST(Undo, EveryRecordedCommandUndoesAndRedoesExactly) {
  for (const CliCommand& command : CliCommands()) {
    if (!command.Records) continue;
    for (const auto& [channels, bits] : {std::pair{1, 8}, {1, 16}, {2, 8}, {2, 16}}) {
      for (const auto& [selStart, selEnd] : kSelections) for (const char* which : {"left", "right", "both"}) {
        SCOPED_TRACE(std::string(command.Name) + " " + std::to_string(channels) + "ch " + std::to_string(bits) +
                     " bits, " + which + ", from " + std::to_string(selStart));
        NoProgress gauge;
        CliSession session;
        session.Gauge = &gauge;
        OpenDocumentImage(session.Doc, "in.wav", RandomWave(channels, bits, kFrames, channels * 100 + bits));
        Do(session, "channels", std::vector<std::string>{which});
        session.Doc.View.Sel.SelStart = selStart;
        session.Doc.View.Sel.SelEnd = selEnd;
        session.Doc.View.ViewStart = 50;
        const Snapshot before = Take(session.Doc);
        bool failed = false;
        try {
          Do(session, command.Name, CliArgs(kArgs).first(command.ArgCount));
        } catch (const std::exception&) {
          failed = true;
        }
        const Snapshot after = Take(session.Doc);
        if (failed && after == before) {
          // Refused before anything changed: nothing to undo.
          EXPECT_THROW(Do(session, "undo"), InputRefused);
          continue;
        }
        EXPECT_THROW(Do(session, "redo"), InputRefused);
        Do(session, "undo");
        EXPECT_TRUE(Take(session.Doc) == before);
        EXPECT_THROW(Do(session, "undo"), InputRefused);
        Do(session, "redo");
        EXPECT_TRUE(Take(session.Doc) == after);
      }
    }
  }
}

// Over more samples than there are codes, normalize and remove DC rewrite through a table of
// codes, and normalize keeps the way back from the new codes in place of a copy: for a sound made
// louder (no ranks), a little quieter (a bit per sample) and much quieter (two); at a tenth,
// where up to ten codes become one, it is copied.
TEST(Undo, TableRewritesOfLongSelectionsUndoAndRedoExactly) {
  constexpr uint32_t kLong = 1 << 19;
  const struct {
    double level;
    const char* command;
    const char* arg;
    bool small;  // the entry smaller than the frames
  } cases[] = {{0.1, "normalize", "90", true},
               {1, "normalize", "90", true},
               {1, "normalize", "40", true},
               {1, "normalize", "10", false},
               {0.5, "remove-dc", "", false}};
  for (const auto& [channels, bits] : {std::pair{1, 8}, {1, 16}, {2, 8}, {2, 16}}) {
    for (const auto& c : cases) for (const char* which : {"left", "right", "both"}) {
      SCOPED_TRACE(std::string(c.command) + " " + c.arg + " at " + std::to_string(c.level) + ", " +
                   std::to_string(channels) + "ch " + std::to_string(bits) + " bits, " + which);
      NoProgress gauge;
      CliSession session;
      session.Gauge = &gauge;
      OpenDocumentImage(session.Doc, "in.wav", RandomWave(channels, bits, kLong, bits + channels, c.level));
      Do(session, "channels", std::vector<std::string>{which});
      session.Doc.View.Sel.SelStart = 1001;
      session.Doc.View.Sel.SelEnd = kLong + 10;
      const Snapshot before = Take(session.Doc);
      Do(session, c.command, *c.arg ? std::vector<std::string>{c.arg} : std::vector<std::string>{});
      const Snapshot after = Take(session.Doc);
      if (c.small) {
        EXPECT_LT(session.Doc.Undo.Held(), uint64_t{kLong - 1001} * channels * bits / 8);
      }
      Do(session, "undo");
      EXPECT_TRUE(Take(session.Doc) == before);
      Do(session, "redo");
      EXPECT_TRUE(Take(session.Doc) == after);
      Do(session, "undo");
      EXPECT_TRUE(Take(session.Doc) == before);
    }
  }
}

TEST(Undo, ACommandThatFailsPartWayUndoesToTheSoundBeforeIt) {
  const struct {
    const char* name;
    UndoRecord (*record)(const Session&);
    void (*partly)(Session&);
  } cases[] = {
      {"in place", [](const Session& s) { return SelectionRecord("Mute", s.Wave, s.View.Sel); },
       [](Session& s) { s.Wave.SetSample(200, false, 0.5); }},
      {"rebuilt", [](const Session&) { return WholeImageRecord("Cd format"); },
       [](Session& s) { s.Wave.ConvertToStereo(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Session session;
    OpenDocumentImage(session, "in.wav", RandomWave(1, 16, kFrames, 3));
    const Snapshot before = Take(session);
    EXPECT_THROW(RunRecorded(session, c.record(session),
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

TEST(Undo, StepsBackThroughSeveralCommandsAndSaveKeepsTheHistory) {
  NoProgress gauge;
  CliSession session;
  session.Gauge = &gauge;
  OpenDocumentImage(session.Doc, "in.wav", RandomWave(2, 16, kFrames, 7));
  const Snapshot opened = Take(session.Doc);
  const std::vector<std::string> level{"90"};
  Do(session, "normalize", level);
  const Snapshot normalized = Take(session.Doc);
  Do(session, "to-mono");
  Do(session, "reverse");
  Do(session, "undo");
  Do(session, "undo");
  EXPECT_TRUE(Take(session.Doc) == normalized);
  Do(session, "undo");
  EXPECT_TRUE(Take(session.Doc) == opened);
  // Save keeps the history; open starts a fresh one.
  Do(session, "redo");
  const std::string saved = testing::TempDir() + "undo_saved.wav";
  Do(session, "save", std::vector<std::string>{saved});
  Do(session, "undo");
  EXPECT_TRUE(Take(session.Doc) == opened);
  Do(session, "open", std::vector<std::string>{saved});
  EXPECT_THROW(Do(session, "undo"), InputRefused);
}

// velorin-cli keeps only what its later undo commands reach, and they reach all of it; a paste
// undone leaves a history that the next command can add to.
TEST(Undo, TheProgramUndoesAsFarAsItsCommandsAsk) {
  TempDir dir;
  WriteBytes(dir.File("in.wav"), RandomWave(2, 16, kFrames, 5));
  const struct {
    std::vector<std::string> args;
    int code;
  } cases[] = {
      {{"open", "in.wav", "normalize", "90", "reverse", "fade-in", "undo", "undo", "redo", "undo", "undo"}, 0},
      {{"open", "in.wav", "select", "0", "999", "copy", "paste", "undo", "select", "0", "9", "mute", "undo"}, 0},
      {{"open", "in.wav", "normalize", "90", "undo", "undo"}, 1},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    for (const char* word : {"save", "out.wav"}) args.push_back(word);
    const CliResult result = RunCli(args, dir.Path());
    EXPECT_EQ(result.Code, c.code) << result.Err;
    if (c.code == 0) EXPECT_EQ(ReadBytes(dir.File("out.wav")), ReadBytes(dir.File("in.wav")));
  }
}

}  // namespace
