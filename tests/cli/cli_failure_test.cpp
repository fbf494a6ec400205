#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <map>
#include <sstream>

#include "audio/recording_file.h"
#include "cli_run.h"
#include "wave/wave_document.h"

namespace {

constexpr const char* kUsageStart = "usage: velorin-cli";

// A command's refusals exit 1 with the editor's own message, its failures 2; neither lets the
// save after it run.
TEST(CliRefusal, RefusalsExitWith1FailuresWith2AndTheLaterSaveDoesNotRun) {
  TempDir dir;
  const std::string out = dir.File("out.wav");
  const std::string aborting = "Error. Aborting operation.\n";
  const std::string noInteger = " is not a valid integer value\n";
  const std::string noFloat = " is not a valid floating point value";
  const std::string range = NewWaveLengthRange() + "\n";
  // IIR files whose lines are no numbers, and one of more than 64 KiB.
  const auto iir = [&](const std::string& name, const std::string& content) {
    WriteBytes(dir.File(name), {content.begin(), content.end()});
    return dir.File(name);
  };
  const std::string nul = iir("nul.iir", std::string("1\r\n\0\r\n0\r\n", 8));
  const std::string empty = iir("empty.iir", "1\r\n\r\n0\r\n");
  const std::string missing = iir("missing.iir", "1\r\n0.5\r\n");
  const std::string bom = iir("bom.iir", "\xEF\xBB\xBF" "0.5\r\n0.5\r\n0\r\n");
  const std::string large = iir("large.iir", std::string(65 * 1024, ' '));
  std::filesystem::create_symlink("/dev/null", dir.File("device.wav"));
  // A float sound holding a value that is no number in frame 1, and one far beyond full scale.
  const auto floats = [&](const std::string& name, float second) {
    const float values[] = {0.5f, 0.25f, second, -0.5f};
    std::vector<uint8_t> data(sizeof values);
    std::memcpy(data.data(), values, sizeof values);
    std::vector<uint8_t> image = CanonicalWave(2, 11025, 32, data);
    PutU16(image, 20, 3);
    WriteBytes(dir.File(name), image);
    return dir.File(name);
  };
  const std::string nan = floats("nan.wav", std::numeric_limits<float>::quiet_NaN());
  const std::string huge = floats("huge.wav", 1e30f);
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string err;
  };
  // New makes an 11025 Hz sound: the highest cut-off is 5512.
  const Case cases[] = {
      {{"new", "-1"}, 1, range},
      {{"new", "1e308"}, 1, range},
      {{"new", "0.1", "save", dir.File("device.wav")}, 2,
       "Cannot create file " + dir.File("device.wav") + " (not a regular file)\n"},
      // Control bytes in a path never reach the terminal raw.
      {{"new", "0.1", "save", dir.File("evil\x1b]0;x\a/x.wav")}, 2,
       "Cannot create file '" + dir.File("evil\\x1B]0;x\\x07/x.wav") + "' (No such file or directory)\n"},
      {{"new", "0.1", "normalize", " 5", "normalize", "+5", "normalize", "\t5"}, 0, ""},
      {{"new", "0.1", "low-pass", "5512", "high-pass", "1"}, 0, ""},
      {{"new", "0.1", "low-pass", "5513"}, 1, aborting},
      {{"new", "0.1", "high-pass", "0"}, 2, "Floating point division by zero\n"},
      {{"new", "0.1", "iir", "1", "x", "0"}, 2, "'x'" + noFloat + " (c1)\n"},
      {{"new", "0.1", "iir", "\x1b[2J", "0", "0"}, 2, "'\\x1B[2J'" + noFloat + " (c0)\n"},
      {{"iir-open", nul, "new", "0.1", "iir-apply"}, 2, "'\\x00'" + noFloat + " (c1, line 2 of " + nul + ")\n"},
      {{"iir-open", empty, "new", "0.1", "iir-apply"}, 2, "''" + noFloat + " (c1, line 2 of " + empty + ")\n"},
      {{"iir-open", missing, "new", "0.1", "iir-apply"}, 2, "''" + noFloat + " (d1, line 3 of " + missing + ")\n"},
      {{"iir-open", bom, "new", "0.1", "iir-apply"}, 0, ""},
      {{"iir-open", large, "new", "0.1"}, 2, "Cannot read file " + large + " (larger than 64 KiB)\n"},
      {{"new", "0.1", "wall", "-2.5", "600"}, 1, "Error, negative mass.\n"},
      {{"new", "0.1", "wall", "0", "600"}, 2, "Floating point division by zero\n"},
      {{"iir-open", dir.File("none.iir"), "new", "0.1"}, 2,
       "Cannot open file " + dir.File("none.iir") + " (No such file or directory)\n"},
      {{"new", "0.5", "delay", "-1"}, 1, aborting},
      {{"new", "0.5", "delay", "1.5"}, 2, "'1.5'" + noInteger},
      {{"new", "0.5", "echo", "100", "0"}, 1, aborting},
      {{"new", "0.5", "echo", "100", "101"}, 1, aborting},
      {{"new", "0.5", "echo-repeat", "-1", "50"}, 1, "The echo period must be positive.\n"},
      {{"new", "0.5", "echo-repeat", "100", "95"}, 1, "The amplitude factor should be in the interval 0 to 90.\n"},
      {{"new", "0.5", "echo-repeat", "100", "0"}, 2, "Floating point division by zero\n"},
      {{"new", "0.5", "add-noise", "101"}, 1, aborting},
      {{"new", "0.5", "gate", "-1"}, 1, aborting},
      {{"new", "0.5", "sine", "-1", "50"}, 1, "Error, negative input.\n"},
      {{"new", "0.5", "square", "100", "x"}, 2, "'x'" + noInteger},
      {{"new", "0.5", "resample", "7999"}, 1, "The sample rate must lie between 8000 and 192000 Hz\n"},
      {{"new", "0.5", "normalize-loudness", "-70.1", "-1"}, 1, "The target loudness must lie between -70 and 0 LUFS\n"},
      {{"new", "0.5", "normalize-loudness", "-23", "0.1"}, 1, "The true-peak ceiling must lie between -70 and 0 dBTP\n"},
      {{"new", "0.5", "normalize-loudness", "-23", "-1"}, 1,
       "The sound is silent or shorter than 0.4 s: it has no loudness to normalize\n"},
      {{"open", nan, "normalize", "90"}, 1, "Cannot normalize: frame 1 (left) holds a value that is not a number\n"},
      {{"open", huge, "to-16bit"}, 1,
       "Cannot convert to 16 bits: frame 1 (left) holds the value 1e+30, too far beyond full scale to wrap round\n"},
      // Longer than the largest sound the editor holds: refused before the device opens.
      {{"record", "86400", "44100", "16", "2"}, 2,
       "A recording in this format lasts from 0 to " + std::to_string(MaxRecordedDataSize(4) / (44100 * 4)) +
           " seconds, not 86400\n"},
      {{"new", "0.5", "echo", "100", "100", "echo-repeat", "10", "90", "stereo-expand", "gate", "5", "sine", "1000",
        "50"},
       0, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    SCOPED_TRACE(args.size() > 2 ? args[2] : args[1]);
    args.insert(args.end(), {"save", out});
    std::filesystem::remove(out);
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.Code, c.code);
    EXPECT_EQ(r.Err, c.err);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(std::filesystem::exists(out), c.code == 0);
  }
}

TEST(CliErrors, ANumberThatDoesNotParseOrAFileThatCannotBeLoadedExitsWith2) {
  TempDir dir;
  const std::string shortFile = dir.File("short.wav");
  WriteBytes(shortFile, {'R', 'I', 'F', 'F'});
  const std::string eightChannels = dir.File("eight.wav");
  std::vector<uint8_t> wave = CanonicalWave(2, 8000, 8, {1, 2});
  PutU16(wave, 22, 8);
  WriteBytes(eightChannels, wave);

  CliResult r = RunCli({"new", "0,5", "save", dir.File("out.wav")});
  EXPECT_EQ(r.Code, 2);
  EXPECT_EQ(r.Err, "'0,5' is not a valid floating point value\n");

  for (const std::string& bad : {shortFile, eightChannels, dir.Path().string()}) {
    SCOPED_TRACE(bad);
    r = RunCli({"open", bad, "info"});
    EXPECT_EQ(r.Code, 2);
    EXPECT_NE(r.Err.find(bad), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out, "");
  }

  r = RunCli({"open", "", "info"});
  EXPECT_EQ(r.Code, 2);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"eight.wav", "short.wav"}));
}

// The commands the usage lists, in its order, each with the number of its arguments.
std::vector<std::pair<std::string, size_t>> UsageCommands() {
  const std::string usage = RunCli({}).Err;
  std::istringstream lines(usage.substr(usage.find("commands:\n") + 10));
  std::vector<std::pair<std::string, size_t>> commands;
  for (std::string line; std::getline(lines, line) && line.rfind("  ", 0) == 0;) {
    std::istringstream words(line.substr(2, line.find("  ", 2) - 2));
    std::string name, arg;
    words >> name;
    size_t count = 0;
    while (words >> arg) ++count;
    commands.emplace_back(name, count);
  }
  return commands;
}

TEST(CliErrors, EveryCommandButOpenNewAndIIROpenNeedsASound) {
  TempDir dir;
  const std::string coefficients = dir.File("c.iir");
  WriteBytes(coefficients, {'1', '\r', '\n'});
  // Arguments that pass the command line's own checks; the others get "1" for each word.
  const std::map<std::string, std::vector<std::string>> args = {
      {"open", {dir.File("missing.wav")}}, {"new", {"0.1"}}, {"save", {dir.File("out.wav")}},
      {"channels", {"left"}},              {"iir-open", {coefficients}},
  };
  const auto commands = UsageCommands();
  ASSERT_GE(commands.size(), 30u);  // a usage read wrongly would leave nothing to check
  for (const auto& [command, count] : commands) {
    // Recording needs a sound device of its own, and listing the devices needs no sound; the
    // sound-card tests check both.
    if (command == "record" || command == "devices") continue;
    SCOPED_TRACE(command);
    std::vector<std::string> line = {command};
    if (const auto found = args.find(command); found != args.end()) {
      line.insert(line.end(), found->second.begin(), found->second.end());
    } else {
      line.insert(line.end(), count, "1");
    }
    const CliResult r = RunCli(line);
    EXPECT_EQ(r.Out, "");
    if (command == "open" || command == "new" || command == "iir-open") {
      EXPECT_EQ(r.Code, 0);
      EXPECT_EQ(r.Err, "");
    } else {
      EXPECT_EQ(r.Code, 2);
      EXPECT_EQ(r.Err, "No sound is open; use open or new first\n");
    }
  }
  EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"c.iir"});
}

TEST(CliSave, ASaveThatCannotBeWrittenExitsWith2AndLeavesNothingBehind) {
  TempDir dir;
  WriteBytes(dir.File("plain"), {1, 2, 3});
  std::filesystem::create_directory(dir.File("folder"));
  WriteBytes(dir.File("folder/inside"), {4});
  const auto before = FolderNames(dir.Path());

  // A parent that is a regular file, and a target that is a folder: both hold for root too.
  for (const std::string& target : {dir.File("plain/out.wav"), dir.File("folder")}) {
    SCOPED_TRACE(target);
    const CliResult r = RunCli({"new", "0.1", "save", target, "info"});
    EXPECT_EQ(r.Code, 2);
    EXPECT_EQ(r.Err.rfind("Cannot create file " + target, 0), 0u) << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(FolderNames(dir.Path()), before);
    EXPECT_EQ(FolderNames(dir.File("folder")), std::vector<std::string>{"inside"});
    EXPECT_EQ(ReadBytes(dir.File("plain")), (std::vector<uint8_t>{1, 2, 3}));
  }
  // Over a file-size limit, and with an output that takes nothing (standard output opened for
  // reading): the failure stops the run, the save after it included.
  const std::string cli = ShellQuoted(CliProgramPath()), plain = ShellQuoted(dir.File("plain"));
  for (const auto& [line, expected] : std::vector<std::pair<std::string, std::string>>{
           {"ulimit -f 1; " + cli + " new 1 save " + plain, "Cannot create file " + dir.File("plain") + " (File too large)\n"},
           {"{ " + cli + " new 0.1 info save " + ShellQuoted(dir.File("out.wav")) + " 1<" + plain + "; }",
            "Cannot write to standard output\n"}}) {
    SCOPED_TRACE(line);
    std::string err;
    EXPECT_EQ(RunCommand(line, nullptr, &err), 2);
    EXPECT_EQ(err, expected);
    EXPECT_EQ(FolderNames(dir.Path()), before);
    EXPECT_EQ(ReadBytes(dir.File("plain")), (std::vector<uint8_t>{1, 2, 3}));
  }
}

TEST(CliCommandLine, AWrongCommandLineExitsWith64AndRunsNothing) {
  TempDir dir;
  const std::string out = dir.File("out.wav");
  const std::vector<std::vector<std::string>> lines = {
      {},
      {"--progress"},
      {"new", "1", "save", out, "info", "frobnicate"},
      {"new", "1", "save", out, "info", "samples", "0"},
      {"new", "1", "save", out, "info", "channels", "up"},
      {"new", "1", "save", out, "info", "--progress"},
      {"new", "1", "save", out, "INFO"},
      {"new"},
  };
  for (const auto& line : lines) {
    SCOPED_TRACE(line.empty() ? "(nothing)" : line.back());
    const CliResult r = RunCli(line);
    EXPECT_EQ(r.Code, 64);
    EXPECT_EQ(r.Err.rfind("velorin-cli: ", 0), 0u) << r.Err;
    EXPECT_NE(r.Err.find(kUsageStart), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_TRUE(FolderNames(dir.Path()).empty());
  }
}

TEST(CliCommandLine, TheUsageListsTheCommandsThatExistAndProgressStaysOffTheLog) {
  const CliResult usage = RunCli({});
  for (const char* line : {"  open PATH", "  new SECONDS", "  save PATH", "  reload", "  info",
                           "  samples START COUNT", "  select START END", "  select-all",
                           "  channels left|right|both"}) {
    EXPECT_NE(usage.Err.find(std::string("\n") + line + " "), std::string::npos) << line;
  }
  // Standard error is a file here, not a terminal: no bar may land in it.
  const CliResult r = RunCli({"--progress", "new", "1", "info"});
  EXPECT_EQ(r.Code, 0);
  EXPECT_EQ(r.Err, "");
  EXPECT_NE(r.Out.find("frames 11025\n"), std::string::npos);
}

}  // namespace
