#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "processing/linear_filters.h"
#include "state/progress.h"
#include "state/session.h"

// Every command of the editor, in the order the usage lists them. Code names a command by one of
// these; only its entry knows the word velorin-cli reads.
enum class CommandId : uint8_t {
  Open, New, Save, Reload, Undo, Redo, Info, Samples, Play, Record, Devices, Spectrum, Select,
  SelectAll, Channels, Copy, Cut, Paste, Delete, Crop, InsertSilence, DoubleRate, HalveRate,
  To16Bit, To8Bit, To24Bit, ToFloat, ToStereo, ToMono, CDFormat, Resample, Loudness,
  NormalizeLoudness, Mute, Normalize, RemoveDC, FadeIn, FadeOut, Hanning, Invert, Reverse,
  LowPass, HighPass, IIR, IIROpen, IIRApply, Wall, Delay, Echo, EchoRepeat, StereoExpand,
  AddNoise, Gate, Sine, Square,
};

// Whether a command works on the sound. The window simply ignores such a command without one; a
// script must not believe that a save or a change happened, so velorin-cli fails it.
enum class CommandNeeds { Nothing, Sound };

// How a command that changes the sound is recorded for undo.
enum class Recording {
  None,       // not recorded: the command leaves the sound alone, or replaces or steps the history
  Selection,  // the selected frames within the sound
  Delay,      // the selection, and the frames a pure delay silences past its end
  Whole,      // every frame changes in place
  Expand,     // a mono sound becomes a new stereo image; a stereo one changes in place, all of it
  Reverse,    // run again; a selection reaching past the sound silences frames, which are copied
  Invert,     // run again
  Image,      // a new image
  Removal,    // the selection's frames within the sound go
  Crop,       // all but the selection's frames within the sound go
  Insertion,  // frames come in before the selection's start
};

using CommandArgs = std::span<const std::string>;

// What the commands of one run share: the session the window would own, the custom filter's
// coefficients as the window's three edits would hold them, and where progress goes.
struct CommandContext {
  Session Doc;
  IIRTexts Coefficients;
  // The IIR file they were read from, for a message to point at its line; empty when typed.
  std::string CoefficientsFile;
  Progress* Gauge = nullptr;
};

struct CommandEntry {
  CommandId Id;
  std::string_view Name;
  int ArgCount;
  std::string_view ArgText;
  std::string_view Summary;
  CommandNeeds Needs;
  Recording Undo;
  // The words that must be right before anything runs (nullptr: any text). Numbers are read
  // only when the command runs, as the window reads what is typed, and fail with exit 2.
  bool (*ArgsValid)(CommandArgs args);
  // nullptr for a command whose work is printing or a sound device: the program running it
  // supplies that part.
  void (*Run)(CommandContext& context, CommandArgs args);
};

// Every entry in the order of CommandId.
std::span<const CommandEntry> CommandTable();
const CommandEntry& EntryOf(CommandId id);
// The entry velorin-cli reads as `name`; nullptr when there is none.
const CommandEntry* FindCommand(std::string_view name);
