#include "state/program_state.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

std::string WritableProgramDir(const std::string& programFolder) {
  if (access(programFolder.c_str(), W_OK) == 0) return programFolder;
  const char* data = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  const std::string base = data && *data ? std::string(data) : std::string(home ? home : ".") + "/.local/share";
  const std::string dir = base + "/Velorin II";
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  return dir;
}
