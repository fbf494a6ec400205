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
// reads the target, or the loudness we said the ceiling stopped at; the true peak stays under the
// ceiling even where a large gain takes a code to full scale.
TEST(CliLoudness, FiguresAndNormalizedLoudnessAgreeWithFfmpeg) {
  TempDir dir;
  const std::string source = dir.File("source.wav");
  const std::string out = dir.File("out.wav");
  const struct {
    std::string synth;
    std::string target, ceiling;
    bool limited;
  } rows[] = {{"sine 1000 gain -20", "-16", "-1", false},
              {"pinknoise gain -12", "-16", "-1", false},
              {"sine 100 gain -3", "-16", "-20", true},
              {"sine 1000 gain -60", "0", "0", true}};
  for (const auto& [synth, target, ceiling, limited] : rows) {
    SCOPED_TRACE(synth);
    ASSERT_EQ(RunCommand("sox -R -r 48000 -n -b 16 -c 2 " + ShellQuoted(source) + " synth 10 " + synth), 0);
    const CliResult measured = RunCli({"open", source, "loudness"});
    ASSERT_EQ(measured.Code, 0) << measured.Err;
    const std::string theirs = Ffmpeg(source);
    EXPECT_NEAR(Figure(measured.Out, "integrated "), Figure(theirs, "I:"), 0.1);
    EXPECT_NEAR(Figure(measured.Out, "true-peak "), Figure(theirs, "Peak:"), 0.2);
    const CliResult normalized = RunCli({"open", source, "normalize-loudness", target, ceiling, "save", out});
    ASSERT_EQ(normalized.Code, 0);
    EXPECT_EQ(normalized.Err.empty(), !limited) << normalized.Err;
    EXPECT_NEAR(Figure(Ffmpeg(out), "I:"), limited ? Figure(normalized.Err, "the loudness is ") : std::stod(target), 0.1);
    EXPECT_LE(Figure(RunCli({"open", out, "loudness"}).Out, "true-peak "), std::stod(ceiling) + 0.05);
  }
  EXPECT_EQ(RunCli({"new", "1", "loudness"}).Out, "integrated -inf\nrange -inf\nsample-peak -inf\ntrue-peak -inf\n");
}

}  // namespace
