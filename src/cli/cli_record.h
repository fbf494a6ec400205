#pragma once

#include <stdexcept>

#include "cli/cli_commands.h"

// A command stopped by SIGINT or SIGTERM after finishing what it had begun; velorin-cli exits
// with 128 + the signal's number, running nothing after it.
class CliInterrupted : public std::runtime_error {
 public:
  CliInterrupted(int signal, const std::string& message) : std::runtime_error(message), Signal(signal) {}
  int Signal;
};

// record SECONDS RATE BITS CHANNELS: records into the scratch file until at least SECONDS of
// sound have reached it, then opens it. Throws CommandError when the recording failed or its file
// could not take it whole, CliInterrupted when a signal ended it.
void Record(CliSession& session, CommandArgs args);
