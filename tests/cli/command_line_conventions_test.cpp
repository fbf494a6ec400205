#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli_run.h"
#include "velorin_version.h"

namespace {

// The window's program with no display to reach: whatever would build a window fails there.
CliResult RunWindowProgram(const std::string& arg) {
  CliResult result;
  result.Code = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                               ShellQuoted(GuiProgramPath()) + " " + ShellQuoted(arg),
                           &result.Out, &result.Err);
  return result;
}

TEST(CommandLineConventions, HelpAndVersionAnswerOnStandardOutputWithExit0) {
  // The usage a wrong command line prints, after its one line of complaint.
  const std::string wrongLineErr = RunCli({}).Err;
  const std::string usage = wrongLineErr.substr(wrongLineErr.find("\n\n") + 2);
  ASSERT_EQ(usage.rfind("usage: velorin-cli ", 0), 0u) << wrongLineErr;
  const std::string windowUsage = RunWindowProgram("--help").Out;
  EXPECT_EQ(windowUsage.rfind("usage: velorin [FILE]\n", 0), 0u) << windowUsage;

  struct Case {
    bool Window;
    const char* Arg;
    std::string Out;
  };
  const std::vector<Case> cases = {
      {false, "--help", usage},
      {false, "-h", usage},
      {false, "--version", std::string("velorin-cli ") + kVelorinVersion + "\n"},
      {true, "--help", windowUsage},
      {true, "-h", windowUsage},
      {true, "--version", std::string("velorin ") + kVelorinVersion + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Window ? "velorin " : "velorin-cli ") + c.Arg);
    const CliResult r = c.Window ? RunWindowProgram(c.Arg) : RunCli({c.Arg});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out, c.Out);
    EXPECT_EQ(r.Err, "");
  }
}

TEST(CommandLineConventions, HelpOrVersionAmongOtherWordsIsAWrongCommandLine) {
  TempDir dir;
  const std::vector<std::vector<std::string>> lines = {
      {"--progress", "--help"}, {"--help", "new", "1"}, {"new", "1", "--version"}, {"-h", "-h"}};
  for (const auto& line : lines) {
    SCOPED_TRACE(line.front() + " " + line.back());
    const CliResult r = RunCli(line, dir.Path().string());
    EXPECT_EQ(r.Code, 64);
    EXPECT_EQ(r.Out, "");
    EXPECT_NE(r.Err.find("\nusage: velorin-cli "), std::string::npos) << r.Err;
    EXPECT_TRUE(FolderNames(dir.Path()).empty());
  }
}

TEST(CliManual, TheManualPageDescribesEveryCommandOfTheTableAndRendersCleanly) {
  // Rendered as man renders it; -ww turns every roff mistake into a message on standard error.
  std::string page, warnings;
  const int code = RunCommand("groff -man -Tascii -ww -rLL=200n -P-cbou " +
                                  ShellQuoted(CliManualPath()),
                              &page, &warnings);
  ASSERT_EQ(code, 0) << warnings;
  EXPECT_EQ(warnings, "");
  // Every run of whitespace as one space: the text is found however roff filled its lines.
  std::string text;
  for (const char c : page) {
    const bool space = std::isspace(static_cast<unsigned char>(c)) != 0;
    if (!space || text.empty() || text.back() != ' ') text += space ? ' ' : c;
  }
  EXPECT_NE(text.find("VELORIN-CLI(1) "), std::string::npos) << text.substr(0, 200);
  EXPECT_NE(text.find(std::string(" Velorin II ") + kVelorinVersion + " "), std::string::npos);
  for (const char* section : {" COMMANDS ", " EXIT STATUS ", " EXAMPLES "}) {
    EXPECT_NE(text.find(section), std::string::npos) << section;
  }
  ASSERT_GE(CommandTable().size(), 30u);
  for (const CommandEntry& command : CommandTable()) {
    std::string entry = " " + std::string(command.Name);
    if (!command.ArgText.empty()) entry += " " + std::string(command.ArgText);
    entry += " " + std::string(command.Summary) + " ";
    EXPECT_NE(text.find(entry), std::string::npos) << "missing:" << entry;
  }
}

}  // namespace
