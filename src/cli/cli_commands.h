#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "processing/linear_filters.h"
#include "processing/undo_commands.h"
#include "state/progress.h"
#include "state/session.h"

// What the commands of one velorin-cli run share: the session the window would own, and where
// results and progress go.
struct CliSession {
  Session Doc;
  // The custom filter's coefficients as the window's three edits would hold them.
  IIRTexts Coefficients;
  // The IIR file they were read from, for a message to point at its line; empty when typed.
  std::string CoefficientsFile;
  std::FILE* Out = stdout;
  Progress* Gauge = nullptr;
};

using CliArgs = std::span<const std::string>;

// After an open: says on standard error when the file held less than its header promised.
void ReportEndsEarly(const Session& session);

// Whether a command works on the sound. The window simply ignores such a command without one; a
// script must not believe that a save or a change happened, so velorin-cli fails it.
enum class CliNeeds { Nothing, Sound };

struct CliCommand {
  std::string_view Name;
  int ArgCount;
  std::string_view ArgText;
  std::string_view Summary;
  CliNeeds Needs;
  // The words that must be right before anything runs (nullptr: any text). Numbers are read
  // only when the command runs, as the window reads what is typed, and fail with exit 2.
  bool (*ArgsValid)(CliArgs args);
  void (*Run)(CliSession& session, CliArgs args);
};

const CliCommand* FindCliCommand(std::string_view name);
// Runs one command on the session: first the check that it has a sound when it needs one
// (CommandError), then the command itself, recorded for undo under its name when the undo table
// lists it.
void RunCliCommand(const CliCommand& command, CliSession& session, CliArgs args);
std::string CliUsage();
// Every command in the order the usage lists them, for what must describe each of them.
std::span<const CliCommand> CliCommands();
