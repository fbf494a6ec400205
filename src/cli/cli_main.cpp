#include <clocale>
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_progress.h"
#include "cli/cli_record.h"
#include "processing/document_commands.h"
#include "processing/errors.h"
#include "processing/message_text.h"
#include "processing/number_text.h"
#include "processing/undo_commands.h"
#include "velorin_version.h"

namespace {

constexpr int kAllRan = 0;
constexpr int kRefused = 1;
constexpr int kFailed = 2;
constexpr int kWrongCommandLine = 64;
constexpr char kCannotWriteOutput[] = "Cannot write to standard output";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Invocation {
  const CommandEntry* Command;
  std::vector<std::string> Args;
};

struct CommandLine {
  bool Progress = false;
  std::vector<Invocation> Invocations;
};

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

// The whole line is checked before the first command runs, so that a typo at its end cannot
// leave the work half done.
CommandLine ParseCommandLine(int argc, char** argv) {
  CommandLine line;
  int i = 1;
  if (i < argc && std::string_view(argv[i]) == "--progress") {
    line.Progress = true;
    ++i;
  }
  if (i >= argc) throw UsageError("no command given");
  while (i < argc) {
    const std::string name = argv[i++];
    const CommandEntry* command = FindCommand(name);
    if (!command) throw UsageError("unknown command " + QuotedForMessage(name));
    if (argc - i < command->ArgCount)
      throw UsageError("'" + name + "' needs " + std::to_string(command->ArgCount) +
                       (command->ArgCount == 1 ? " argument: " : " arguments: ") +
                       std::string(command->ArgText));
    Invocation invocation{command, {argv + i, argv + i + command->ArgCount}};
    i += command->ArgCount;
    if (command->ArgsValid && !command->ArgsValid(invocation.Args))
      throw UsageError("'" + name + "' takes " + std::string(command->ArgText) + ", not " +
                       QuotedForMessage(Joined(invocation.Args)));
    line.Invocations.push_back(std::move(invocation));
  }
  return line;
}

int Stop(CliProgress& progress, int code, const char* message) {
  progress.Finish();
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", message);
  return code;
}

// Printed results that never arrived (a full disk behind a redirection) are a failure too.
int FlushedOutput(int code) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "%s\n", kCannotWriteOutput);
    return kFailed;
  }
  return code;
}

// --help and --version count only alone: among commands they would be some command's argument,
// and a line that mixes them in is a wrong line, not a request for help.
std::optional<int> AnswerAlone(int argc, char** argv) {
  if (argc != 2) return std::nullopt;
  const std::string_view word = argv[1];
  if (word == "--help" || word == "-h") {
    std::fputs(CliUsage().c_str(), stdout);
  } else if (word == "--version") {
    std::printf("velorin-cli %s\n", kVelorinVersion);
  } else {
    return std::nullopt;
  }
  return FlushedOutput(kAllRan);
}

// The one shortcut of a run: `open PATH select START END crop` at invocation i reads only the
// frames it keeps, ending exactly as the three commands do one by one. It is taken only where no
// undo is still to come (`undosLeft`, counted from i on): an undo must find the whole sound behind
// the crop. False, with nothing run, where the three must run one after the other.
bool RanOpenCropped(const CommandLine& line, size_t i, size_t undosLeft, CliSession& session) {
  const auto named = [&](size_t k, CommandId command) {
    return k < line.Invocations.size() && line.Invocations[k].Command->Id == command;
  };
  if (undosLeft != 0) return false;
  if (!named(i, CommandId::Open) || !named(i + 1, CommandId::Select) || !named(i + 2, CommandId::Crop)) return false;
  const std::vector<std::string>& select = line.Invocations[i + 1].Args;
  int32_t selStart = 0, selEnd = 0;
  try {
    selStart = StrToInt(select[0]);
    selEnd = StrToInt(select[1]);
  } catch (const std::exception&) {
    return false;  // select refuses them after the open, as it always does
  }
  if (!OpenCropped(session.Doc, line.Invocations[i].Args[0], selStart, selEnd)) return false;
  ReportEndsEarly(session.Doc);
  return true;
}

int RunAll(const CommandLine& line) {
  CliProgress progress(line.Progress, stderr);
  CliSession session;
  session.Gauge = &progress;
  session.Doc.Wave.OnProgress = WaveProgressHandler(progress);
  // The history keeps no more entries than the undo commands still to come can reach, so that a
  // run without them holds no second copy of the sound.
  size_t undosLeft = 0;
  for (const Invocation& invocation : line.Invocations) undosLeft += invocation.Command->Id == CommandId::Undo;
  for (size_t i = 0; i < line.Invocations.size(); ++i) {
    const Invocation& invocation = line.Invocations[i];
    session.Doc.Undo.LimitDepth(undosLeft);
    undosLeft -= invocation.Command->Id == CommandId::Undo;
    try {
      if (RanOpenCropped(line, i, undosLeft, session)) {
        progress.Finish();
        i += 2;
        continue;
      }
      RunCliCommand(*invocation.Command, session, invocation.Args);
      progress.Finish();
      // What a command printed must have arrived before the next one runs: a save after an info
      // whose output was lost would report success for a run that failed.
      if (std::fflush(stdout) != 0 || std::ferror(stdout)) return Stop(progress, kFailed, kCannotWriteOutput);
      // A later undo would have needed the entry this command could not keep.
      if (IsRecorded(invocation.Command->Id) && !session.Doc.Undo.NotKept().empty())
        std::fprintf(stderr, "%s\n", session.Doc.Undo.NotKept().c_str());
    } catch (const CliInterrupted& interruption) {
      return Stop(progress, 128 + interruption.Signal, interruption.what());
    } catch (const InputRefused& refusal) {
      return Stop(progress, kRefused, refusal.what());
    } catch (const std::bad_alloc&) {
      return Stop(progress, kFailed, "Out of memory");
    } catch (const std::exception& error) {
      return Stop(progress, kFailed, error.what());
    }
  }
  return FlushedOutput(kAllRan);
}

}  // namespace

int main(int argc, char** argv) {
  // Numbers are read and printed with "." whatever the user's locale says.
  std::setlocale(LC_ALL, "C");
  // Past a file-size limit (ulimit -f) a write then fails with "File too large", which a save
  // reports with the target left as it was, instead of the process dying without a word.
  std::signal(SIGXFSZ, SIG_IGN);
  if (const std::optional<int> code = AnswerAlone(argc, argv)) return *code;
  CommandLine line;
  try {
    line = ParseCommandLine(argc, argv);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "velorin-cli: %s\n\n%s", error.what(), CliUsage().c_str());
    return kWrongCommandLine;
  }
  return RunAll(line);
}
