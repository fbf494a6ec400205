#include "processing/command_registry.h"

#include <iterator>

#include "processing/amplitude_tools.h"
#include "processing/delay_effects.h"
#include "processing/document_commands.h"
#include "processing/edit_commands.h"
#include "processing/errors.h"
#include "processing/format_commands.h"
#include "processing/iir_file.h"
#include "processing/noise_signals.h"
#include "wave/sample_codes.h"
#include "processing/number_text.h"
#include "processing/resample.h"
#include "processing/undo_commands.h"

namespace {

// The command table's runs, apart from the ids they share names with.
namespace run {

using Ctx = CommandContext;
using Args = CommandArgs;

// Name of the sound `new` makes, until a save gives it a real one.
constexpr const char* kNewSoundName = "untitled.wav";

void New(Ctx& c, Args a) { NewDocumentInMemory(c.Doc, kNewSoundName, ParseNewWaveLength(a[0])); }
void Save(Ctx& c, Args a) { SaveDocument(c.Doc, a[0]); }
void Reload(Ctx& c, Args) { ReloadDocument(c.Doc); }
void UndoLast(Ctx& c, Args) { Undo(c.Doc); }
void RedoLast(Ctx& c, Args) { Redo(c.Doc); }

// The formats the window's record dialog offers.
bool IsRecordFormat(Args a) {
  return (a[1] == "44100" || a[1] == "22050" || a[1] == "11025") && FindRecordedFormat(a[2]) != nullptr &&
         (a[3] == "1" || a[3] == "2");
}

void Select(Ctx& c, Args a) {
  const int32_t selStart = StrToInt(a[0]);
  const int32_t selEnd = StrToInt(a[1]);
  c.Doc.View.Sel.SelStart = selStart;
  c.Doc.View.Sel.SelEnd = selEnd;
}

void SelectAllFrames(Ctx& c, Args) { SelectAll(c.Doc.View, c.Doc.Wave); }

bool IsChannelWord(Args a) { return a[0] == "left" || a[0] == "right" || a[0] == "both"; }

void Channels(Ctx& c, Args a) {
  c.Doc.View.Sel.Left = a[0] != "right";
  c.Doc.View.Sel.Right = a[0] != "left";
  ApplyChannelRules(c.Doc.View, c.Doc.Wave);
}

void Copy(Ctx& c, Args) { CopySelection(c.Doc); }
void Cut(Ctx& c, Args) { CutSelection(c.Doc); }
void Paste(Ctx& c, Args) { PasteClipboard(c.Doc); }
void Delete(Ctx& c, Args) { DeleteSelection(c.Doc); }
void Crop(Ctx& c, Args) { CropToSelection(c.Doc); }
void Silence(Ctx& c, Args a) { InsertSilence(c.Doc, a[0]); }

template <FormatConversion conversion>
void Convert(Ctx& c, Args) {
  ConvertFormat(c.Doc, conversion);
}

void CDFormat(Ctx& c, Args) { ConvertToCDFormat(c.Doc); }
void Resample(Ctx& c, Args a) { ResampleSound(c.Doc, *c.Gauge, a[0]); }

void Mute(Ctx& c, Args) { MuteSelection(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge); }

// The level is a whole number that the window's level selector can show, read as every other
// integer argument is; nothing else is accepted.
bool IsLevelWord(Args a) {
  try {
    return IsNormalizeLevel(StrToInt(a[0]));
  } catch (const CommandError&) {
    return false;
  }
}

void Normalize(Ctx& c, Args a) { NormalizeSelection(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge, StrToInt(a[0])); }
void RemoveDC(Ctx& c, Args) { RemoveDCOffset(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge); }

template <WindowKind kind>
void Window(Ctx& c, Args) {
  ApplyWindow(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge, kind);
}

void Reverse(Ctx& c, Args) { ReverseSelection(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge); }

template <FilterKind kind>
void RCFilter(Ctx& c, Args a) {
  RCFilterCommand(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge, kind, a[0]);
}

void IIRApply(Ctx& c, Args) { CustomIIRCommand(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge, c.Coefficients, c.CoefficientsFile); }

void IIR(Ctx& c, Args a) {
  c.Coefficients = {a[0], a[1], a[2]};
  c.CoefficientsFile.clear();
  IIRApply(c, a);
}

void IIROpen(Ctx& c, Args a) {
  c.Coefficients = ReadIIRFile(a[0]);
  c.CoefficientsFile = a[0];
}

void Wall(Ctx& c, Args a) { ApplyWallFilter(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge, WallMass(a[0], a[1])); }
void Delay(Ctx& c, Args a) { DelayCommand(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge, a[0]); }

void Echo(Ctx& c, Args a) {
  EchoCommand(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge, a[0], [&](std::string& amplitude) {
    amplitude = a[1];
    return true;
  });
}

void EchoRepeatRun(Ctx& c, Args a) { EchoRepeat(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge, PlanEchoRepeat(a[0], a[1])); }
void Expand(Ctx& c, Args) { StereoExpand(c.Doc, *c.Gauge); }
void Noise(Ctx& c, Args a) { AddNoiseCommand(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge, c.Doc.Program.Random, a[0]); }
void Gate(Ctx& c, Args a) { NoiseGateCommand(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge, a[0]); }

template <SignalKind kind>
void Signal(Ctx& c, Args a) {
  GenerateSignal(c.Doc.Wave, c.Doc.View.Sel, *c.Gauge, PlanSignal(kind, a[0], a[1]));
}

}  // namespace run

using enum CommandId;
using R = Recording;
constexpr CommandNeeds kAny = CommandNeeds::Nothing;
constexpr CommandNeeds kSound = CommandNeeds::Sound;

constexpr CommandEntry kCommands[] = {
    {Open, "open", 1, "PATH", "load the WAV file PATH (a missing one: silence)", kAny, R::None, nullptr, nullptr},
    {New, "new", 1, "SECONDS", "silent 8-bit mono 11025 Hz sound, not saved", kAny, R::None, nullptr, run::New},
    {Save, "save", 1, "PATH", "write the sound to PATH and reopen it", kSound, R::None, nullptr, run::Save},
    {Reload, "reload", 0, "", "drop the changes since open, new or save", kSound, R::None, nullptr, run::Reload},
    {Undo, "undo", 0, "", "take back the last command that changed the sound", kSound, R::None, nullptr, run::UndoLast},
    {Redo, "redo", 0, "", "do the last command taken back again", kSound, R::None, nullptr, run::RedoLast},
    {Info, "info", 0, "", "print rate, bits, channels, frames, length", kSound, R::None, nullptr, nullptr},
    {Samples, "samples", 2, "START COUNT", "print COUNT lines 'frame left right'", kSound, R::None, nullptr, nullptr},
    {Play, "play", 0, "", "play the sound and wait until it has been played", kSound, R::None, nullptr, nullptr},
    {Record, "record", 4, "SECONDS RATE BITS CHANNELS", "record from the default input into the scratch file, then open it", kAny, R::None, run::IsRecordFormat, nullptr},
    {Devices, "devices", 0, "", "list the input and output devices and the mixer's lines", kAny, R::None, nullptr, nullptr},
    {Spectrum, "spectrum", 0, "", "print 512 lines 'bin left_power right_power'", kSound, R::None, nullptr, nullptr},
    {Select, "select", 2, "START END", "select frames START..END", kSound, R::None, nullptr, run::Select},
    {SelectAll, "select-all", 0, "", "select the whole sound on both channels", kSound, R::None, nullptr, run::SelectAllFrames},
    {Channels, "channels", 1, "left|right|both", "the channels later commands work on", kSound, R::None, run::IsChannelWord, run::Channels},
    {Copy, "copy", 0, "", "copy the selected frames (both channels) to the clipboard", kSound, R::None, nullptr, run::Copy},
    {Cut, "cut", 0, "", "copy the selected frames to the clipboard, then delete them", kSound, R::Removal, nullptr, run::Cut},
    {Paste, "paste", 0, "", "insert the clipboard before frame START of the selection", kSound, R::Insertion, nullptr, run::Paste},
    {Delete, "delete", 0, "", "delete the selected frames (both channels)", kSound, R::Removal, nullptr, run::Delete},
    {Crop, "crop", 0, "", "keep only the selected frames (both channels)", kSound, R::Crop, nullptr, run::Crop},
    {InsertSilence, "insert-silence", 1, "MS", "insert MS milliseconds of silence before frame START", kSound, R::Insertion, nullptr, run::Silence},
    {DoubleRate, "double-rate", 0, "", "double the sample rate, interpolating", kSound, R::Image, nullptr, run::Convert<FormatConversion::DoubleRate>},
    {HalveRate, "halve-rate", 0, "", "halve the sample rate, averaging pairs", kSound, R::Image, nullptr, run::Convert<FormatConversion::HalveRate>},
    {To16Bit, "to-16bit", 0, "", "convert to 16-bit samples", kSound, R::Image, nullptr, run::Convert<FormatConversion::To16Bit>},
    {To8Bit, "to-8bit", 0, "", "convert to 8-bit samples", kSound, R::Image, nullptr, run::Convert<FormatConversion::To8Bit>},
    {To24Bit, "to-24bit", 0, "", "convert to 24-bit samples", kSound, R::Image, nullptr, run::Convert<FormatConversion::To24Bit>},
    {ToFloat, "to-float", 0, "", "convert to 32-bit float samples", kSound, R::Image, nullptr, run::Convert<FormatConversion::ToFloat>},
    {ToStereo, "to-stereo", 0, "", "copy the one channel into two", kSound, R::Image, nullptr, run::Convert<FormatConversion::ToStereo>},
    {ToMono, "to-mono", 0, "", "mix the two channels into one", kSound, R::Image, nullptr, run::Convert<FormatConversion::ToMono>},
    {CDFormat, "cd-format", 0, "", "convert to 44100 Hz 16-bit stereo", kSound, R::Image, nullptr, run::CDFormat},
    {Resample, "resample", 1, "RATE", "resample the whole sound to RATE Hz (8000..192000)", kSound, R::Image, nullptr, run::Resample},
    {Loudness, "loudness", 0, "", "print integrated loudness, range, sample and true peak", kSound, R::None, nullptr, nullptr},
    {NormalizeLoudness, "normalize-loudness", 2, "TARGET_LUFS CEILING_DBTP", "one gain to TARGET LUFS, true peak at most CEILING", kSound, R::Whole, nullptr, nullptr},
    {Mute, "mute", 0, "", "silence the selection", kSound, R::Selection, nullptr, run::Mute},
    {Normalize, "normalize", 1, "LEVEL", "scale the selection's peak to LEVEL % (0..100)", kSound, R::Selection, run::IsLevelWord, run::Normalize},
    {RemoveDC, "remove-dc", 0, "", "remove each channel's mean from the selection", kSound, R::Selection, nullptr, run::RemoveDC},
    {FadeIn, "fade-in", 0, "", "fade the selection in", kSound, R::Selection, nullptr, run::Window<WindowKind::FadeIn>},
    {FadeOut, "fade-out", 0, "", "fade the selection out", kSound, R::Selection, nullptr, run::Window<WindowKind::FadeOut>},
    {Hanning, "hanning", 0, "", "apply a Hanning window to the selection", kSound, R::Selection, nullptr, run::Window<WindowKind::Hanning>},
    {Invert, "invert", 0, "", "invert the selection", kSound, R::Invert, nullptr, run::Window<WindowKind::Invert>},
    {Reverse, "reverse", 0, "", "reverse the selection", kSound, R::Reverse, nullptr, run::Reverse},
    {LowPass, "low-pass", 1, "HZ", "first order RC low pass, -6 dB at HZ", kSound, R::Selection, nullptr, run::RCFilter<FilterKind::LowPass>},
    {HighPass, "high-pass", 1, "HZ", "first order RC high pass, -6 dB at HZ", kSound, R::Selection, nullptr, run::RCFilter<FilterKind::HighPass>},
    {IIR, "iir", 3, "C0 C1 D1", "y(n) = C0 x(n) + C1 x(n-1) + D1 y(n-1)", kSound, R::Selection, nullptr, run::IIR},
    {IIROpen, "iir-open", 1, "PATH", "read the coefficients from an IIR file (at most 64 KiB)", kAny, R::None, nullptr, run::IIROpen},
    {IIRApply, "iir-apply", 0, "", "the IIR filter with the current coefficients", kSound, R::Selection, nullptr, run::IIRApply},
    {Wall, "wall", 2, "THICKNESS_CM DENSITY", "sound through a wall (density in kg/m3)", kSound, R::Selection, nullptr, run::Wall},
    {Delay, "delay", 1, "MS", "move the selection MS later, silence before", kSound, R::Delay, nullptr, run::Delay},
    {Echo, "echo", 2, "MS AMPLITUDE", "one echo MS later at AMPLITUDE % (1..100)", kSound, R::Selection, nullptr, run::Echo},
    {EchoRepeat, "echo-repeat", 2, "PERIOD_MS AMPLITUDE", "decaying echoes every PERIOD_MS (0..90 %)", kSound, R::Selection, nullptr, run::EchoRepeatRun},
    {StereoExpand, "stereo-expand", 0, "", "make stereo and widen with four short echoes", kSound, R::Expand, nullptr, run::Expand},
    {AddNoise, "add-noise", 1, "LEVEL", "add uniform noise of LEVEL % (0..100)", kSound, R::Selection, nullptr, run::Noise},
    {Gate, "gate", 1, "LEVEL", "silence what stays below LEVEL % (0..100)", kSound, R::Selection, nullptr, run::Gate},
    {Sine, "sine", 2, "F0 AMPLITUDE", "add a sine of F0 Hz at AMPLITUDE %", kSound, R::Selection, nullptr, run::Signal<SignalKind::Sine>},
    {Square, "square", 2, "F0 AMPLITUDE", "add a square wave of F0 Hz at AMPLITUDE %", kSound, R::Selection, nullptr, run::Signal<SignalKind::Square>},
};

// EntryOf indexes the table by id.
constexpr bool InIdOrder() {
  for (size_t i = 0; i < std::size(kCommands); ++i) {
    if (static_cast<size_t>(kCommands[i].Id) != i) return false;
  }
  return std::size(kCommands) == static_cast<size_t>(CommandId::Square) + 1;
}
static_assert(InIdOrder(), "the command table must hold every CommandId once, in its order");

}  // namespace

std::span<const CommandEntry> CommandTable() { return kCommands; }

const CommandEntry& EntryOf(CommandId id) { return kCommands[static_cast<size_t>(id)]; }

const CommandEntry* FindCommand(std::string_view name) {
  for (const CommandEntry& command : kCommands) {
    if (command.Name == name) return &command;
  }
  return nullptr;
}
