#pragma once

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "test_support.h"

// One run of the real velorin-cli binary.
struct CliResult {
  int Code = -1;
  std::string Out;
  std::string Err;
};

inline std::string ShellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs velorin-cli with `args` in the folder `workDir` (the test's own folder when empty).
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& workDir = "") {
  std::string command = workDir.empty() ? "" : "cd " + ShellQuoted(workDir) + " && ";
  command += ShellQuoted(CliProgramPath());
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  CliResult result;
  result.Code = RunCommand(command, &result.Out, &result.Err);
  return result;
}

// The names in a folder, to show that a failed command left nothing behind.
inline std::vector<std::string> FolderNames(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}
