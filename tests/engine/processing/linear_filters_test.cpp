#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "processing/errors.h"
#include "processing/iir_file.h"
#include "processing/linear_filters.h"
#include "test_support.h"
#include "wave/wave_document.h"

// The filters' walk and gauge are held against the single-sample form in typed_path_test; here are
// their coefficients, their refusals and the files of the custom filter.

namespace {

std::vector<uint8_t> Data(const TWave& wave) { return {wave.Image().begin() + 44, wave.Image().end()}; }

std::vector<int> Codes16(const TWave& wave) {
  std::vector<int> codes;
  for (uint32_t i = 0; i < wave.SampleCount(); ++i)
    codes.push_back(static_cast<int>(std::lround((wave.GetSample(i, false) * 65535 - 1) / 2)));
  return codes;
}

Selection All(const TWave& wave) { return {0, static_cast<int32_t>(wave.SampleCount()) - 1, true, false}; }

TEST(FirstOrderFilter, CustomCoefficientsOnSmallSelections) {
  struct Case {
    const char* name;
    FilterCoefficients c;
    Selection sel;
    std::vector<int> expected;
  };
  const std::vector<int16_t> input = {100, 300, -500, 700, 900};
  const Case cases[] = {
      {"1, 0, 0 changes nothing", {1, 0, 0}, {0, 4, true, false}, {100, 300, -500, 700, 900}},
      {"two-point average, first frame kept", {0.5, 0.5, 0}, {0, 4, true, false}, {100, 200, -100, 100, 800}},
      {"two frames: only the second", {0.5, 0.5, 0}, {2, 3, true, false}, {100, 300, -500, 100, 900}},
      {"the recursion reads the stored output", {0, 0, 0.5}, {0, 4, true, false}, {100, 50, 25, 12, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWave wave;
    wave.LoadFromImage("w.wav", Wave16(input));
    NoProgress none;
    FirstOrderFilter(wave, c.sel, none, FilterKind::Custom, 0, c.c.C0, c.c.C1, c.c.D1);
    EXPECT_EQ(Codes16(wave), c.expected);
  }
}

// A small C0 moves an 8-bit output by less than half a code per frame long before it reaches the
// input: the stored output then stays where it is.
TEST(FirstOrderFilter, AnEightBitLowPassStallsOnItsRoundedOutput) {
  std::vector<uint8_t> step(6000, 255);
  step[0] = 0;
  TWave wave;
  wave.LoadFromImage("w.wav", CanonicalWave(1, 11025, 8, step));
  NoProgress none;
  FirstOrderFilter(wave, All(wave), none, FilterKind::LowPass, 10, 0, 0, 0);
  const std::vector<uint8_t> out = Data(wave);
  EXPECT_LT(out.back(), 200);  // twenty time constants in: a filter without rounding would be at 255
  EXPECT_EQ(out[out.size() - 2000], out.back());
}

// Amplitude of a filtered sine, over its second half, relative to the input's.
double Response(FilterKind kind, double frequency, int32_t cutOff) {
  const int frames = 44100;
  std::vector<int16_t> sine(frames);
  for (int i = 0; i < frames; ++i)
    sine[i] = static_cast<int16_t>(std::lround(30000 * std::sin(2 * std::numbers::pi * frequency * i / 44100)));
  TWave wave;
  wave.LoadFromImage("w.wav", Wave16(sine));
  NoProgress none;
  RCFilterCommand(wave, All(wave), none, kind, std::to_string(cutOff));
  double peak = 0;
  for (uint32_t i = frames / 2; i < frames; ++i) peak = std::max(peak, std::fabs(wave.GetSample(i, false)));
  return peak * 65535 / 2 / 30000;
}

TEST(FirstOrderFilter, RCFiltersHaveHalfAmplitudeAtTheCutOff) {
  EXPECT_NEAR(Response(FilterKind::LowPass, 1000, 1000), 0.5, 0.02);
  EXPECT_NEAR(Response(FilterKind::HighPass, 1000, 1000), 0.5, 0.02);
  EXPECT_GT(Response(FilterKind::LowPass, 50, 2000), 0.98);
  EXPECT_LT(Response(FilterKind::LowPass, 15000, 100), 0.02);
  EXPECT_GT(Response(FilterKind::HighPass, 15000, 100), 0.98);
  EXPECT_LT(Response(FilterKind::HighPass, 50, 5000), 0.02);
}

// Every refusal and failure comes before a sample changes.
TEST(FirstOrderFilter, RefusalsAndFailuresChangeNothing) {
  struct Case {
    const char* name;
    void (*run)(TWave&, const Selection&, Progress&);
    const char* message;  // empty: accepted
  };
  const Case cases[] = {
      {"cut-off at half the rate", [](TWave& w, const Selection& s, Progress& p) { RCFilterCommand(w, s, p, FilterKind::LowPass, "22050"); }, ""},
      {"one above", [](TWave& w, const Selection& s, Progress& p) { RCFilterCommand(w, s, p, FilterKind::HighPass, "22051"); }, kAbortingOperation},
      {"negative", [](TWave& w, const Selection& s, Progress& p) { RCFilterCommand(w, s, p, FilterKind::LowPass, "-1"); }, kAbortingOperation},
      {"cut-off 0", [](TWave& w, const Selection& s, Progress& p) { RCFilterCommand(w, s, p, FilterKind::LowPass, "0"); }, kDivisionByZero},
      {"not an integer", [](TWave& w, const Selection& s, Progress& p) { RCFilterCommand(w, s, p, FilterKind::LowPass, "1e3"); }, "'1e3' is not a valid integer value"},
      {"a coefficient that does not parse", [](TWave& w, const Selection& s, Progress& p) { CustomIIRCommand(w, s, p, {"1", "0,5", "0"}); }, "'0,5' is not a valid floating point value (c1)"},
      {"outputs too large to store", [](TWave& w, const Selection& s, Progress& p) { CustomIIRCommand(w, s, p, {"1e300", "0", "0"}); }, kInvalidOperation},
      {"wall mass 0", [](TWave& w, const Selection& s, Progress& p) { ApplyWallFilter(w, s, p, WallMass("0", "600")); }, kDivisionByZero},
      {"negative wall mass", [](TWave& w, const Selection& s, Progress& p) { ApplyWallFilter(w, s, p, WallMass("-2.5", "600")); }, "Error, negative mass."},
      {"wall thickness not a number", [](TWave& w, const Selection& s, Progress& p) { ApplyWallFilter(w, s, p, WallMass("2,5", "600")); }, "'2,5' is not a valid floating point value"},
  };
  const std::vector<uint8_t> image = Wave16({0, 32767, -32768, 5, 32767, 32767}, {1, 2, 3, 4, -32768, 6});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWave wave;
    wave.LoadFromImage("w.wav", image);
    NoProgress none;
    std::string message;
    try {
      c.run(wave, {0, 5, true, true}, none);
    } catch (const std::exception& error) {
      message = error.what();
    }
    EXPECT_EQ(message, c.message);
    if (!message.empty()) {
      EXPECT_EQ(wave.Image(), image);
    }
  }
}

// y(n) = a·y(n−1) + k·x(n−1), with k = 830 / (rate·mass): the second frame shows a directly.
TEST(WallFilter, FirstFrameKeptSecondScaledByTheWallsPass) {
  struct Case {
    const char* wall;
    const char* thickness;
    const char* density;
    double k;
  };
  const Case cases[] = {{"steel sheet", "0.05", "7800", 0.0048}, {"plank wall", "2.5", "600", 830.0 / (44100 * 15)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wall);
    TWave wave;
    wave.LoadFromImage("w.wav", Wave16({30000, 30000, 30000, -20000}));
    NoProgress none;
    ApplyWallFilter(wave, All(wave), none, WallMass(c.thickness, c.density));
    const std::vector<int> codes = Codes16(wave);
    EXPECT_EQ(codes[0], 30000);
    EXPECT_NEAR(1.0 - codes[1] / 30000.0, c.k, 0.0001);
    // With x(1) = x(0) and y(1) = a·x(0): y(2) = a²·x(0) + k·x(0).
    const double a = 1 - c.k;
    EXPECT_NEAR(codes[2], 30000 * (a * a + c.k), 1.5);
  }
}

TEST(IIRFile, WrittenAsThreeCRLFLinesAndReadBackWhateverItsLineEnds) {
  TempDir dir;
  const std::string name = IIRFileName(dir.Path().string(), "x.iir");
  EXPECT_EQ(name, dir.File("x.iir.iir"));
  WriteIIRFile(name, {"0.5", "-0.25", "abc"});
  const std::vector<uint8_t> written = ReadBytes(name);
  EXPECT_EQ(std::string(written.begin(), written.end()), "0.5\r\n-0.25\r\nabc\r\n");

  struct Case {
    std::string content;
    IIRTexts texts;
  };
  const Case cases[] = {
      {"0.5\r\n-0.25\r\nabc\r\n", {"0.5", "-0.25", "abc"}},
      {"1\n2\n3", {"1", "2", "3"}},
      {"1\r2\r3\r4\r\n", {"1", "2", "3"}},
      {"\r\n\n7", {"", "", "7"}},
      {"0.9", {"0.9", "", ""}},
      {"", {"", "", ""}},
      {"\xEF\xBB\xBF" "1\r\n\xEF\xBB\xBF" "2", {"1", "\xEF\xBB\xBF" "2", ""}},
      // Lines are read whole up to the size limit, the last ending at the file's last byte.
      {"0.5\r\n0.5\r\n" + std::string(kMaxIIRFileSize - 14, ' ') + "5e-1", {"0.5", "0.5", std::string(kMaxIIRFileSize - 14, ' ') + "5e-1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    WriteBytes(name, {c.content.begin(), c.content.end()});
    const IIRTexts texts = ReadIIRFile(name);
    EXPECT_EQ(std::vector<std::string>({texts.C0, texts.C1, texts.D1}),
              std::vector<std::string>({c.texts.C0, c.texts.C1, c.texts.D1}));
  }
  EXPECT_THROW(ReadIIRFile(dir.File("missing.iir")), std::runtime_error);
  EXPECT_THROW(ReadIIRFile(dir.Path().string()), std::runtime_error);
  // One byte past the limit, and a valid line followed by megabytes of blanks: refused unread.
  for (const size_t size : {size_t{kMaxIIRFileSize + 1}, size_t{10} << 20}) {
    std::string content = "0.5\r\n";
    content.resize(size, ' ');
    WriteBytes(name, {content.begin(), content.end()});
    try {
      ReadIIRFile(name);
      ADD_FAILURE() << "read " << size;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), "Cannot read file " + name + " (larger than 64 KiB)");
    }
  }
}

}  // namespace
