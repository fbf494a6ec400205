#pragma once

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "processing/selection.h"
#include "views/view_state.h"
#include "wave/wave_document.h"

// What the commands of one velorin-cli run share, as the window's globals do for its buttons.
struct CliSession {
  TWave Wave;
  ViewState State;
  std::FILE* Out = stdout;
  Progress* Gauge = nullptr;
  // Set while the sound comes from `new` and was never saved: it has no file behind it, so
  // reload rebuilds it instead of reading whatever file of that name lies in the folder.
  std::optional<double> UnsavedNewSeconds;
};

using CliArgs = std::span<const std::string>;

struct CliCommand {
  std::string_view Name;
  int ArgCount;
  std::string_view ArgText;
  std::string_view Summary;
  // The words that must be right before anything runs (nullptr: any text). Numbers are read
  // only when the command runs, as the window reads what is typed, and fail with exit 2.
  bool (*ArgsValid)(CliArgs args);
  void (*Run)(CliSession& session, CliArgs args);
};

const CliCommand* FindCliCommand(std::string_view name);
std::string CliUsage();
