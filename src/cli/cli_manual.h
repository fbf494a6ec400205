#pragma once

#include <string>
#include <string_view>

// The manual page velorin-cli.1 (roff, man macros), written from the same command table as the
// usage so that the two cannot list different commands. Throws std::logic_error when one of its
// examples no longer is a valid command line.
std::string CliManualPage(std::string_view version);
