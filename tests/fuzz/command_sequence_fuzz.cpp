// Runs a sequence of velorin-cli commands, chosen by the input, on a short sound of one of the
// layouts (8, 16, 24 or 32 bits or float, mono or stereo), in one session as velorin-cli runs them: every command of the table that needs
// no device, undo, redo, reload, copy, cut and paste among them. After every command the
// history's bytes must equal the sum of its entries measured afresh; at the end every command is
// undone, and the sound must be the one opened (or made, or reloaded) last; then as many are
// redone, and the sound must be the one the commands left. A crash, a sanitizer report or a
// difference is a finding.
//
// Input: the first byte picks the layout (bits 0, 1, 4 and 5), the sound's rate (bit 2: 8000 or
// 11025 Hz) and whether a chunk follows its data in the file (bit 3), the second its length in pairs of frames, the third the seed of its samples. Then
// each command is one byte picking it from the table, followed by one byte for each argument:
// one of the words below, or a small whole number.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_commands.h"
#include "processing/document_commands.h"
#include "state/progress.h"
#include "wave/wave_header.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "command_sequence_fuzz: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// A folder of this run's own, with the file every sequence opens, the one `save` writes and an
// IIR file for `iir-open`.
const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "command_sequence_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) Fail("cannot make a temporary folder");
    return std::filesystem::path(pattern);
  }();
  return folder;
}

std::string InFile() { return (Folder() / "in.wav").string(); }

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0)
    Fail("cannot write " + path);
}

// The words an argument byte below their count stands for: numbers that reach into a short
// sound and past it, the channel words, levels, the paths, and text that does not parse.
const std::vector<std::string>& Words() {
  static const std::vector<std::string> words = {
      "0", "1", "2", "3", "5", "9", "10", "20", "50", "90", "100", "150", "199", "200", "300", "999", "1000",
      "-1", "-7", "0.5", "-0.25", "2.5", "1e300", "x", "", "left", "right", "both", "4000", "2147483647",
      (Folder() / "in.wav").string(), (Folder() / "out.wav").string(), (Folder() / "coeffs.iir").string(),
      (Folder() / "missing.wav").string()};
  return words;
}

std::string Word(uint8_t byte) {
  const std::vector<std::string>& words = Words();
  if (byte < words.size()) return words[byte];
  return std::to_string(static_cast<int>(byte) - static_cast<int>(words.size()) - 16);
}

// The commands a sequence picks from: all but those that reach a device.
const std::vector<const CommandEntry*>& Commands() {
  static const std::vector<const CommandEntry*> commands = [] {
    std::vector<const CommandEntry*> found;
    for (const CommandEntry& command : CommandTable()) {
      const CommandId id = command.Id;
      if (id != CommandId::Record && id != CommandId::Play && id != CommandId::Devices) found.push_back(&command);
    }
    return found;
  }();
  return commands;
}

struct Sound {
  std::vector<uint8_t> Image;
  uint32_t Frames = 0;
  bool operator==(const Sound&) const = default;
};

Sound Take(const Session& session) { return {session.Wave.Image(), session.Wave.SampleCount()}; }

// A sound several commands could double again and again stops the sequence: its length is not
// what is being tried.
constexpr size_t kLargestImage = size_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  static const bool prepared = [] {
    WriteFile((Folder() / "coeffs.iir").string(), {'0', '.', '5', '\n', '0', '.', '5', '\n', '0', '\n'});
    return true;
  }();
  (void)prepared;
  const uint16_t channels = (data[0] & 1) ? 2 : 1;
  // Bits 4 and 5 widen the resolution: 0 leaves 8 or 16 to bit 1, then 24, 32 and float.
  const int wide = (data[0] >> 4) & 3;
  const uint16_t bits = wide == 0 ? ((data[0] & 2) ? 16 : 8) : wide == 1 ? 24 : 32;
  const bool floats = wide == 3;
  const uint32_t rate = (data[0] & 4) ? 11025 : 8000;
  const uint32_t frames = 2u * data[1];
  std::mt19937 random(data[2]);
  std::vector<uint8_t> samples(size_t{frames} * channels * bits / 8);
  if (floats) {
    // Values within full scale: a float sound may hold any, but random bits would be mostly NaN.
    std::uniform_real_distribution<float> value(-1, 1);
    for (size_t i = 0; i < samples.size(); i += 4) {
      const float v = value(random);
      std::memcpy(&samples[i], &v, 4);
    }
  } else {
    for (uint8_t& byte : samples) byte = static_cast<uint8_t>(random());
  }
  std::vector<uint8_t> image(kWaveHeaderSize);
  TWaveHeader header = CanonicalWaveHeader(channels, rate, bits, static_cast<uint32_t>(samples.size()));
  if (floats) header.FormatTag = 3;
  WriteWaveHeader(header, image.data());
  image.insert(image.end(), samples.begin(), samples.end());
  // A chunk after the data stays with the sound until its length changes; undo brings it back.
  if (data[0] & 8) {
    const uint8_t chunk[] = {'L', 'I', 'S', 'T', 2, 0, 0, 0, 'a', 'b'};
    image.insert(image.end(), std::begin(chunk), std::end(chunk));
  }
  WriteFile(InFile(), image);
  std::filesystem::remove(Folder() / "out.wav");

  char* printed = nullptr;
  size_t printedSize = 0;
  std::FILE* out = open_memstream(&printed, &printedSize);
  if (out == nullptr) Fail("cannot open a stream in memory");
  NoProgress gauge;
  CliSession session;
  session.Gauge = &gauge;
  session.Out = out;
  OpenDocument(session.Doc, InFile());
  Sound opened = Take(session.Doc);

  size_t at = 3;
  while (at < size && session.Doc.Wave.Image().size() <= kLargestImage) {
    const CommandEntry& command = *Commands()[data[at++] % Commands().size()];
    std::vector<std::string> args;
    for (int i = 0; i < command.ArgCount; ++i) args.push_back(Word(at < size ? data[at++] : 0));
    const CommandId id = command.Id;
    // velorin-cli refuses such a line before anything runs; a long sound is not what is tried.
    if (command.ArgsValid && !command.ArgsValid(args)) continue;
    if (id == CommandId::New && args[0] != "0.5" && args[0] != "0") continue;
    // Only files of this run's folder are written.
    if (id == CommandId::Save && args[0] != (Folder() / "out.wav").string()) continue;
    if (id == CommandId::Samples && args[1].size() > 3) continue;
    bool ran = true;
    try {
      RunCliCommand(command, session, args);
    } catch (const std::exception&) {
      // A refusal or a failure is an answer; the history must still be right.
      ran = false;
    }
    const UndoHistory& history = session.Doc.Undo;
    if (history.Held() != history.Measured())
      Fail("after " + std::string(command.Name) + " the history holds " + std::to_string(history.Held()) +
           " bytes, its entries " + std::to_string(history.Measured()));
    // A fresh sound, or a history emptied by a command other than undo and redo (one that failed
    // half way through a change it cannot take back), is where undoing everything leads.
    const bool fresh = ran && (id == CommandId::Open || id == CommandId::New || id == CommandId::Reload);
    const bool emptied = id != CommandId::Undo && id != CommandId::Redo && !history.CanUndo() && !history.CanRedo();
    if (fresh || emptied) opened = Take(session.Doc);
  }

  const Sound left = Take(session.Doc);
  int undone = 0;
  while (session.Doc.Undo.CanUndo()) {
    RunCliCommand(EntryOf(CommandId::Undo), session, {});
    ++undone;
  }
  if (!(Take(session.Doc) == opened)) Fail("undoing everything did not give back the sound opened");
  for (int i = 0; i < undone; ++i) RunCliCommand(EntryOf(CommandId::Redo), session, {});
  if (!(Take(session.Doc) == left)) Fail("redoing everything did not give back the sound the commands left");
  std::fclose(out);
  std::free(printed);
  return 0;
}
