#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "cli_run.h"

namespace {

// The figure after `label` in `text`: our report, or the summary that ffmpeg's ebur128 filter prints last.
double Figure(const std::string& text, const std::string& label) {
  const size_t at = text.find(label, text.find("Summary:") == std::string::npos ? 0 : text.rfind("Summary:"));
  return at == std::string::npos ? NAN : std::stod(text.substr(at + label.size()));
}

std::string Ffmpeg(const std::string& path) {
  std::string err;
  EXPECT_EQ(RunCommand("ffmpeg -nostdin -hide_banner -nostats -i " + ShellQuoted(path) +
                           " -af ebur128=peak=true -f null -", nullptr, &err), 0);
  return err;
}

// On sounds sox makes, our figures agree with ffmpeg's meter, and after normalize-loudness ffmpeg
// reads the target, or the loudness we said the ceiling stopped at.
TEST(CliLoudness, FiguresAndNormalizedLoudnessAgreeWithFfmpeg) {
  TempDir dir;
  const std::string source = dir.File("source.wav");
  const std::string out = dir.File("out.wav");
  for (const auto& [synth, ceiling] : std::vector<std::pair<std::string, std::string>>{
           {"sine 1000 gain -20", "-1"}, {"pinknoise gain -12", "-1"}, {"sine 100 gain -3", "-20"}}) {
    SCOPED_TRACE(synth);
    ASSERT_EQ(RunCommand("sox -R -r 48000 -n -b 16 -c 2 " + ShellQuoted(source) + " synth 10 " + synth), 0);
    const CliResult measured = RunCli({"open", source, "loudness"});
    ASSERT_EQ(measured.Code, 0) << measured.Err;
    const std::string theirs = Ffmpeg(source);
    EXPECT_NEAR(Figure(measured.Out, "integrated "), Figure(theirs, "I:"), 0.1);
    EXPECT_NEAR(Figure(measured.Out, "true-peak "), Figure(theirs, "Peak:"), 0.2);
    const CliResult normalized = RunCli({"open", source, "normalize-loudness", "-16", ceiling, "save", out});
    ASSERT_EQ(normalized.Code, 0);
    const bool limited = ceiling == "-20";
    EXPECT_EQ(normalized.Err.empty(), !limited) << normalized.Err;
    EXPECT_NEAR(Figure(Ffmpeg(out), "I:"), limited ? Figure(normalized.Err, "the loudness is ") : -16, 0.1);
  }
  EXPECT_EQ(RunCli({"new", "1", "loudness"}).Out, "integrated -inf\nrange -inf\nsample-peak -inf\ntrue-peak -inf\n");
}

}  // namespace
