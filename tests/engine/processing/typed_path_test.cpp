#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <exception>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "processing/amplitude_tools.h"
#include "processing/delay_effects.h"
#include "processing/errors.h"
#include "processing/linear_filters.h"
#include "processing/noise_signals.h"
#include "state/random_generator.h"
#include "test_support.h"
#include "wave/wave_document.h"

// The amplitude tools and the filters work on codes in their layout, with integer forms and
// tables where they can. Here each is held against the plain single-sample form of the same routine: every value read and written
// through GetSample/SetSample, every frame of the selection walked, the gauge set as it goes.

namespace {

namespace reference {

enum class PassShare { Whole, FirstHalf, SecondHalf };

void ShowShare(Progress& progress, int64_t done, int64_t total, PassShare share) {
  if (total == 0) return;
  const double ratio = static_cast<double>(done) / static_cast<double>(total);
  double value = 0;
  switch (share) {
    case PassShare::Whole:
      value = 100 * ratio;
      break;
    case PassShare::FirstHalf:
      value = 50 * ratio;
      break;
    case PassShare::SecondHalf:
      value = 50 * ratio + 50;
      break;
  }
  progress.SetProgress(static_cast<int>(std::lrint(value)));
}

double Read(const TWave& wave, int64_t frame, bool right) {
  return wave.GetSample(static_cast<uint32_t>(frame), right);
}
void Write(TWave& wave, int64_t frame, bool right, double value) {
  wave.SetSample(static_cast<uint32_t>(frame), right, value);
}

template <class Visit, class FrameStep>
void WalkFrames(const Selection& sel, Progress& progress, PassShare share, Visit&& visit,
                FrameStep&& frameStep) {
  const int64_t first = sel.SelStart, last = sel.SelEnd;
  int64_t nextHundred = first - first % 100 + (first % 100 > 0 ? 100 : 0);
  for (int64_t i = first; i <= last; ++i) {
    if (i == nextHundred) {
      ShowShare(progress, i - first, last - first, share);
      nextHundred += 100;
    }
    frameStep(i);
    if (sel.Left) visit(i, false);
    if (sel.Right) visit(i, true);
  }
}

template <class Visit>
void WalkSelection(const Selection& sel, Progress& progress, PassShare share, Visit&& visit) {
  WalkFrames(sel, progress, share, visit, [](int64_t) {});
}

void Mute(TWave& wave, const Selection& sel, Progress& progress) {
  WalkSelection(sel, progress, PassShare::Whole,
                [&](int64_t i, bool right) { Write(wave, i, right, 0.0); });
  progress.SetProgress(0);
}

void Normalize(TWave& wave, const Selection& sel, Progress& progress, int level) {
  double peak[2] = {0.0, 0.0};
  WalkSelection(sel, progress, PassShare::FirstHalf, [&](int64_t i, bool right) {
    peak[right] = std::max(peak[right], std::fabs(Read(wave, i, right)));
  });
  const double loudest = std::max(peak[0], peak[1]);
  if (loudest == 0.0) throw CommandError(level == 0 ? kInvalidOperation : kDivisionByZero);
  const double gain = level / (100.0 * loudest);
  WalkSelection(sel, progress, PassShare::SecondHalf,
                [&](int64_t i, bool right) { Write(wave, i, right, Read(wave, i, right) * gain); });
  progress.SetProgress(0);
}

void RemoveDC(TWave& wave, const Selection& sel, Progress& progress) {
  double sum[2] = {0.0, 0.0};
  WalkSelection(sel, progress, PassShare::FirstHalf,
                [&](int64_t i, bool right) { sum[right] += Read(wave, i, right); });
  const auto count = static_cast<double>(int64_t{sel.SelEnd} - sel.SelStart + 1);
  const double mean[2] = {sum[0] / count, sum[1] / count};
  WalkSelection(sel, progress, PassShare::SecondHalf, [&](int64_t i, bool right) {
    Write(wave, i, right, Read(wave, i, right) - mean[right]);
  });
  progress.SetProgress(0);
}

double SmoothRamp(double t) {
  return 3 * t * t - 2 * t * t * t;
}

double WindowWeight(WindowKind kind, double t) {
  switch (kind) {
    case WindowKind::FadeIn:
      return SmoothRamp(t);
    case WindowKind::FadeOut:
      return SmoothRamp(1 - t);
    case WindowKind::Hanning: {
      const double s = std::sin(std::numbers::pi * t);
      return s * s;
    }
    case WindowKind::Invert:
      return -1;
  }
  return 1;
}

void Window(TWave& wave, const Selection& sel, Progress& progress, WindowKind kind) {
  const int64_t span = int64_t{sel.SelEnd} - sel.SelStart;
  double weight = 1;
  WalkFrames(
      sel, progress, PassShare::Whole,
      [&](int64_t i, bool right) { Write(wave, i, right, weight * Read(wave, i, right)); },
      [&](int64_t i) {
        if (span == 0 && kind != WindowKind::Invert) return;
        weight =
            WindowWeight(kind, static_cast<double>(i - sel.SelStart) / static_cast<double>(span));
      });
  progress.SetProgress(0);
}

void Reverse(TWave& wave, const Selection& sel, Progress& progress) {
  const int64_t first = sel.SelStart, last = sel.SelEnd, pairs = (last - first + 1) / 2;
  for (int64_t k = 0; k < pairs; ++k) {
    if (k % 100 == 0) ShowShare(progress, k, pairs - 1, PassShare::Whole);
    for (const bool right : {false, true}) {
      if (!(right ? sel.Right : sel.Left)) continue;
      const double a = Read(wave, first + k, right), b = Read(wave, last - k, right);
      Write(wave, first + k, right, b);
      Write(wave, last - k, right, a);
    }
  }
  progress.SetProgress(0);
}

void FirstOrder(TWave& wave, const Selection& sel, Progress& progress, FilterCoefficients c) {
  double xPrev[2] = {Read(wave, sel.SelStart, false), Read(wave, sel.SelStart, true)};
  for (int64_t i = int64_t{sel.SelStart} + 1; i <= sel.SelEnd; ++i) {
    if (i % 100 == 0) ShowShare(progress, i - sel.SelStart - 1, int64_t{sel.SelEnd} - sel.SelStart - 1, PassShare::Whole);
    for (const bool right : {false, true}) {
      if (!(right ? sel.Right : sel.Left)) continue;
      const double x = Read(wave, i, right);
      Write(wave, i, right, c.C0 * x + c.C1 * xPrev[right] + c.D1 * Read(wave, i - 1, right));
      xPrev[right] = x;
    }
  }
  progress.SetProgress(0);
}

void Wall(TWave& wave, const Selection& sel, Progress& progress, double mass) {
  const double k = 830 / (wave.SampleRate() * mass), a = 1 - k;
  double prev[2] = {0, 0};
  for (int64_t i = sel.SelStart; i <= int64_t{sel.SelEnd} - 1; ++i) {
    if (i % 100 == 0) ShowShare(progress, i - sel.SelStart, int64_t{sel.SelEnd} - sel.SelStart, PassShare::Whole);
    for (const bool right : {false, true}) {
      if (!(right ? sel.Right : sel.Left)) continue;
      const double out = a * Read(wave, i, right) + k * prev[right];
      prev[right] = Read(wave, i + 1, right);
      Write(wave, i + 1, right, out);
    }
  }
  progress.SetProgress(0);
}

void Delay(TWave& wave, const Selection& sel, Progress& progress, int32_t ms, double direct, double delayed) {
  if (ms / 1000.0 >= wave.Duration()) return;
  const int64_t d = DelayFrames(ms, wave.SampleRate());
  const int64_t count = int64_t{sel.SelEnd} - sel.SelStart - d + 1;
  for (int64_t k = 0; k < count; ++k) {
    if (k % 100 == 0) ShowShare(progress, k, count - 1, PassShare::Whole);
    const int64_t t = sel.SelEnd - k;
    for (const bool right : {false, true}) {
      if (!(right ? sel.Right : sel.Left)) continue;
      Write(wave, t, right, (direct * Read(wave, t, right) + delayed * Read(wave, t - d, right)) / (direct + delayed));
    }
  }
  for (int64_t t = sel.SelStart; direct == 0 && t < sel.SelStart + d; ++t) {
    for (const bool right : {false, true}) {
      if (right ? sel.Right : sel.Left) Write(wave, t, right, 0);
    }
  }
  progress.SetProgress(0);
}

void Noise(TWave& wave, const Selection& sel, Progress& progress, int level) {
  RandomGenerator random;
  WalkSelection(sel, progress, PassShare::Whole, [&](int64_t i, bool right) {
    const double r = static_cast<int>(random.Draw(2000)) - 1000;
    Write(wave, i, right, Read(wave, i, right) + r * (level / 200000.0));
  });
  progress.SetProgress(0);
}

void Gate(TWave& wave, const Selection& sel, Progress& progress, int level) {
  WalkSelection(sel, progress, PassShare::Whole, [&](int64_t i, bool right) {
    int64_t from = i - 10, to = i + 10;
    double divisor = 20;
    if (i - sel.SelStart < 10) {
      from = i, divisor = 10;
    } else if (sel.SelEnd - i < 10) {
      to = i, divisor = 10;
    }
    double sum = 0;
    for (int64_t j = from; j <= to; ++j) sum += std::fabs(Read(wave, j, right));
    double x = Read(wave, i, right);
    if (level / 100.0 > sum / divisor) x = 0;
    Write(wave, i, right, x);
  });
  progress.SetProgress(0);
}

// The phase in exact integers: F0·i mod rate for the sine, round(2·F0·i / rate) for the square.
void Signal(TWave& wave, const Selection& sel, Progress& progress, SignalPlan plan) {
  double v = 0;
  const unsigned __int128 rate = wave.SampleRate();
  WalkFrames(
      sel, progress, PassShare::Whole, [&](int64_t i, bool right) { Write(wave, i, right, Read(wave, i, right) + v); },
      [&](int64_t i) {
        const unsigned __int128 frame = static_cast<uint64_t>(i);
        if (plan.Kind == SignalKind::Sine) {
          const auto residue = static_cast<double>(static_cast<uint64_t>(plan.F0 * frame % rate));
          v = plan.Amplitude / 100.0 * std::sin(2.0 * std::numbers::pi * residue / static_cast<double>(rate));
        } else {
          const unsigned __int128 twice = 2 * static_cast<unsigned __int128>(plan.F0) * frame;
          unsigned __int128 n = twice / rate;
          const unsigned __int128 r = twice % rate;
          if (2 * r > rate || (2 * r == rate && n % 2 == 1)) ++n;
          v = (n % 2 == 0 ? 1 : -1) * (plan.Amplitude / 100.0);
        }
      });
  progress.SetProgress(0);
}

}  // namespace reference

// The gauge as the user sees it: setting the value it already shows changes nothing, and the
// walk may leave such settings out.
class RecordingProgress final : public Progress {
 public:
  void SetProgress(int percent) override {
    if (Values.empty() || Values.back() != percent) Values.push_back(percent);
  }
  std::vector<int> Values;
};

using RoutineFn = std::function<void(TWave&, const Selection&, Progress&)>;
struct Routine {
  std::string name;
  RoutineFn typed, plain;
};

std::vector<Routine> Routines() {
  std::vector<Routine> routines = {{"mute", MuteSelection, reference::Mute},
                                   {"remove DC", RemoveDCOffset, reference::RemoveDC},
                                   {"reverse", ReverseSelection, reference::Reverse}};
  for (const int level : {100, 37, 0})
    routines.push_back(
        {"normalize " + std::to_string(level),
         [level](TWave& w, const Selection& s, Progress& p) { NormalizeSelection(w, s, p, level); },
         [level](TWave& w, const Selection& s, Progress& p) {
           reference::Normalize(w, s, p, level);
         }});
  const std::pair<WindowKind, const char*> windows[] = {{WindowKind::FadeIn, "fade in"},
                                                        {WindowKind::FadeOut, "fade out"},
                                                        {WindowKind::Hanning, "Hanning"},
                                                        {WindowKind::Invert, "invert"}};
  for (const auto& [kind, name] : windows)
    routines.push_back(
        {name, [kind](TWave& w, const Selection& s, Progress& p) { ApplyWindow(w, s, p, kind); },
         [kind](TWave& w, const Selection& s, Progress& p) { reference::Window(w, s, p, kind); }});
  for (const FilterKind kind : {FilterKind::LowPass, FilterKind::HighPass}) {
    routines.push_back({kind == FilterKind::LowPass ? "low pass" : "high pass",
                        [kind](TWave& w, const Selection& s, Progress& p) { FirstOrderFilter(w, s, p, kind, 700, 0, 0, 0); },
                        [kind](TWave& w, const Selection& s, Progress& p) {
                          reference::FirstOrder(w, s, p, RCCoefficients(kind, 700, w.SampleRate()));
                        }});
  }
  // The second set reaches past full scale, where stored codes wrap.
  for (const FilterCoefficients c : {FilterCoefficients{0.3, -0.2, 0.85}, FilterCoefficients{1.5, 0.7, -0.9}}) {
    routines.push_back({"IIR " + std::to_string(c.C0),
                        [c](TWave& w, const Selection& s, Progress& p) {
                          FirstOrderFilter(w, s, p, FilterKind::Custom, 0, c.C0, c.C1, c.D1);
                        },
                        [c](TWave& w, const Selection& s, Progress& p) { reference::FirstOrder(w, s, p, c); }});
  }
  routines.push_back({"wall", [](TWave& w, const Selection& s, Progress& p) { ApplyWallFilter(w, s, p, 0.05); },
                      [](TWave& w, const Selection& s, Progress& p) { reference::Wall(w, s, p, 0.05); }});
  const std::tuple<const char*, int32_t, double, double> delays[] = {
      {"delay", 7, 0, 1}, {"echo", 3, 1, 0.5}, {"echo 0 ms", 0, 1, 0.25}, {"long delay", 160, 0, 1}};
  for (const auto& [name, ms, direct, delayed] : delays) {
    routines.push_back({name, [=](TWave& w, const Selection& s, Progress& p) { DelayMix(w, s, p, ms, direct, delayed); },
                        [=](TWave& w, const Selection& s, Progress& p) { reference::Delay(w, s, p, ms, direct, delayed); }});
  }
  routines.push_back({"noise",
                      [](TWave& w, const Selection& s, Progress& p) {
                        RandomGenerator random;
                        AddNoise(w, s, p, random, 60);
                      },
                      [](TWave& w, const Selection& s, Progress& p) { reference::Noise(w, s, p, 60); }});
  for (const int level : {0, 30, 100}) {
    routines.push_back({"gate " + std::to_string(level),
                        [=](TWave& w, const Selection& s, Progress& p) { NoiseGate(w, s, p, level); },
                        [=](TWave& w, const Selection& s, Progress& p) { reference::Gate(w, s, p, level); }});
  }
  const std::tuple<const char*, SignalPlan> signals[] = {{"sine", {SignalKind::Sine, 1000, 40}},
                                                         {"sine of an odd frequency", {SignalKind::Sine, 2999, 70}},
                                                         {"square", {SignalKind::Square, 441, 30}},
                                                         {"square beyond 32 bits", {SignalKind::Square, 2147483647, 20}}};
  for (const auto& [name, plan] : signals) {
    routines.push_back({name, [plan](TWave& w, const Selection& s, Progress& p) { GenerateSignal(w, s, p, plan); },
                        [plan](TWave& w, const Selection& s, Progress& p) { reference::Signal(w, s, p, plan); }});
  }
  return routines;
}

struct Outcome {
  std::vector<uint8_t> image;
  std::vector<int> gauge;
  std::string error;
};

Outcome Apply(const std::vector<uint8_t>& image, const Selection& sel, const RoutineFn& routine) {
  TWave wave;
  wave.LoadFromImage("w.wav", image);
  RecordingProgress progress;
  Outcome out;
  try {
    routine(wave, sel, progress);
  } catch (const std::exception& error) {
    out.error = error.what();
  }
  out.image = wave.Image();
  out.gauge = progress.Values;
  return out;
}

template <class T>
std::string FirstDifference(const char* what, const std::vector<T>& typed,
                            const std::vector<T>& plain) {
  const auto [a, b] = std::ranges::mismatch(typed, plain);
  if (a == typed.end() && b == plain.end()) return "";
  const auto show = [](auto it, const std::vector<T>& v) {
    return it == v.end() ? "none" : std::to_string(+*it);
  };
  return what + std::to_string(a - typed.begin()) + ": " + show(a, typed) + " vs " + show(b, plain);
}

// Empty when both outcomes agree, else where they first part.
std::string Difference(const Outcome& typed, const Outcome& plain) {
  if (typed.error != plain.error) return "error '" + typed.error + "' vs '" + plain.error + "'";
  const std::string gauge = FirstDifference("gauge step ", typed.gauge, plain.gauge);
  return gauge.empty() ? FirstDifference("byte ", typed.image, plain.image) : gauge;
}

// Seeded noise. The first half stays below full scale, the left channel more than the right, so
// that normalizing has a gain other than 1; in the second half one sample in eight is an extreme
// code or one of the two next to the middle. Floats are 32-bit codes scaled to reach 1.25, past
// full scale, which a float sound keeps.
std::vector<uint8_t> Noise(uint16_t channels, uint16_t bits, int frames, bool floats = false) {
  std::mt19937 random(20240611u + channels * 16u + bits + floats);
  const int64_t low = bits == 8 ? 0 : -(int64_t{1} << (bits - 1)), high = bits == 8 ? 255 : -low - 1;
  const int64_t mid = bits == 8 ? 128 : 0;
  const int64_t extremes[4] = {low, high, mid - 1, mid};
  std::vector<uint8_t> data;
  for (int i = 0; i < frames * channels; ++i) {
    const uint32_t r = random();
    const uint64_t draw = bits > 16 ? uint64_t{r >> 8} << 32 | random() : r >> 8;
    const bool loud = i >= frames * channels / 2;
    const int64_t margin = loud ? 0 : (high - low) / (i % channels == 0 ? 4 : 8);
    int64_t code = loud && r % 8 == 0 ? extremes[(r >> 3) % 4]
                                      : low + margin + static_cast<int64_t>(draw % uint64_t(high - low - 2 * margin + 1));
    if (floats) code = std::bit_cast<int32_t>(static_cast<float>((code + 0.5) / 2147483648.0 * 1.25));
    for (int b = 0; b < bits / 8; ++b) data.push_back(static_cast<uint8_t>(code >> 8 * b));
  }
  std::vector<uint8_t> image = CanonicalWave(channels, 11025, bits, data);
  if (floats) PutU16(image, 20, 3);
  return image;
}

TEST(TypedPath, EveryRoutineMatchesTheSingleSampleForm) {
  const std::vector<Routine> routines = Routines();
  // Words need over 32768 frames before both channels of a selection pay for a table of codes.
  const std::tuple<uint16_t, uint16_t, int, bool> layouts[] = {
      {1, 8, 3000, false},  {2, 8, 3000, false},  {1, 16, 33000, false}, {2, 16, 33000, false},
      {1, 24, 3000, false}, {2, 24, 3000, false}, {1, 32, 3000, false},  {2, 32, 3000, false},
      {1, 32, 3000, true},  {2, 32, 3000, true}};
  const std::pair<bool, bool> flags[] = {
      {true, false}, {false, true}, {true, true}, {false, false}};
  for (const auto& [channels, bits, n, floats] : layouts) {
    const std::vector<uint8_t> image = Noise(channels, bits, n, floats);
    const Selection spans[] = {{0, n - 1},     {137, n - 663},   {-250, 1234},   {n - 321, n + 250},
                               {-101, n + 99}, {n + 5, n + 400}, {n / 3, n / 3}, {500, 499},
                               {n / 2, n / 2 + 1}};
    for (Selection sel : spans) {
      for (const auto& [left, right] : flags) {
        sel.Left = left;
        sel.Right = right;
        for (const Routine& routine : routines) {
          SCOPED_TRACE(std::to_string(bits) + (floats ? "-bit float " : "-bit ") + (channels == 1 ? "mono " : "stereo ") +
                       routine.name + " on " + std::to_string(sel.SelStart) + ".." +
                       std::to_string(sel.SelEnd) + (left ? " L" : "") + (right ? " R" : ""));
          EXPECT_EQ(Difference(Apply(image, sel, routine.typed), Apply(image, sel, routine.plain)),
                    "");
        }
      }
    }
  }
}

// Long selections are made in blocks, each by chains that must meet (24- and 32-bit ones in the
// lanes of vectors); the blocks and the meeting points must not show in the result.
TEST(TypedPath, FiltersOverManyBlocksMatchTheSingleSampleForm) {
  const std::vector<Routine> routines = Routines();
  const std::tuple<uint16_t, uint16_t, bool, bool, bool> layouts[] = {
      {2, 16, false, true, true}, {2, 24, false, true, true}, {2, 32, false, true, true},
      {2, 32, true, true, true},  {1, 24, false, false, true}, {2, 32, false, true, false}};
  for (const auto& [channels, bits, floats, left, right] : layouts) {
    const std::vector<uint8_t> image = Noise(channels, bits, 300000, floats);
    for (const Routine& routine : routines) {
      if (routine.name.find("pass") == std::string::npos && routine.name != "wall" && !routine.name.starts_with("IIR"))
        continue;
      SCOPED_TRACE(std::to_string(channels) + " channels, " + std::to_string(bits) + " bits " + routine.name);
      const Selection sel{77, 299000, left, right};
      EXPECT_EQ(Difference(Apply(image, sel, routine.typed), Apply(image, sel, routine.plain)), "");
    }
  }
}

// Invert moves a code to its mirror instead of negating its value; that is exact for every code.
// Reverse moves codes on the strength of every code reading back as itself (see sample_mapping).
TEST(TypedPath, InvertsIntegerFormIsTheNegatedValueOfEveryCode) {
  std::vector<uint8_t> bytes(256);
  std::vector<int16_t> words(65536);
  for (size_t i = 0; i < words.size(); ++i) {
    words[i] = static_cast<int16_t>(i - 32768);
    if (i < bytes.size()) bytes[i] = static_cast<uint8_t>(i);
  }
  const std::vector<Routine> routines = Routines();
  const Routine& invert = *std::ranges::find(routines, "invert", &Routine::name);
  const std::pair<std::vector<uint8_t>, int32_t> sounds[] = {
      {CanonicalWave(1, 11025, 8, bytes), 255}, {Wave16(words), 65535}};
  for (const auto& [image, last] : sounds) {
    const Selection all{0, last, true, false};
    EXPECT_EQ(Difference(Apply(image, all, invert.typed), Apply(image, all, invert.plain)), "")
        << "last " << last;
  }
}

}  // namespace
