// Takes any bytes as text a user hands the editor: the content of an IIR file, or the words of a
// velorin-cli command that takes arguments. The first byte picks which (and the command), the
// second the format of the short sound the command works on. It insists that every input either
// runs, every number it parsed finite, or is refused with a message: an InputRefused, a
// CommandError or another std::runtime_error, a std::invalid_argument, or the std::domain_error
// of a result no sample can store, whose text is not empty and holds no control character that
// would reach the terminal raw. Any other exception, a crash
// or a sanitizer report is a finding.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_commands.h"
#include "processing/delay_effects.h"
#include "processing/document_commands.h"
#include "processing/errors.h"
#include "processing/format_commands.h"
#include "processing/iir_file.h"
#include "processing/number_text.h"
#include "state/progress.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "text_input_fuzz: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

void CheckMessage(const char* what) {
  const std::string_view message(what);
  if (message.empty()) Fail("a refusal without a message");
  for (const char c : message) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) Fail("a message with a control byte: " + std::string(message));
  }
}

// Runs `step`; a refusal by design is an answer, anything else thrown is a finding.
template <class Step>
bool Answered(Step&& step) {
  try {
    step();
    return true;
  } catch (const std::runtime_error& refusal) {  // InputRefused and CommandError among them
    CheckMessage(refusal.what());
  } catch (const std::invalid_argument& refusal) {
    CheckMessage(refusal.what());
  } catch (const std::domain_error& arithmetic) {  // a result no sample can store
    CheckMessage(arithmetic.what());
  } catch (const std::exception& other) {
    Fail(std::string("an exception that is no refusal: ") + other.what());
  }
  return false;
}

std::FILE* Discard() {
  static std::FILE* const sink = std::fopen("/dev/null", "w");
  if (!sink) Fail("cannot open /dev/null");
  return sink;
}

// The command lines' own words, split as a shell would hand them over: argv never holds a NUL.
std::vector<std::string> Words(std::string_view text, size_t count) {
  std::vector<std::string> words;
  while (words.size() < count && !text.empty()) {
    const size_t end = std::min(text.find('\0'), text.size());
    words.emplace_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  words.resize(count, "1");
  return words;
}

void CheckFinite(double value) {
  if (!std::isfinite(value)) Fail("a number parsed to " + std::to_string(value));
}

// What a command that reads files or devices, or works for as long as its number says, makes
// of its words: only the parsing, the way the command itself parses them.
bool ParsedOnly(const CommandEntry& command, const std::vector<std::string>& args) {
  const CommandId id = command.Id;
  if (id == CommandId::Open || id == CommandId::Save || id == CommandId::IIROpen) return true;  // paths, no numbers
  if (id == CommandId::New) {
    Answered([&] { CheckFinite(ParseNewWaveLength(args[0])); });
    return true;
  }
  if (id == CommandId::Record) {
    Answered([&] { CheckFinite(StrToFloat(args[0])); });
    return true;
  }
  // Gigabytes of silence are what was asked for, not a fault; a minute shows the insertion.
  if (id == CommandId::InsertSilence) {
    int32_t ms = 0;
    if (!Answered([&] { ms = ParseDelayMs(args[0]); })) return true;
    if (ms > 60000) return true;
  }
  // Printing two billion lines is what was asked for, not a fault; a few thousand show the parse.
  if (id == CommandId::Samples) {
    int32_t count = 0;
    if (!Answered([&] { count = StrToInt(args[1]); })) return true;
    if (count > 4096) return true;
  }
  return false;
}

void RunCommand(CliSession& session, uint8_t pick, std::string_view text) {
  std::vector<const CommandEntry*> withArguments;
  for (const CommandEntry& command : CommandTable()) {
    if (command.ArgCount > 0) withArguments.push_back(&command);
  }
  const CommandEntry& command = *withArguments[pick % withArguments.size()];
  const std::vector<std::string> args = Words(text, static_cast<size_t>(command.ArgCount));
  // The two parsers every number argument goes through, whatever the command makes of it.
  for (const std::string& word : args) {
    Answered([&] { CheckFinite(StrToFloat(word)); });
    Answered([&] { StrToInt(word); });
  }
  // A word the command line refuses never reaches the command (usage, exit 64).
  if (command.ArgsValid && !command.ArgsValid(args)) return;
  if (ParsedOnly(command, args)) return;
  Answered([&] { RunCliCommand(command, session, args); });
}

// The IIR file's content through the reader and the filter, as iir-open and iir-apply take it.
void RunIIRFile(CliSession& session, std::string_view content) {
  session.Coefficients = ParseIIRFile(content);
  for (const std::string* text : {&session.Coefficients.C0, &session.Coefficients.C1, &session.Coefficients.D1}) {
    if (text->find_first_of("\r\n") != std::string::npos) Fail("a coefficient holds a line end");
  }
  session.CoefficientsFile = "fuzz.iir";
  Answered([&] { RunCliCommand(EntryOf(CommandId::IIRApply), session, {}); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  NoProgress progress;
  CliSession session;
  session.Out = Discard();
  session.Gauge = &progress;
  // A hundredth of a second: 110 frames, enough for every routine to walk a selection.
  NewDocumentInMemory(session.Doc, "fuzz.wav", 0.01);
  if (data[1] & 1) ConvertFormat(session.Doc, FormatConversion::To16Bit);
  if (data[1] & 2) ConvertFormat(session.Doc, FormatConversion::ToStereo);
  if (data[1] & 4) ConvertFormat(session.Doc, FormatConversion::DoubleRate);
  const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
  if (data[0] & 1) {
    RunIIRFile(session, text);
  } else {
    RunCommand(session, static_cast<uint8_t>(data[0] >> 1), text);
  }
  return 0;
}
