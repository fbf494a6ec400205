#pragma once

#include <cstdio>
#include <string>

#include "processing/command_registry.h"
#include "state/session.h"

// What the commands of one velorin-cli run share: what the engine's commands share, and where
// printed results go.
struct CliSession : CommandContext {
  std::FILE* Out = stdout;
};

// After an open: says on standard error when the file held less than its header promised.
void ReportEndsEarly(const Session& session);

// Runs one command on the session: first the check that it has a sound when it needs one
// (CommandError), then the command itself, recorded for undo as its entry says.
void RunCliCommand(const CommandEntry& command, CliSession& session, CommandArgs args);
std::string CliUsage();
