#include "cli/cli_commands.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "audio/device_listing.h"
#include "audio/message_loop.h"
#include "audio/platform/portaudio_output_devices.h"
#include "audio/platform/portaudio_sound_player.h"
#include "audio/platform/sound_system_watch.h"
#include "audio/platform/system_sound_card.h"
#include "cli/cli_record.h"
#include "processing/document_commands.h"
#include "processing/errors.h"
#include "processing/message_text.h"
#include "processing/number_text.h"
#include "processing/undo_commands.h"
#include "analysis/loudness.h"
#include "analysis/spectrum.h"

void ReportEndsEarly(const Session& session) {
  const std::string notice = EndsEarlyNotice(session);
  if (!notice.empty()) std::fprintf(stderr, "%s\n", notice.c_str());
}

namespace {

void Open(CliSession& s, CommandArgs a) {
  OpenDocument(s.Doc, a[0]);
  ReportEndsEarly(s.Doc);
}

void Info(CliSession& s, CommandArgs) {
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

void Samples(CliSession& s, CommandArgs a) {
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

void Spectrum(CliSession& s, CommandArgs) {
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

void ListDevices(CliSession& s, CommandArgs) {
  // The mixer delivers its notifications through the message loop.
  EnsureMessageLoop();
  SystemSoundCard card;
  TAudio audio(card.Card());
  PortAudioOutputDevices outputs;
  const std::string listing = DeviceListing(audio, outputs);
  if (!SoundSystemAnswers()) throw CommandError(kSoundSystemSilentText);
  std::fputs(listing.c_str(), s.Out);
}

// Play, waiting out the sound's duration as the window's gauge does.
void Play(CliSession& s, CommandArgs) {
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

void Loudness(CliSession& s, CommandArgs) {
  std::fputs(LoudnessReport(MeasureLoudness(s.Doc.Wave, *s.Gauge)).c_str(), s.Out);
}

void NormalizeLoudnessCommand(CliSession& s, CommandArgs a) {
  const LoudnessGain gain = NormalizeLoudness(s.Doc.Wave, *s.Gauge, a[0], a[1]);
  if (gain.Limited) std::fprintf(stderr, "%s\n", LimitedGainText(gain).c_str());
}

// The commands whose work is printing or a sound device, which their entries leave to the CLI.
struct CliRun {
  CommandId Command;
  void (*Run)(CliSession& session, CommandArgs args);
};

constexpr CliRun kCliRuns[] = {
    {CommandId::Open, Open},         {CommandId::Info, Info},
    {CommandId::Samples, Samples},   {CommandId::Play, Play},
    {CommandId::Record, Record},     {CommandId::Devices, ListDevices},
    {CommandId::Spectrum, Spectrum}, {CommandId::Loudness, Loudness},
    {CommandId::NormalizeLoudness, NormalizeLoudnessCommand},
};

void Run(const CommandEntry& command, CliSession& session, CommandArgs args) {
  if (command.Run) return command.Run(session, args);
  for (const CliRun& run : kCliRuns) {
    if (run.Command == command.Id) return run.Run(session, args);
  }
  throw std::logic_error("Nothing runs " + std::string(command.Name));
}

}  // namespace

void RunCliCommand(const CommandEntry& command, CliSession& session, CommandArgs args) {
  if (command.Needs == CommandNeeds::Sound && !session.Doc.Wave.Loaded())
    throw CommandError("No sound is open; use open or new first");
  if (!IsRecorded(command.Id)) {
    Run(command, session, args);
    return;
  }
  RunRecorded(session.Doc, RecordOf(command.Id, session.Doc, args), [&] { Run(command, session, args); });
}

std::string CliUsage() {
  std::string usage =
      "usage: velorin-cli [--progress] COMMAND [ARG]... [COMMAND [ARG]...]...\n"
      "Runs the commands left to right on one sound in memory; only save writes a file.\n"
      "--progress draws a progress bar on standard error while long commands run.\n\n"
      "commands:\n";
  for (const CommandEntry& command : CommandTable()) {
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
