#include "cli/cli_commands.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <vector>

#include "processing/amplitude_tools.h"
#include "processing/document_commands.h"
#include "processing/errors.h"
#include "processing/format_commands.h"
#include "processing/number_text.h"

namespace {

// Name of the sound `new` makes, until a save gives it a real one.
constexpr const char* kNewSoundName = "untitled.wav";

// The window simply ignores these commands without a sound; a script must not believe that a
// save or a change happened, so here they fail.
void RequireSound(const CliSession& session) {
  if (!session.Wave.Loaded()) throw CommandError("No sound is open; use open or new first");
}

// An empty name would give a document that counts as none at all.
void RequireFileName(const std::string& path) {
  if (path.empty()) throw CommandError("The file name is empty");
}

void Open(CliSession& s, CliArgs a) {
  RequireFileName(a[0]);
  OpenDocument(s.Wave, s.State, a[0]);
  s.UnsavedNewSeconds.reset();
}

void New(CliSession& s, CliArgs a) {
  const double seconds = ParseNewWaveLength(a[0]);
  NewDocumentInMemory(s.Wave, s.State, kNewSoundName, seconds);
  s.UnsavedNewSeconds = seconds;
}

void Save(CliSession& s, CliArgs a) {
  RequireSound(s);
  RequireFileName(a[0]);
  SaveDocument(s.Wave, s.State, a[0]);
  s.UnsavedNewSeconds.reset();
}

void Reload(CliSession& s, CliArgs) {
  RequireSound(s);
  if (s.UnsavedNewSeconds) {
    NewDocumentInMemory(s.Wave, s.State, s.Wave.FileName(), *s.UnsavedNewSeconds);
  } else {
    OpenDocument(s.Wave, s.State, s.Wave.FileName());
  }
}

void Info(CliSession& s, CliArgs) {
  RequireSound(s);
  const TWave& w = s.Wave;
  std::fprintf(s.Out, "samplerate %u\nbits %u\nchannels %u\nframes %u\nduration %s\n",
               static_cast<unsigned>(w.SampleRate()), static_cast<unsigned>(w.BitsPerSample()),
               static_cast<unsigned>(w.Channels()), static_cast<unsigned>(w.SampleCount()),
               FormatRounded(w.Duration(), 2).c_str());
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
  RequireSound(s);
  const int32_t start = StrToInt(a[0]);
  const int32_t count = StrToInt(a[1]);
  if (count < 0) throw CommandError("The number of frames to print cannot be negative ('" + a[1] + "')");
  std::string line;
  for (int64_t frame = start; frame < int64_t{start} + count; ++frame) {
    // A frame number reaches the engine as the window's processing hands it over: a negative
    // one wraps to a frame far past the end, which reads 0.
    const auto index = static_cast<uint32_t>(frame);
    line = std::to_string(frame);
    line += ' ';
    AppendNumber(line, s.Wave.GetSample(index, false));
    line += ' ';
    AppendNumber(line, s.Wave.GetSample(index, true));
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), s.Out);
  }
}

void Select(CliSession& s, CliArgs a) {
  RequireSound(s);
  const int32_t selStart = StrToInt(a[0]);
  const int32_t selEnd = StrToInt(a[1]);
  s.State.Sel.SelStart = selStart;
  s.State.Sel.SelEnd = selEnd;
}

void SelectAllFrames(CliSession& s, CliArgs) {
  RequireSound(s);
  SelectAll(s.State, s.Wave);
}

bool IsChannelWord(CliArgs a) { return a[0] == "left" || a[0] == "right" || a[0] == "both"; }

void Channels(CliSession& s, CliArgs a) {
  RequireSound(s);
  s.State.Sel.Left = a[0] != "right";
  s.State.Sel.Right = a[0] != "left";
  ApplyChannelRules(s.State, s.Wave);
}

void Mute(CliSession& s, CliArgs) {
  RequireSound(s);
  MuteSelection(s.Wave, s.State.Sel, *s.Gauge);
}

// The level selector goes from 0 to 100 in whole steps; nothing else can be set there.
bool IsNormalizeLevel(CliArgs a) {
  int level = -1;
  const std::string& text = a[0];
  const auto result = std::from_chars(text.data(), text.data() + text.size(), level);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && level >= 0 &&
         level <= 100;
}

void Normalize(CliSession& s, CliArgs a) {
  RequireSound(s);
  NormalizeSelection(s.Wave, s.State.Sel, *s.Gauge, std::stoi(a[0]));
}

void RemoveDC(CliSession& s, CliArgs) {
  RequireSound(s);
  RemoveDCOffset(s.Wave, s.State.Sel, *s.Gauge);
}

template <WindowKind kind>
void Window(CliSession& s, CliArgs) {
  RequireSound(s);
  ApplyWindow(s.Wave, s.State.Sel, *s.Gauge, kind);
}

void Reverse(CliSession& s, CliArgs) {
  RequireSound(s);
  ReverseSelection(s.Wave, s.State.Sel, *s.Gauge);
}

template <FormatConversion conversion>
void Convert(CliSession& s, CliArgs) {
  RequireSound(s);
  ConvertFormat(s.Wave, s.State, conversion);
  SelectAll(s.State, s.Wave);
}

void CDFormat(CliSession& s, CliArgs) {
  RequireSound(s);
  ConvertToCDFormat(s.Wave, s.State);
  SelectAll(s.State, s.Wave);
}

// Commands in the order the usage lists them.
const std::vector<CliCommand>& Commands() {
  static const std::vector<CliCommand> commands = {
      {"open", 1, "PATH", "load the WAV file PATH (a missing one: silence)", nullptr, Open},
      {"new", 1, "SECONDS", "silent 8-bit mono 11025 Hz sound, not saved", nullptr, New},
      {"save", 1, "PATH", "write the sound to PATH and reopen it", nullptr, Save},
      {"reload", 0, "", "drop the changes since open, new or save", nullptr, Reload},
      {"info", 0, "", "print rate, bits, channels, frames, length", nullptr, Info},
      {"samples", 2, "START COUNT", "print COUNT lines 'frame left right'", nullptr, Samples},
      {"select", 2, "START END", "select frames START..END", nullptr, Select},
      {"select-all", 0, "", "select the whole sound on both channels", nullptr, SelectAllFrames},
      {"channels", 1, "left|right|both", "the channels later commands work on", IsChannelWord, Channels},
      {"double-rate", 0, "", "double the sample rate, interpolating", nullptr, Convert<FormatConversion::DoubleRate>},
      {"halve-rate", 0, "", "halve the sample rate, averaging pairs", nullptr, Convert<FormatConversion::HalveRate>},
      {"to-16bit", 0, "", "convert to 16-bit samples", nullptr, Convert<FormatConversion::To16Bit>},
      {"to-8bit", 0, "", "convert to 8-bit samples", nullptr, Convert<FormatConversion::To8Bit>},
      {"to-stereo", 0, "", "copy the one channel into two", nullptr, Convert<FormatConversion::ToStereo>},
      {"to-mono", 0, "", "mix the two channels into one", nullptr, Convert<FormatConversion::ToMono>},
      {"cd-format", 0, "", "convert to 44100 Hz 16-bit stereo", nullptr, CDFormat},
      {"mute", 0, "", "silence the selection", nullptr, Mute},
      {"normalize", 1, "LEVEL", "scale the selection's peak to LEVEL % (0..100)", IsNormalizeLevel, Normalize},
      {"remove-dc", 0, "", "remove each channel's mean from the selection", nullptr, RemoveDC},
      {"fade-in", 0, "", "fade the selection in", nullptr, Window<WindowKind::FadeIn>},
      {"fade-out", 0, "", "fade the selection out", nullptr, Window<WindowKind::FadeOut>},
      {"hanning", 0, "", "apply a Hanning window to the selection", nullptr, Window<WindowKind::Hanning>},
      {"invert", 0, "", "invert the selection", nullptr, Window<WindowKind::Invert>},
      {"reverse", 0, "", "reverse the selection", nullptr, Reverse},
  };
  return commands;
}

}  // namespace

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
      "failed; 64 the command line is wrong, and nothing ran.\n";
  return usage;
}
