// The length-changing commands against a model that treats the sound as a list of frames.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "processing/command_registry.h"
#include "processing/document_commands.h"
#include "processing/edit_commands.h"
#include "processing/errors.h"
#include "processing/undo_commands.h"
#include "state/session.h"
#include "test_support.h"

namespace {

using Frames = std::vector<std::vector<uint8_t>>;

constexpr uint32_t kRate = 1000;  // a millisecond is a frame
constexpr int32_t kFrames = 10;

Frames RandomFrames(size_t count, size_t frameBytes, std::mt19937& random) {
  Frames frames(count, std::vector<uint8_t>(frameBytes));
  for (auto& frame : frames)
    for (uint8_t& byte : frame) byte = static_cast<uint8_t>(random());
  return frames;
}

std::vector<uint8_t> Joined(const Frames& frames) {
  std::vector<uint8_t> bytes;
  for (const auto& frame : frames) bytes.insert(bytes.end(), frame.begin(), frame.end());
  return bytes;
}

// What a command leaves, by the model: the frames, the selection, whether the clipboard holds
// what was selected. Nothing when it must be refused.
struct Outcome {
  Frames Sound;
  int64_t SelStart = 0, SelEnd = 0;
  bool Copies = false;
  bool SameSelection = false;
  bool All = false;  // everything selected, both channels
};

struct Command {
  CommandId Id;
  std::function<void(Session&)> Run;
  // The model: the sound, the selected frames within it [b, e), the insertion point, the clip.
  std::function<bool(Outcome&, const Frames&, int64_t b, int64_t e, int64_t at, const Frames& clip)> Model;
};

Frames Slice(const Frames& f, int64_t b, int64_t e) { return {f.begin() + b, f.begin() + e}; }

Frames Spliced(const Frames& f, int64_t at, const Frames& inserted) {
  Frames out = Slice(f, 0, at);
  out.insert(out.end(), inserted.begin(), inserted.end());
  out.insert(out.end(), f.begin() + at, f.end());
  return out;
}

bool Deleted(Outcome& o, const Frames& f, int64_t b, int64_t e) {
  if (b == e) return false;
  o.Sound = Slice(f, 0, b);
  o.Sound.insert(o.Sound.end(), f.begin() + e, f.end());
  const int64_t last = static_cast<int64_t>(o.Sound.size()) - 1;
  o.SelStart = std::min(b, std::max<int64_t>(last, 0));
  o.SelEnd = std::min(o.SelStart + 1, last);
  return true;
}

bool Inserted(Outcome& o, const Frames& f, int64_t at, const Frames& inserted) {
  o.Sound = Spliced(f, at, inserted);
  o.SelStart = at;
  o.SelEnd = at + static_cast<int64_t>(inserted.size()) - 1;
  return true;
}

std::vector<Command> Commands(size_t frameBytes, uint8_t silence) {
  return {
      {CommandId::Copy, CopySelection,
       [](Outcome& o, const Frames& f, int64_t b, int64_t e, int64_t, const Frames&) {
         o.Sound = f;
         o.Copies = o.SameSelection = true;
         return b != e;
       }},
      {CommandId::Cut, CutSelection,
       [](Outcome& o, const Frames& f, int64_t b, int64_t e, int64_t, const Frames&) {
         o.Copies = true;
         return Deleted(o, f, b, e);
       }},
      {CommandId::Delete, DeleteSelection,
       [](Outcome& o, const Frames& f, int64_t b, int64_t e, int64_t, const Frames&) { return Deleted(o, f, b, e); }},
      {CommandId::Crop, CropToSelection,
       [](Outcome& o, const Frames& f, int64_t b, int64_t e, int64_t, const Frames&) {
         o.Sound = Slice(f, b, e);
         o.SelStart = 0;
         o.SelEnd = e - b - 1;
         o.All = true;
         return b != e;
       }},
      {CommandId::Paste, PasteClipboard,
       [](Outcome& o, const Frames& f, int64_t, int64_t, int64_t at, const Frames& clip) {
         return Inserted(o, f, at, clip);
       }},
      {CommandId::InsertSilence, [](Session& s) { InsertSilence(s, "3"); },
       [=](Outcome& o, const Frames& f, int64_t, int64_t, int64_t at, const Frames&) {
         return Inserted(o, f, at, Frames(3, std::vector<uint8_t>(frameBytes, silence)));
       }},
  };
}

struct Snapshot {
  std::vector<uint8_t> Image;
  ViewState View;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const Session& s) { return {s.Wave.Image(), s.View}; }

struct SelectionCase {
  const char* name;
  int32_t selStart, selEnd;
};

// Every selection, once with undo and once without.
std::vector<std::pair<SelectionCase, bool>> Cases(const std::vector<SelectionCase>& selections) {
  std::vector<std::pair<SelectionCase, bool>> cases;
  for (bool undoable : {true, false})
    for (const SelectionCase& sel : selections) cases.emplace_back(sel, undoable);
  return cases;
}

TEST(EditCommands, EachCommandMatchesTheFrameModelAndUndoesExactly) {
  const std::vector<SelectionCase> selections = {{"start", 0, 2}, {"middle", 4, 6}, {"end", 8, 9}, {"past the end", 8, 15},
                    {"wholly outside", 12, 20}, {"whole sound", 0, 9}};
  std::mt19937 random(26);
  for (const auto& [channels, bits] : {std::pair{1, 8}, {1, 16}, {2, 8}, {2, 16}, {2, 24}, {1, 32}}) {
    const auto frameBytes = static_cast<size_t>(channels * bits / 8);
    const Frames clip = RandomFrames(4, frameBytes, random);
    for (const Command& command : Commands(frameBytes, bits == 8 ? 128 : 0)) {
      for (const auto& [sel, undoable] : Cases(selections)) {
        SCOPED_TRACE(std::string(EntryOf(command.Id).Name) + ", " + sel.name + ", " + std::to_string(channels) + "ch " +
                     std::to_string(bits) + " bits" + (undoable ? "" : ", without undo"));
        const Frames sound = RandomFrames(kFrames, frameBytes, random);
        Session session;
        // Without an undo entry to fill, a removal moves the frames within the image.
        if (!undoable) session.Undo.LimitDepth(0);
        OpenDocumentImage(session, "in.wav", CanonicalWave(channels, kRate, bits, Joined(sound)));
        session.Program.Clip.Image = CanonicalWave(channels, kRate, bits, Joined(clip));
        // Whole frames whatever the channel flags say.
        session.View.Sel = {sel.selStart, sel.selEnd, channels == 1, false};
        session.View.ViewStart = 2;
        session.View.ViewEnd = 9;
        const Snapshot before = Take(session);

        const int64_t b = std::min(sel.selStart, kFrames), e = std::min(sel.selEnd + 1, kFrames);
        const bool recorded = IsRecorded(command.Id);
        const auto run = [&] {
          if (!recorded) return command.Run(session);
          RunRecorded(session, RecordOf(command.Id, session), [&] { command.Run(session); });
        };
        Outcome expected;
        if (!command.Model(expected, sound, b, std::max(b, e), std::min(sel.selStart, kFrames), clip)) {
          EXPECT_THROW(run(), InputRefused);
          EXPECT_TRUE(Take(session) == before);
          EXPECT_FALSE(session.Undo.CanUndo());
          continue;
        }
        run();
        const Snapshot after = Take(session);
        EXPECT_EQ(session.Wave.Image(), CanonicalWave(channels, kRate, bits, Joined(expected.Sound)));
        EXPECT_EQ(session.Wave.SampleCount(), expected.Sound.size());
        const Selection& got = session.View.Sel;
        if (expected.SameSelection) expected.SelStart = sel.selStart, expected.SelEnd = sel.selEnd;
        EXPECT_EQ(got.SelStart, expected.SelStart);
        EXPECT_EQ(got.SelEnd, expected.SelEnd);
        EXPECT_EQ(got.Right, expected.All ? channels == 2 : before.View.Sel.Right);
        const int64_t last = static_cast<int64_t>(expected.Sound.size()) - 1;
        EXPECT_EQ(session.View.ViewStart, std::min<int64_t>(2, std::max<int64_t>(last, 0)));
        EXPECT_EQ(session.View.ViewEnd, std::min<int64_t>(9, last));
        const std::vector<uint8_t> clipboard = CanonicalWave(channels, kRate, bits, Joined(expected.Copies ? Slice(sound, b, e) : clip));
        EXPECT_EQ(session.Program.Clip.Image, clipboard);
        if (!undoable || !recorded) continue;
        Undo(session);
        EXPECT_TRUE(Take(session) == before);
        Redo(session);
        EXPECT_TRUE(Take(session) == after);
      }
    }
  }
}

TEST(EditCommands, PasteConvertsChannelsAndBitsExactlyAndRefusesAnotherRate) {
  Session session;
  const std::vector<uint8_t> clipCodes{0, 1, 128, 255};
  OpenDocumentImage(session, "clip.wav", CanonicalWave(1, 44100, 8, clipCodes));
  SelectAll(session.View, session.Wave);
  CopySelection(session);
  OpenDocumentImage(session, "doc.wav", Wave16({5, 6}, {-5, -6}));
  // Everything deleted: a sound of no frames that is pasted into as any other.
  DeleteSelection(session);
  EXPECT_EQ(session.Wave.Image(), CanonicalWave(2, 44100, 16, {}));
  PasteClipboard(session);
  std::vector<int16_t> expected;
  for (uint8_t code : clipCodes) expected.insert(expected.end(), 2, static_cast<int16_t>(code * 257 - 32768));
  EXPECT_EQ(session.Wave.Image(), CanonicalWave(2, 44100, 16, Words(expected)));
  EXPECT_EQ(std::pair(session.View.Sel.SelStart, session.View.Sel.SelEnd), std::pair(0, 3));

  // A float clip into a 24-bit sound: its values through the sample mapping.
  std::vector<uint8_t> floats = CanonicalWave(1, 44100, 32, {0, 0, 0, 0x3F, 0, 0, 0x80, 0xBE});  // 0.5, -0.25
  PutU16(floats, 20, 3);
  OpenDocumentImage(session, "floats.wav", floats);
  SelectAll(session.View, session.Wave);
  CopySelection(session);
  OpenDocumentImage(session, "doc24.wav", CanonicalWave(2, 44100, 24, {}));
  PasteClipboard(session);
  EXPECT_EQ(session.Wave.Image(), CanonicalWave(2, 44100, 24, {0xFF, 0xFF, 0x3F, 0xFF, 0xFF, 0x3F, 0, 0, 0xE0, 0, 0, 0xE0}));

  OpenDocumentImage(session, "other.wav", CanonicalWave(1, 22050, 8, clipCodes));
  const std::vector<uint8_t> before = session.Wave.Image();
  try {
    PasteClipboard(session);
    ADD_FAILURE() << "pasted across rates";
  } catch (const InputRefused& refusal) {
    EXPECT_STREQ(refusal.what(), "The clipboard holds 44100 Hz sound; the document is 22050 Hz.");
  }
  EXPECT_EQ(session.Wave.Image(), before);
}

// velorin-cli's `open F select A B crop` reads only the frames kept: it must end as the three do,
// for a canonical file with bytes after its data and for a truncated one that is rebuilt.
TEST(EditCommands, OpenCroppedEndsAsOpenSelectAndCropDo) {
  TempDir dir;
  std::mt19937 random(27);
  std::vector<uint8_t> canonical = CanonicalWave(2, kRate, 16, Joined(RandomFrames(kFrames, 4, random)));
  std::vector<uint8_t> truncated = canonical;
  canonical.insert(canonical.end(), {'L', 'I', 'S', 'T'});
  truncated[40] += 6;  // the data chunk promises more than the file holds
  for (const auto& file : {canonical, truncated}) {
    WriteBytes(dir.File("in.wav"), file);
    for (const auto& [start, end] : {std::pair{0, 2}, {4, 6}, {-3, 4}, {8, 15}, {12, 20}}) {
      SCOPED_TRACE(std::to_string(start) + ".." + std::to_string(end));
      Session plain, cropped;
      OpenDocument(plain, dir.File("in.wav"));
      plain.View.Sel.SelStart = start;
      plain.View.Sel.SelEnd = end;
      const bool crops = start < kFrames;
      if (crops) CropToSelection(plain);
      ASSERT_EQ(OpenCropped(cropped, dir.File("in.wav"), start, end), crops);
      if (crops) {
        EXPECT_TRUE(Take(cropped) == Take(plain));
      }
    }
  }
  EXPECT_FALSE(OpenCropped(*std::make_unique<Session>(), dir.File("missing.wav"), 0, 2));
}

}  // namespace
