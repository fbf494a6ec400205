#include "processing/edit_commands.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "processing/delay_effects.h"
#include "processing/engine_frame.h"
#include "processing/errors.h"
#include "processing/non_numbers.h"
#include "state/session.h"

namespace {

int64_t LastFrame(const TWave& wave) { return int64_t{wave.SampleCount()} - 1; }

// The selection's frames within the sound; refused when it holds none.
FrameSpan SelectedFrames(const Session& session) {
  const Selection& sel = session.View.Sel;
  const FrameSpan span = FramesInside(sel.SelStart, sel.SelEnd, session.Wave.SampleCount());
  if (span.Begin == span.End) throw InputRefused(kNothingSelected);
  return span;
}

// Where an insertion goes: before the selection's start, within 0 .. the frame count.
uint32_t InsertionPoint(const Session& session) {
  return static_cast<uint32_t>(std::clamp<int64_t>(session.View.Sel.SelStart, 0, session.Wave.SampleCount()));
}

void CheckLength(const TWave& wave, uint64_t frames) {
  const uint64_t dataSize = frames * wave.FrameBytes();
  if (dataSize >= DataSizeLimit(wave.FrameBytes()))
    throw InputRefused("The edited sound would be too large (" + TooLargeText(dataSize, wave.FrameBytes()) + ")");
}

void ClipView(ViewState& view, const TWave& wave) {
  const int64_t last = LastFrame(wave);
  view.ViewEnd = static_cast<int32_t>(std::min<int64_t>(view.ViewEnd, last));
  view.ViewStart = static_cast<int32_t>(std::min<int64_t>(view.ViewStart, std::max<int64_t>(last, 0)));
}

void SelectFrames(ViewState& view, int64_t first, int64_t last) {
  view.Sel.SelStart = static_cast<int32_t>(first);
  view.Sel.SelEnd = static_cast<int32_t>(last);
}

// `frames` frames from `inserted` (silence when null) before the insertion point, then selected.
void Insert(Session& session, const uint8_t* inserted, uint64_t frames) {
  TWave& wave = session.Wave;
  CheckLength(wave, uint64_t{wave.SampleCount()} + frames);
  const uint32_t at = InsertionPoint(session);
  const uint32_t count = wave.SampleCount();
  wave.SpliceFrames({0, at, inserted, static_cast<uint32_t>(frames), at, count});
  SelectFrames(session.View, at, int64_t{at} + static_cast<int64_t>(frames) - 1);
  ClipView(session.View, wave);
}

// The clip in the document's channels and bits: widened first and narrowed last, so that a
// stereo-to-mono mean is taken at the finer resolution.
void ConvertLike(TWave& clip, const TWave& wave) {
  // The kinds of samples stand in the order of their resolution, floats the finest.
  if (wave.Kind() > clip.Kind()) clip.ConvertResolution(wave.Kind());
  if (wave.Channels() == 1) {
    clip.ConvertToMono();
  } else {
    clip.ConvertToStereo();
  }
  if (wave.Kind() < clip.Kind()) clip.ConvertResolution(wave.Kind());
}

}  // namespace

void CopySelection(Session& session) {
  const FrameSpan span = SelectedFrames(session);
  const TWave& wave = session.Wave;
  const size_t frameBytes = wave.FrameBytes();
  const uint8_t* data = wave.Image().data() + kWaveHeaderSize;
  const auto dataSize = static_cast<uint32_t>((span.End - span.Begin) * frameBytes);
  std::vector<uint8_t> image(kWaveHeaderSize);
  image.reserve(kWaveHeaderSize + dataSize);
  TWaveHeader header = CanonicalWaveHeader(wave.Channels(), wave.SampleRate(), wave.BitsPerSample(), dataSize);
  header.FormatTag = wave.Header().FormatTag;  // floats or integers
  WriteWaveHeader(header, image.data());
  image.insert(image.end(), data + span.Begin * frameBytes, data + span.End * frameBytes);
  session.Program.Clip.Image = std::move(image);
}

void DeleteSelection(Session& session) {
  const FrameSpan span = SelectedFrames(session);
  TWave& wave = session.Wave;
  const uint32_t count = wave.SampleCount();
  wave.SpliceFrames({0, static_cast<uint32_t>(span.Begin), nullptr, 0, static_cast<uint32_t>(span.End), count});
  const int64_t first = std::min(span.Begin, std::max<int64_t>(LastFrame(wave), 0));
  SelectFrames(session.View, first, std::min(first + 1, LastFrame(wave)));
  ClipView(session.View, wave);
}

void CutSelection(Session& session) {
  CopySelection(session);
  DeleteSelection(session);
}

void CropToSelection(Session& session) {
  const FrameSpan span = SelectedFrames(session);
  TWave& wave = session.Wave;
  const uint32_t count = wave.SampleCount();
  wave.SpliceFrames({static_cast<uint32_t>(span.Begin), static_cast<uint32_t>(span.End), nullptr, 0, count, count});
  SelectAll(session.View, wave);
  ClipView(session.View, wave);
}

void PasteClipboard(Session& session) {
  const Clipboard& clipboard = session.Program.Clip;
  if (clipboard.Empty()) throw InputRefused(kClipboardEmpty);
  const TWaveHeader format = clipboard.Format();
  const TWave& wave = session.Wave;
  if (format.SampleRate != wave.SampleRate())
    throw InputRefused("The clipboard holds " + std::to_string(format.SampleRate) + " Hz sound; the document is " +
                       std::to_string(wave.SampleRate()) + " Hz.");
  const uint64_t frames = format.DataSize / format.BlockAlign;
  if (format.Channels == wave.Channels() && format.BitsPerSample == wave.BitsPerSample() &&
      format.FormatTag == wave.Header().FormatTag) {
    Insert(session, clipboard.Image.data() + kWaveHeaderSize, frames);
    return;
  }
  CheckLength(wave, uint64_t{wave.SampleCount()} + frames);
  TWave clip;
  clip.LoadFromImage("clipboard", clipboard.Image);
  // Only a mean or another resolution computes with the clip's values; a copy into two channels
  // carries them.
  if (wave.Kind() != clip.Kind()) {
    RefuseUnconvertible(clip, wave.Kind(), "paste", " of the clipboard");
  } else if (wave.Channels() < clip.Channels()) {
    RefuseNonNumbers(clip, "paste", " of the clipboard");
  }
  ConvertLike(clip, wave);
  Insert(session, clip.Image().data() + kWaveHeaderSize, frames);
}

void InsertSilence(Session& session, const std::string& msText) {
  const int64_t frames = DelayFrames(ParseDelayMs(msText), session.Wave.SampleRate());
  if (frames == 0) throw InputRefused(kAbortingOperation);
  Insert(session, nullptr, static_cast<uint64_t>(frames));
}
