#include "processing/undo_commands.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "processing/amplitude_tools.h"
#include "processing/command_registry.h"
#include "processing/delay_effects.h"
#include "processing/errors.h"
#include "state/session.h"
#include "wave/image_memory.h"

namespace {

UndoRecord FramesRecord(const TWave& wave, int64_t first, int64_t last) {
  const FrameSpan inside = FramesInside(first, last, wave.SampleCount());
  return {.First = inside.Begin, .Last = inside.End - 1};
}

UndoRecord RerunRecord(const TWave& wave, const Selection& sel, void (*run)(TWave&, const Selection&, Progress&)) {
  UndoRecord record = FramesRecord(wave, sel.SelStart, sel.SelEnd);
  record.How = UndoRecord::Kind::Rerun;
  record.Rerun = [sel, run](TWave& sound) {
    NoProgress none;
    run(sound, sel, none);
  };
  return record;
}

UndoRecord RecordFor(Recording how, const Session& session, std::span<const std::string> args) {
  const TWave& wave = session.Wave;
  const Selection& sel = session.View.Sel;
  const FrameSpan selected = FramesInside(sel.SelStart, sel.SelEnd, wave.SampleCount());
  // A selection without a frame of the sound is refused before anything is removed.
  const bool none = selected.Begin == selected.End;
  switch (how) {
    case Recording::Selection: return FramesRecord(wave, sel.SelStart, sel.SelEnd);
    case Recording::Delay: {
      int64_t delay = 0;
      try {
        delay = DelayFrames(ParseDelayMs(args.empty() ? std::string() : args[0]), wave.SampleRate());
      } catch (const std::exception&) {
        // Refused before anything is written.
      }
      return FramesRecord(wave, sel.SelStart, std::max<int64_t>(sel.SelEnd, sel.SelStart + delay - 1));
    }
    case Recording::Whole: return FramesRecord(wave, 0, int64_t{wave.SampleCount()} - 1);
    case Recording::Expand:
      if (wave.Channels() == 1) return {.How = UndoRecord::Kind::Image};
      return FramesRecord(wave, 0, int64_t{wave.SampleCount()} - 1);
    case Recording::Reverse:
      if (sel.SelStart < 0 || int64_t{sel.SelEnd} >= int64_t{wave.SampleCount()})
        return FramesRecord(wave, sel.SelStart, sel.SelEnd);
      return RerunRecord(wave, sel, ReverseSelection);
    case Recording::Invert:
      return RerunRecord(wave, sel, [](TWave& w, const Selection& s, Progress& p) { ApplyWindow(w, s, p, WindowKind::Invert); });
    case Recording::Image: return {.How = UndoRecord::Kind::Image};
    case Recording::Removal: return {.How = UndoRecord::Kind::Removal, .Removed = {selected}};
    case Recording::Crop:
      if (none) return {.How = UndoRecord::Kind::Removal};
      return {.How = UndoRecord::Kind::Removal, .Removed = {{0, selected.Begin}, {selected.End, wave.SampleCount()}}};
    case Recording::Insertion:
      return {.How = UndoRecord::Kind::Insertion, .First = std::clamp<int64_t>(sel.SelStart, 0, wave.SampleCount())};
    case Recording::None: break;
  }
  throw std::logic_error("A recording kind without a record");
}

// The bytes of the image past its sound data, which a change of length drops.
size_t TrailerSize(const TWave& wave) {
  const size_t data = kWaveHeaderSize + size_t{wave.SampleCount()} * wave.FrameBytes();
  return wave.Image().size() > data ? wave.Image().size() - data : 0;
}

// What the entry of `record` will keep of the sound as it stands.
uint64_t KeptBytes(const TWave& wave, const UndoRecord& record) {
  const uint64_t frameBytes = wave.FrameBytes();
  switch (record.How) {
    case UndoRecord::Kind::Frames: return static_cast<uint64_t>(std::max<int64_t>(record.Last - record.First + 1, 0)) * frameBytes;
    case UndoRecord::Kind::Rerun: return 0;
    case UndoRecord::Kind::Image: return wave.Image().size();
    case UndoRecord::Kind::Removal: {
      uint64_t bytes = TrailerSize(wave);
      for (const FrameSpan& span : record.Removed) bytes += static_cast<uint64_t>(span.End - span.Begin) * frameBytes;
      return bytes;
    }
    case UndoRecord::Kind::Insertion: return TrailerSize(wave);
  }
  return 0;
}

// The header and whatever follows the sound data: a change of length rewrites the one and drops
// the other, and its entry brings both back.
void KeepEnds(const TWave& wave, UndoEntry& entry) {
  entry.Header = wave.Header();
  const std::vector<uint8_t>& image = wave.Image();
  entry.Bytes.assign(image.end() - static_cast<std::ptrdiff_t>(TrailerSize(wave)), image.end());
}

// The entry before the command runs: the bytes it may change, copied once.
void Prepare(const TWave& wave, const UndoRecord& record, UndoEntry& entry) {
  const std::vector<uint8_t>& image = wave.Image();
  const size_t frameBytes = wave.FrameBytes();
  switch (record.How) {
    case UndoRecord::Kind::Frames:
      entry.How = UndoEntry::Kind::Frames;
      if (record.Last < record.First) return;
      entry.Offset = kWaveHeaderSize + static_cast<size_t>(record.First) * frameBytes;
      entry.Bytes = CopyOfBytes(image.data() + entry.Offset, static_cast<size_t>(record.Last + 1 - record.First) * frameBytes);
      return;
    case UndoRecord::Kind::Rerun:
      entry.How = UndoEntry::Kind::Rerun;
      entry.Rerun = record.Rerun;
      return;
    case UndoRecord::Kind::Image: entry.How = UndoEntry::Kind::Image; return;
    case UndoRecord::Kind::Removal:
      entry.How = UndoEntry::Kind::Splice;
      KeepEnds(wave, entry);
      for (const FrameSpan& span : record.Removed) {
        if (span.End <= span.Begin) continue;
        const uint8_t* from = image.data() + kWaveHeaderSize + static_cast<size_t>(span.Begin) * frameBytes;
        entry.Pieces.push_back({static_cast<uint32_t>(span.Begin), static_cast<uint32_t>(span.End - span.Begin),
                                CopyOfBytes(from, static_cast<size_t>(span.End - span.Begin) * frameBytes)});
      }
      return;
    case UndoRecord::Kind::Insertion:
      entry.How = UndoEntry::Kind::Splice;
      KeepEnds(wave, entry);
      return;
  }
}

// The entry once the command has run (or failed): what it left to undo. False when it changed
// nothing at all.
bool Complete(Session& session, const UndoRecord& record, uint32_t framesBefore, bool failed, UndoEntry& entry) {
  TWave& wave = session.Wave;
  const bool viewChanged = !(entry.View == session.View);
  switch (entry.How) {
    case UndoEntry::Kind::Frames:
      return !failed || viewChanged ||
             (!entry.Bytes.empty() && std::memcmp(entry.Bytes.data(), wave.Image().data() + entry.Offset, entry.Bytes.size()) != 0);
    case UndoEntry::Kind::Rerun: return true;
    case UndoEntry::Kind::Image:
      wave.KeepReplacedImage(false);
      entry.Bytes = wave.TakeReplacedImage(entry.Header);
      // A conversion that found the sound already so kept it: only the view may have changed.
      if (entry.Bytes.empty()) entry.How = UndoEntry::Kind::Frames;
      return !failed || viewChanged || entry.How == UndoEntry::Kind::Image;
    case UndoEntry::Kind::Splice: {
      const uint32_t framesAfter = wave.SampleCount();
      if (record.How == UndoRecord::Kind::Insertion && framesAfter > framesBefore)
        entry.Pieces.push_back({static_cast<uint32_t>(record.First), framesAfter - framesBefore, {}});
      // Refused before the splice, or a crop that kept every frame: no frame came or went, but
      // the crop still rewrote the header and dropped what followed the data.
      if (framesAfter == framesBefore) entry.Pieces.clear();
      const std::vector<uint8_t>& image = wave.Image();
      const bool sameEnds = std::memcmp(&entry.Header, &wave.Header(), sizeof entry.Header) == 0 &&
                            TrailerSize(wave) == entry.Bytes.size() &&
                            std::equal(entry.Bytes.begin(), entry.Bytes.end(), image.end() - static_cast<std::ptrdiff_t>(entry.Bytes.size()));
      return !failed || viewChanged || framesAfter != framesBefore || !sameEnds;
    }
  }
  return true;
}

// The entry's side and the session's side change places.
void Swap(Session& session, UndoEntry& entry) {
  TWave& wave = session.Wave;
  switch (entry.How) {
    case UndoEntry::Kind::Frames:
      if (!entry.Bytes.empty()) wave.SwapBytes(entry.Offset, entry.Bytes.data(), entry.Bytes.size());
      break;
    case UndoEntry::Kind::Rerun: entry.Rerun(wave); break;
    case UndoEntry::Kind::Image: wave.SwapImage(entry.Bytes, entry.Header); break;
    case UndoEntry::Kind::Splice: wave.ExchangeFrames(entry.Pieces, entry.Header, entry.Bytes); break;
  }
  std::swap(session.View, entry.View);
}

}  // namespace

bool IsRecorded(CommandId command) { return EntryOf(command).Undo != Recording::None; }

UndoRecord RecordOf(CommandId command, const Session& session, std::span<const std::string> args) {
  const CommandEntry& entry = EntryOf(command);
  UndoRecord record = RecordFor(entry.Undo, session, args);
  record.Name = entry.Name;
  return record;
}

void RunRecorded(Session& session, const UndoRecord& record, const std::function<void()>& command) {
  UndoHistory& history = session.Undo;
  TWave& wave = session.Wave;
  if (history.DepthLimit() == 0) {
    // No entry could be reached: nothing is copied or kept.
    history.Clear();
    session.Changes.Did();
    command();
    return;
  }
  const uint64_t kept = KeptBytes(wave, record) + sizeof(UndoEntry);
  if (kept > history.Budget()) {
    // Too large to keep: the command runs unrecorded, and what was before it cannot be reached
    // once it may have changed anything: a refusal comes before any change.
    try {
      command();
    } catch (const InputRefused&) {
      throw;
    } catch (...) {
      history.DropAll(record.Name, kept);
      session.Changes.Did();
      throw;
    }
    history.DropAll(record.Name, kept);
    session.Changes.Did();
    return;
  }
  history.MakeRoom(kept);
  UndoEntry entry;
  entry.Name = record.Name;
  entry.View = session.View;
  Prepare(wave, record, entry);
  const uint32_t framesBefore = wave.SampleCount();
  if (entry.How == UndoEntry::Kind::Image) wave.KeepReplacedImage(true);
  try {
    command();
  } catch (...) {
    const bool changed = Complete(session, record, framesBefore, true, entry);
    if (entry.How == UndoEntry::Kind::Rerun) {
      // What a self-undoing command left half done cannot be taken back by running it again.
      history.Clear();
      session.Changes.Did();
    } else if (changed) {
      history.Push(std::move(entry));
      session.Changes.Did();
    }
    throw;
  }
  Complete(session, record, framesBefore, false, entry);
  history.Push(std::move(entry));
  session.Changes.Did();
}

void Undo(Session& session) {
  if (!session.Undo.CanUndo()) {
    const std::string& why = session.Undo.NotKept();
    throw InputRefused(why.empty() ? "Nothing to undo" : "Nothing to undo: " + why);
  }
  session.Undo.StepBack([&](UndoEntry& entry) { Swap(session, entry); });
  session.Changes.Undid();
}

void Redo(Session& session) {
  if (!session.Undo.CanRedo()) throw InputRefused("Nothing to redo");
  session.Undo.StepForward([&](UndoEntry& entry) { Swap(session, entry); });
  session.Changes.Redid();
}
