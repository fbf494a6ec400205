#include "processing/undo_commands.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "processing/amplitude_tools.h"
#include "processing/delay_effects.h"
#include "processing/engine_frame.h"
#include "processing/errors.h"
#include "state/session.h"
#include "wave/frame_backup.h"
#include "wave/image_memory.h"

namespace {

// The bytes of frames a record keeps: none for a command that undoes itself.
uint64_t RecordBytes(const TWave& wave, const UndoRecord& record) {
  return record.Last < record.First || record.Inverse ? 0 : static_cast<uint64_t>(record.Last - record.First + 1) * uint64_t{wave.FrameBytes()};
}

// Whether a command that failed left anything to undo.
bool Changed(const Session& session, const UndoEntry& entry) {
  if (entry.WholeImage || entry.Reversal || !(entry.View == session.View)) return true;
  return !entry.Frames.Empty() &&
         std::memcmp(entry.Frames.Data(), session.Wave.Image().data() + entry.Offset, entry.Frames.Size()) != 0;
}

// The entry's side and the session's side change places: `back` on the way to the sound before
// the command.
void Swap(Session& session, UndoEntry& entry, bool back) {
  if (entry.WholeImage) {
    session.Wave.SwapImage(entry.Bytes, entry.Header);
  } else if (entry.Reversal) {
    entry.Reversal.Run(session.Wave, back);
  } else if (!entry.Frames.Empty()) {
    session.Wave.SwapBytes(entry.Offset, entry.Frames.Data(), entry.Frames.Size());
  }
  std::swap(session.View, entry.View);
  std::swap(session.NewInMemory, entry.NewInMemory);
  std::string name = session.Wave.FileName();
  session.Wave.SetFileName(entry.FileName);
  entry.FileName = std::move(name);
}

}  // namespace

UndoRecord FramesRecord(std::string name, const TWave& wave, int64_t first, int64_t last) {
  const FrameSpan inside = FramesInside(first, last, wave.SampleCount());
  return {.Name = std::move(name), .First = inside.Begin, .Last = inside.End - 1};
}

UndoRecord SelectionRecord(std::string name, const TWave& wave, const Selection& sel) {
  return FramesRecord(std::move(name), wave, sel.SelStart, sel.SelEnd);
}

UndoRecord WholeImageRecord(std::string name) { return {.Name = std::move(name), .WholeImage = true}; }

UndoRecord DelayRecord(std::string name, const Session& session, const std::string& delayText) {
  const Selection& sel = session.View.Sel;
  int64_t delay = 0;
  try {
    delay = DelayFrames(ParseDelayMs(delayText), session.Wave.SampleRate());
  } catch (const std::exception&) {
    // Refused before anything is written.
  }
  return FramesRecord(std::move(name), session.Wave, sel.SelStart, std::max<int64_t>(sel.SelEnd, sel.SelStart + delay - 1));
}

UndoRecord ReverseRecord(std::string name, const Session& session) {
  const Selection sel = session.View.Sel;
  if (sel.SelStart < 0 || int64_t{sel.SelEnd} >= int64_t{session.Wave.SampleCount()})
    return SelectionRecord(std::move(name), session.Wave, sel);
  UndoRecord record = SelectionRecord(std::move(name), session.Wave, sel);
  record.Inverse = [sel](TWave& wave) {
    NoProgress none;
    ReverseSelection(wave, sel, none);
  };
  return record;
}

UndoRecord StereoExpandRecord(std::string name, const Session& session) {
  if (session.Wave.Channels() == 1) return WholeImageRecord(std::move(name));
  return FramesRecord(std::move(name), session.Wave, 0, int64_t{session.Wave.SampleCount()} - 1);
}

void RunRecorded(Session& session, const UndoRecord& record, const std::function<void()>& command) {
  if (session.Undo.DepthLimit() == 0) {
    // No entry could be reached: neither the copy nor the old image is kept.
    session.Undo.Clear();
    command();
    return;
  }
  TWave& wave = session.Wave;
  UndoEntry entry;
  entry.Name = record.Name;
  if (record.Inverse) entry.Reversal.Run = [inverse = record.Inverse](TWave& sound, bool) { inverse(sound); };
  entry.View = session.View;
  entry.FileName = wave.FileName();
  entry.NewInMemory = session.NewInMemory;
  const uint64_t bytes = RecordBytes(wave, record);
  bool fits = bytes <= session.Undo.Budget();
  // A rebuilding command keeps the old image, as large as the one held now.
  if (fits) session.Undo.MakeRoom(record.WholeImage ? wave.Image().size() + sizeof(UndoEntry) : bytes + sizeof(UndoEntry));
  std::optional<FrameBackup> backup;
  if (fits && bytes != 0) {
    entry.Offset = kWaveHeaderSize + static_cast<size_t>(record.First) * uint64_t{wave.FrameBytes()};
    entry.Frames = ByteBuffer::Uncleared(bytes);
    fits = !entry.Frames.Empty();
    if (fits) {
      backup.emplace(wave.Image().data() + kWaveHeaderSize, wave.FrameBytes(), record.First, record.Last + 1,
                     entry.Frames.Data());
    }
  }
  const auto finish = [&](bool failed) {
    if (backup) {
      wave.AttachBackup(nullptr);
      backup->Finish();
      // A routine that handed over its way back wrote none of the copy.
      if (FrameReversal reversal = backup->TakeReversal()) {
        entry.Reversal = std::move(reversal);
        entry.Frames = ByteBuffer();
      }
    }
    if (record.WholeImage) {
      wave.KeepReplacedImage(false);
      entry.Bytes = wave.TakeReplacedImage(entry.Header);
      entry.WholeImage = !entry.Bytes.empty();
    }
    if (failed && record.Inverse) {
      // What a self-undoing command left half done cannot be taken back by running it again.
      session.Undo.DropAll();
      return;
    }
    if (failed && !Changed(session, entry)) return;
    if (!fits) {
      session.Undo.DropAll();
    } else {
      session.Undo.Push(std::move(entry));
    }
  };
  if (record.WholeImage) wave.KeepReplacedImage(true);
  if (backup) wave.AttachBackup(&*backup);
  try {
    command();
  } catch (...) {
    finish(true);
    throw;
  }
  finish(false);
}

void Undo(Session& session) {
  if (!session.Undo.CanUndo()) throw InputRefused("Nothing to undo");
  session.Undo.StepBack([&](UndoEntry& entry) { Swap(session, entry, true); });
}

void Redo(Session& session) {
  if (!session.Undo.CanRedo()) throw InputRefused("Nothing to redo");
  session.Undo.StepForward([&](UndoEntry& entry) { Swap(session, entry, false); });
}
