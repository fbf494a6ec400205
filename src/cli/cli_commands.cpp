#include "cli/cli_commands.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <thread>
#include <cstdint>
#include <vector>

#include "audio/device_listing.h"
#include "audio/message_loop.h"
#include "audio/platform/portaudio_sound_player.h"
#include "audio/platform/sound_system_watch.h"
#include "audio/platform/system_sound_card.h"
#include "cli/cli_record.h"
#include "processing/amplitude_tools.h"
#include "processing/delay_effects.h"
#include "processing/document_commands.h"
#include "processing/edit_commands.h"
#include "processing/errors.h"
#include "processing/format_commands.h"
#include "processing/iir_file.h"
#include "processing/linear_filters.h"
#include "processing/message_text.h"
#include "processing/noise_signals.h"
#include "processing/number_text.h"
#include "analysis/loudness.h"
#include "analysis/spectrum.h"
#include "processing/resample.h"

void ReportEndsEarly(const Session& session) {
  const std::string notice = EndsEarlyNotice(session);
  if (!notice.empty()) std::fprintf(stderr, "%s\n", notice.c_str());
}

namespace {

// Name of the sound `new` makes, until a save gives it a real one.
constexpr const char* kNewSoundName = "untitled.wav";

void Open(CliSession& s, CliArgs a) {
  OpenDocument(s.Doc, a[0]);
  ReportEndsEarly(s.Doc);
}

void New(CliSession& s, CliArgs a) { NewDocumentInMemory(s.Doc, kNewSoundName, ParseNewWaveLength(a[0])); }

void Save(CliSession& s, CliArgs a) { SaveDocument(s.Doc, a[0]); }

void Reload(CliSession& s, CliArgs) { ReloadDocument(s.Doc); }

void Info(CliSession& s, CliArgs) {
  const TWave& w = s.Doc.Wave;
  std::fprintf(s.Out, "samplerate %u\nbits %u\n%schannels %u\nframes %u\nduration %s\n",
               static_cast<unsigned>(w.SampleRate()), static_cast<unsigned>(w.BitsPerSample()),
               w.FloatSamples() ? "format float\n" : "", static_cast<unsigned>(w.Channels()),
               static_cast<unsigned>(w.SampleCount()), FormatRounded(w.Duration(), 2).c_str());
}

// Appends `value` with 17 significant digits, enough to read back the exact double; to_chars
// never looks at the locale.
void AppendNumber(std::string& line, double value) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::general, 17);
  line.append(buffer.data(), result.ptr);
}

void Samples(CliSession& s, CliArgs a) {
  const int32_t start = StrToInt(a[0]);
  const int32_t count = StrToInt(a[1]);
  if (count < 0) throw CommandError("The number of frames to print cannot be negative (" + QuotedForMessage(a[1]) + ")");
  std::string line;
  for (int64_t frame = start; frame < int64_t{start} + count; ++frame) {
    // A frame number reaches the engine as the window's processing hands it over: a negative
    // one wraps to a frame far past the end, which reads 0.
    const auto index = static_cast<uint32_t>(frame);
    line = std::to_string(frame);
    line += ' ';
    AppendNumber(line, s.Doc.Wave.GetSample(index, false));
    line += ' ';
    AppendNumber(line, s.Doc.Wave.GetSample(index, true));
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), s.Out);
  }
}

void Spectrum(CliSession& s, CliArgs) {
  const SpectrumPowers powers = ComputeSpectrum(s.Doc.Wave, s.Doc.View.Sel.SelStart);
  std::string line;
  for (int k = 0; k < kSpectrumBins; ++k) {
    line = std::to_string(k);
    line += ' ';
    AppendNumber(line, powers.Left[k]);
    line += ' ';
    AppendNumber(line, powers.Right[k]);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), s.Out);
  }
}

void Select(CliSession& s, CliArgs a) {
  const int32_t selStart = StrToInt(a[0]);
  const int32_t selEnd = StrToInt(a[1]);
  s.Doc.View.Sel.SelStart = selStart;
  s.Doc.View.Sel.SelEnd = selEnd;
}

void SelectAllFrames(CliSession& s, CliArgs) { SelectAll(s.Doc.View, s.Doc.Wave); }

bool IsChannelWord(CliArgs a) { return a[0] == "left" || a[0] == "right" || a[0] == "both"; }

void Channels(CliSession& s, CliArgs a) {
  s.Doc.View.Sel.Left = a[0] != "right";
  s.Doc.View.Sel.Right = a[0] != "left";
  ApplyChannelRules(s.Doc.View, s.Doc.Wave);
}

void Mute(CliSession& s, CliArgs) { MuteSelection(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge); }

// The level is a whole number that the window's level selector can show, read as every other
// integer argument is; nothing else is accepted.
bool IsLevelWord(CliArgs a) {
  try {
    return IsNormalizeLevel(StrToInt(a[0]));
  } catch (const CommandError&) {
    return false;
  }
}

void Normalize(CliSession& s, CliArgs a) {
  NormalizeSelection(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge, StrToInt(a[0]));
}

void RemoveDC(CliSession& s, CliArgs) { RemoveDCOffset(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge); }

template <WindowKind kind>
void Window(CliSession& s, CliArgs) {
  ApplyWindow(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge, kind);
}

void Reverse(CliSession& s, CliArgs) { ReverseSelection(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge); }

template <FilterKind kind>
void RCFilter(CliSession& s, CliArgs a) {
  RCFilterCommand(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge, kind, a[0]);
}

void IIRApply(CliSession& s, CliArgs) {
  CustomIIRCommand(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge, s.Coefficients, s.CoefficientsFile);
}

void IIR(CliSession& s, CliArgs a) {
  s.Coefficients = {a[0], a[1], a[2]};
  s.CoefficientsFile.clear();
  IIRApply(s, a);
}

void IIROpen(CliSession& s, CliArgs a) {
  s.Coefficients = ReadIIRFile(a[0]);
  s.CoefficientsFile = a[0];
}

void Wall(CliSession& s, CliArgs a) {
  ApplyWallFilter(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge, WallMass(a[0], a[1]));
}

void Delay(CliSession& s, CliArgs a) { DelayCommand(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge, a[0]); }

void Echo(CliSession& s, CliArgs a) {
  EchoCommand(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge, a[0], [&](std::string& amplitude) {
    amplitude = a[1];
    return true;
  });
}

void EchoRepeatCommand(CliSession& s, CliArgs a) {
  EchoRepeat(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge, PlanEchoRepeat(a[0], a[1]));
}

void Expand(CliSession& s, CliArgs) { StereoExpand(s.Doc, *s.Gauge); }

void Noise(CliSession& s, CliArgs a) {
  AddNoiseCommand(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge, s.Doc.Program.Random, a[0]);
}

void Gate(CliSession& s, CliArgs a) { NoiseGateCommand(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge, a[0]); }

template <SignalKind kind>
void Signal(CliSession& s, CliArgs a) {
  GenerateSignal(s.Doc.Wave, s.Doc.View.Sel, *s.Gauge, PlanSignal(kind, a[0], a[1]));
}

void ListDevices(CliSession& s, CliArgs) {
  // The mixer delivers its notifications through the message loop.
  EnsureMessageLoop();
  SystemSoundCard card;
  TAudio audio(card.Card());
  const std::string listing = DeviceListing(audio);
  if (!SoundSystemAnswers()) throw CommandError(kSoundSystemSilentText);
  std::fputs(listing.c_str(), s.Out);
}

// Play, waiting out the sound's duration as the window's gauge does.
void Play(CliSession& s, CliArgs) {
  PortAudioSoundPlayer player;
  TWave& wave = s.Doc.Wave;
  wave.SetSoundPlayer(&player);
  const bool playing = wave.Play();
  // A quarter of a second more for what the device still holds when the last frame was handed over.
  if (playing) std::this_thread::sleep_for(std::chrono::duration<double>(wave.Duration() + 0.25));
  // The player goes with this command; the document must not keep pointing at it.
  wave.SetSoundPlayer(nullptr);
  if (!playing) throw CommandError(SoundSystemAnswers() ? "No output device can play the sound" : kSoundSystemSilentText);
}

template <FormatConversion conversion>
void Convert(CliSession& s, CliArgs) {
  ConvertFormat(s.Doc, conversion);
}

void CDFormat(CliSession& s, CliArgs) { ConvertToCDFormat(s.Doc); }

void Resample(CliSession& s, CliArgs a) { ResampleSound(s.Doc, *s.Gauge, a[0]); }

void Loudness(CliSession& s, CliArgs) {
  std::fputs(LoudnessReport(MeasureLoudness(s.Doc.Wave, *s.Gauge)).c_str(), s.Out);
}

void NormalizeLoudnessCommand(CliSession& s, CliArgs a) {
  const LoudnessGain gain = NormalizeLoudness(s.Doc.Wave, *s.Gauge, a[0], a[1]);
  if (gain.Limited) std::fprintf(stderr, "%s\n", LimitedGainText(gain).c_str());
}

void Copy(CliSession& s, CliArgs) { CopySelection(s.Doc); }
void Cut(CliSession& s, CliArgs) { CutSelection(s.Doc); }
void Paste(CliSession& s, CliArgs) { PasteClipboard(s.Doc); }
void Delete(CliSession& s, CliArgs) { DeleteSelection(s.Doc); }
void Crop(CliSession& s, CliArgs) { CropToSelection(s.Doc); }
void Silence(CliSession& s, CliArgs a) { InsertSilence(s.Doc, a[0]); }

void UndoLast(CliSession& s, CliArgs) { Undo(s.Doc); }

void RedoLast(CliSession& s, CliArgs) { Redo(s.Doc); }

constexpr CliNeeds kAny = CliNeeds::Nothing;
constexpr CliNeeds kSound = CliNeeds::Sound;

// Commands in the order the usage lists them.
const std::vector<CliCommand>& Commands() {
  static const std::vector<CliCommand> commands = {
      {"open", 1, "PATH", "load the WAV file PATH (a missing one: silence)", kAny, nullptr, Open},
      {"new", 1, "SECONDS", "silent 8-bit mono 11025 Hz sound, not saved", kAny, nullptr, New},
      {"save", 1, "PATH", "write the sound to PATH and reopen it", kSound, nullptr, Save},
      {"reload", 0, "", "drop the changes since open, new or save", kSound, nullptr, Reload},
      {"undo", 0, "", "take back the last command that changed the sound", kSound, nullptr, UndoLast},
      {"redo", 0, "", "do the last command taken back again", kSound, nullptr, RedoLast},
      {"info", 0, "", "print rate, bits, channels, frames, length", kSound, nullptr, Info},
      {"samples", 2, "START COUNT", "print COUNT lines 'frame left right'", kSound, nullptr, Samples},
      {"play", 0, "", "play the sound and wait until it has been played", kSound, nullptr, Play},
      {"record", 4, "SECONDS RATE BITS CHANNELS", "record from the default input into the scratch file, then open it", kAny, IsRecordFormat, Record},
      {"devices", 0, "", "list the input and output devices and the mixer's lines", kAny, nullptr, ListDevices},
      {"spectrum", 0, "", "print 512 lines 'bin left_power right_power'", kSound, nullptr, Spectrum},
      {"select", 2, "START END", "select frames START..END", kSound, nullptr, Select},
      {"select-all", 0, "", "select the whole sound on both channels", kSound, nullptr, SelectAllFrames},
      {"channels", 1, "left|right|both", "the channels later commands work on", kSound, IsChannelWord, Channels},
      {"copy", 0, "", "copy the selected frames (both channels) to the clipboard", kSound, nullptr, Copy},
      {"cut", 0, "", "copy the selected frames to the clipboard, then delete them", kSound, nullptr, Cut},
      {"paste", 0, "", "insert the clipboard before frame START of the selection", kSound, nullptr, Paste},
      {"delete", 0, "", "delete the selected frames (both channels)", kSound, nullptr, Delete},
      {"crop", 0, "", "keep only the selected frames (both channels)", kSound, nullptr, Crop},
      {"insert-silence", 1, "MS", "insert MS milliseconds of silence before frame START", kSound, nullptr, Silence},
      {"double-rate", 0, "", "double the sample rate, interpolating", kSound, nullptr, Convert<FormatConversion::DoubleRate>},
      {"halve-rate", 0, "", "halve the sample rate, averaging pairs", kSound, nullptr, Convert<FormatConversion::HalveRate>},
      {"to-16bit", 0, "", "convert to 16-bit samples", kSound, nullptr, Convert<FormatConversion::To16Bit>},
      {"to-8bit", 0, "", "convert to 8-bit samples", kSound, nullptr, Convert<FormatConversion::To8Bit>},
      {"to-24bit", 0, "", "convert to 24-bit samples", kSound, nullptr, Convert<FormatConversion::To24Bit>},
      {"to-float", 0, "", "convert to 32-bit float samples", kSound, nullptr, Convert<FormatConversion::ToFloat>},
      {"to-stereo", 0, "", "copy the one channel into two", kSound, nullptr, Convert<FormatConversion::ToStereo>},
      {"to-mono", 0, "", "mix the two channels into one", kSound, nullptr, Convert<FormatConversion::ToMono>},
      {"cd-format", 0, "", "convert to 44100 Hz 16-bit stereo", kSound, nullptr, CDFormat},
      {"resample", 1, "RATE", "resample the whole sound to RATE Hz (8000..192000)", kSound, nullptr, Resample},
      {"loudness", 0, "", "print integrated loudness, range, sample and true peak", kSound, nullptr, Loudness},
      {"normalize-loudness", 2, "TARGET_LUFS CEILING_DBTP", "one gain to TARGET LUFS, true peak at most CEILING", kSound, nullptr, NormalizeLoudnessCommand},
      {"mute", 0, "", "silence the selection", kSound, nullptr, Mute},
      {"normalize", 1, "LEVEL", "scale the selection's peak to LEVEL % (0..100)", kSound, IsLevelWord, Normalize},
      {"remove-dc", 0, "", "remove each channel's mean from the selection", kSound, nullptr, RemoveDC},
      {"fade-in", 0, "", "fade the selection in", kSound, nullptr, Window<WindowKind::FadeIn>},
      {"fade-out", 0, "", "fade the selection out", kSound, nullptr, Window<WindowKind::FadeOut>},
      {"hanning", 0, "", "apply a Hanning window to the selection", kSound, nullptr, Window<WindowKind::Hanning>},
      {"invert", 0, "", "invert the selection", kSound, nullptr, Window<WindowKind::Invert>},
      {"reverse", 0, "", "reverse the selection", kSound, nullptr, Reverse},
      {"low-pass", 1, "HZ", "first order RC low pass, -6 dB at HZ", kSound, nullptr, RCFilter<FilterKind::LowPass>},
      {"high-pass", 1, "HZ", "first order RC high pass, -6 dB at HZ", kSound, nullptr, RCFilter<FilterKind::HighPass>},
      {"iir", 3, "C0 C1 D1", "y(n) = C0 x(n) + C1 x(n-1) + D1 y(n-1)", kSound, nullptr, IIR},
      {"iir-open", 1, "PATH", "read the coefficients from an IIR file (at most 64 KiB)", kAny, nullptr, IIROpen},
      {"iir-apply", 0, "", "the IIR filter with the current coefficients", kSound, nullptr, IIRApply},
      {"wall", 2, "THICKNESS_CM DENSITY", "sound through a wall (density in kg/m3)", kSound, nullptr, Wall},
      {"delay", 1, "MS", "move the selection MS later, silence before", kSound, nullptr, Delay},
      {"echo", 2, "MS AMPLITUDE", "one echo MS later at AMPLITUDE % (1..100)", kSound, nullptr, Echo},
      {"echo-repeat", 2, "PERIOD_MS AMPLITUDE", "decaying echoes every PERIOD_MS (0..90 %)", kSound, nullptr, EchoRepeatCommand},
      {"stereo-expand", 0, "", "make stereo and widen with four short echoes", kSound, nullptr, Expand},
      {"add-noise", 1, "LEVEL", "add uniform noise of LEVEL % (0..100)", kSound, nullptr, Noise},
      {"gate", 1, "LEVEL", "silence what stays below LEVEL % (0..100)", kSound, nullptr, Gate},
      {"sine", 2, "F0 AMPLITUDE", "add a sine of F0 Hz at AMPLITUDE %", kSound, nullptr, Signal<SignalKind::Sine>},
      {"square", 2, "F0 AMPLITUDE", "add a square wave of F0 Hz at AMPLITUDE %", kSound, nullptr, Signal<SignalKind::Square>},
  };
  return commands;
}

}  // namespace

void RunCliCommand(const CliCommand& command, CliSession& session, CliArgs args) {
  if (command.Needs == CliNeeds::Sound && !session.Doc.Wave.Loaded())
    throw CommandError("No sound is open; use open or new first");
  if (!IsRecorded(command.Name)) {
    command.Run(session, args);
    return;
  }
  RunRecorded(session.Doc, RecordOf(command.Name, session.Doc, args), [&] { command.Run(session, args); });
}

std::span<const CliCommand> CliCommands() { return Commands(); }

const CliCommand* FindCliCommand(std::string_view name) {
  for (const CliCommand& command : Commands()) {
    if (command.Name == name) return &command;
  }
  return nullptr;
}

std::string CliUsage() {
  std::string usage =
      "usage: velorin-cli [--progress] COMMAND [ARG]... [COMMAND [ARG]...]...\n"
      "Runs the commands left to right on one sound in memory; only save writes a file.\n"
      "--progress draws a progress bar on standard error while long commands run.\n\n"
      "commands:\n";
  for (const CliCommand& command : Commands()) {
    std::string head = "  " + std::string(command.Name);
    if (!command.ArgText.empty()) head += " " + std::string(command.ArgText);
    head.resize(std::max<size_t>(head.size() + 2, 32), ' ');
    usage += head + std::string(command.Summary) + "\n";
  }
  usage +=
      "\nexit status: 0 every command ran; 1 a command refused its input; 2 a command\n"
      "failed; 64 the command line is wrong, and nothing ran; 130 or 143 SIGINT or\n"
      "SIGTERM ended a recording, which was kept.\n";
  return usage;
}
