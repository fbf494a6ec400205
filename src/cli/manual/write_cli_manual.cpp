// Run by the build to write velorin-cli.1; not installed.
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "cli/cli_manual.h"
#include "velorin_version.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 64;
  }
  try {
    const std::string page = CliManualPage(kVelorinVersion);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << page;
    out.close();
    if (!out) {
      std::fprintf(stderr, "Cannot write %s\n", argv[1]);
      return 1;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
