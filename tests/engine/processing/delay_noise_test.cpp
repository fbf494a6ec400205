#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "processing/delay_effects.h"
#include "processing/errors.h"
#include "processing/noise_signals.h"
#include "state/random_generator.h"
#include "state/session.h"
#include "test_support.h"
#include "wave/wave_document.h"

// The walks, gauges and in-place reads of these routines are held against the single-sample form
// in typed_path_test; here are their values at the edges that matter to a user.

namespace {

std::vector<int> Codes16(const TWave& wave, bool right = false) {
  std::vector<int> codes;
  for (uint32_t i = 0; i < wave.SampleCount(); ++i)
    codes.push_back(static_cast<int>(std::lround((wave.GetSample(i, right) * 65535 - 1) / 2)));
  return codes;
}

// A 16-bit mono sound at 1000 Hz, so that milliseconds are frames.
void Load(TWave& wave, const std::vector<int16_t>& codes) {
  std::vector<uint8_t> image = Wave16(codes);
  PutU32(image, 24, 1000);
  PutU32(image, 28, 2000);
  wave.LoadFromImage("w.wav", image);
}

TEST(DelayEffects, DelayFramesRoundHalvesToEven) {
  EXPECT_EQ(DelayFrames(1, 11025), 11);
  EXPECT_EQ(DelayFrames(1000, 44100), 44100);
  EXPECT_EQ(DelayFrames(1, 8500), 8);
  EXPECT_EQ(DelayFrames(1, 9500), 10);
  EXPECT_EQ(DelayFrames(28 * int64_t{2147483647}, 4294967295u), 258254416851545096);  // no overflow
}

TEST(DelayEffects, DelayAndEchoOnASelection) {
  const std::vector<int16_t> input = {10, 20, 30, 40, 50, 60, 70, 80};
  struct Case {
    const char* name;
    Selection sel;
    void (*run)(TWave&, const Selection&, Progress&);
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"0 ms changes nothing", {1, 6, true, false}, [](TWave& w, const Selection& s, Progress& p) { DelayCommand(w, s, p, "0"); },
       {10, 20, 30, 40, 50, 60, 70, 80}},
      {"pure delay by 2", {1, 6, true, false}, [](TWave& w, const Selection& s, Progress& p) { DelayCommand(w, s, p, "2"); },
       {10, 0, 0, 20, 30, 40, 50, 80}},
      {"delay past the selection silences past it", {1, 2, true, false}, [](TWave& w, const Selection& s, Progress& p) { DelayCommand(w, s, p, "4"); },
       {10, 0, 0, 0, 0, 60, 70, 80}},
      {"echo past the selection changes nothing", {1, 2, true, false}, [](TWave& w, const Selection& s, Progress& p) { DelayMix(w, s, p, 4, 1, 1); },
       {10, 20, 30, 40, 50, 60, 70, 80}},
      {"echo at 100 % averages", {1, 6, true, false}, [](TWave& w, const Selection& s, Progress& p) { DelayMix(w, s, p, 2, 1, 1); },
       {10, 20, 30, 30, 40, 50, 60, 80}},
      {"a delay as long as the sound does nothing", {0, 7, true, false}, [](TWave& w, const Selection& s, Progress& p) { DelayCommand(w, s, p, "8"); },
       {10, 20, 30, 40, 50, 60, 70, 80}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWave wave;
    Load(wave, input);
    NoProgress none;
    c.run(wave, c.sel, none);
    EXPECT_EQ(Codes16(wave), c.expected);
  }
}

TEST(DelayEffects, EchoRepeatPlansAndRefusals) {
  for (const auto& [amplitude, passes] : std::vector<std::pair<const char*, int>>{{"90", 28}, {"50", 4}, {"10", 1}, {"0.2", 0}}) {
    EXPECT_EQ(PlanEchoRepeat("100", amplitude).Passes, passes) << amplitude;
  }
  EXPECT_THROW(PlanEchoRepeat("-1", "50"), EchoPeriodRefused);
  EXPECT_THROW(PlanEchoRepeat("100", "90.5"), EchoAmplitudeRefused);
  EXPECT_THROW(PlanEchoRepeat("100", "-1"), EchoAmplitudeRefused);
  EXPECT_THROW(PlanEchoRepeat("1x", "50"), CommandError);
  try {
    PlanEchoRepeat("100", "0");
    ADD_FAILURE() << "amplitude 0 passed";
  } catch (const CommandError& error) {
    EXPECT_STREQ(error.what(), kDivisionByZero);
  }
  // Pass i echoes i periods later at (A/100)^i, on the result of the pass before.
  TWave wave;
    Load(wave, {1000, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  std::vector<std::string> passes;
  NoProgress none;
  EchoRepeat(wave, {0, 9, true, false}, none, PlanEchoRepeat("2", "50"),
             [&](int i, int n) { passes.push_back(std::to_string(i) + "/" + std::to_string(n)); });
  EXPECT_EQ(passes, (std::vector<std::string>{"1/4", "2/4", "3/4", "4/4"}));
  for (int frame : {1, 3, 5, 7, 9}) EXPECT_EQ(Codes16(wave)[frame], 0) << frame;
  EXPECT_GT(Codes16(wave)[2], 100);
}

TEST(DelayEffects, StereoExpandOfMonoEchoesLeftAt5And15RightAt10And20) {
  std::vector<int16_t> impulse(40, 0);
  impulse[0] = 30000;
  Session session;
  Load(session.Wave, impulse);
  session.View.Sel = {3, 4, true, false};
  NoProgress none;
  StereoExpand(session, none);
  ASSERT_EQ(session.Wave.Channels(), 2);
  const Selection& sel = session.View.Sel;
  EXPECT_EQ(std::make_tuple(sel.SelStart, sel.SelEnd, sel.Left, sel.Right), std::make_tuple(0, 39, true, true));
  const auto loud = [&](bool right) {
    std::vector<int> frames;
    const std::vector<int> codes = Codes16(session.Wave, right);
    for (int i = 0; i < 40; ++i) {
      if (std::abs(codes[i]) > 100) frames.push_back(i);
    }
    return frames;
  };
  EXPECT_EQ(loud(false), (std::vector<int>{0, 5, 15, 20}));  // 20: the echo at 15 of the one at 5
  EXPECT_EQ(loud(true), (std::vector<int>{0, 10, 20, 30}));
}

TEST(Noise, TheGeneratorStartsAtSeed0AndSkipsExactly) {
  RandomGenerator random;
  std::vector<int> draws;
  for (int i = 0; i < 4; ++i) draws.push_back(static_cast<int>(random.Draw(2000)) - 1000);
  // Seeds 1, 134775814, ... worked out by hand from s·134775813 + 1 (mod 2^32).
  EXPECT_EQ(draws, (std::vector<int>{-1000, -938, 722, -595}));
  RandomGenerator stepped, skipped;
  for (int i = 0; i < 12345; ++i) stepped.Draw(7);
  skipped.Skip(12345);
  EXPECT_EQ(skipped.Seed, stepped.Seed);
}

TEST(Noise, LevelZeroChangesNothingButDrawsForEverySelectedSampleEvenPastTheEnd) {
  TWave wave;
    Load(wave, {1, 2, 3, 4});
  const std::vector<uint8_t> before = wave.Image();
  RandomGenerator random, expected;
  NoProgress none;
  AddNoise(wave, {2, 9, true, true}, none, random, 0);
  EXPECT_EQ(wave.Image(), before);
  expected.Skip(16);  // 8 frames, both flags: a mono sound's one channel twice
  EXPECT_EQ(random.Seed, expected.Seed);
}

TEST(Noise, TheGateAtItsLimitsAndNearTheSelectionsEnd) {
  std::vector<int16_t> loud(40, 20000);
  struct Case {
    const char* name;
    Selection sel;
    int level;
    std::vector<int> silenced;
  };
  const Case cases[] = {
      {"level 0 never gates", {0, 39, true, false}, 0, {}},
      {"level 100 gates what is below full scale", {0, 39, true, false}, 100, {0, 39}},
      // A short selection's first frames read 10 frames on: inside the sound they are loud, past
      // its end they read 0.
      {"short selection inside", {10, 12, true, false}, 50, {}},
      {"short selection at the end", {37, 39, true, false}, 50, {37, 39}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWave wave;
    Load(wave, loud);
    NoProgress none;
    NoiseGate(wave, c.sel, none, c.level);
    const std::vector<int> codes = Codes16(wave);
    for (int i = 0; i < 40; ++i) {
      const bool silenced = !c.silenced.empty() && i >= c.silenced[0] && i <= c.silenced[1];
      EXPECT_EQ(codes[i], silenced ? 0 : 20000) << i;
    }
  }
}

TEST(Signals, PhaseFromFrameZeroAndTheSquaresConstantAtZeroHertz) {
  const std::vector<int16_t> silence(12, 0);
  struct Case {
    const char* name;
    SignalPlan plan;
    Selection sel;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"sine at a quarter of the rate", {SignalKind::Sine, 250, 50}, {0, 7, true, false}, {0, 16384, 0, -16384, 0, 16384, 0, -16384, 0, 0, 0, 0}},
      {"from frame 5 on, in phase", {SignalKind::Sine, 250, 50}, {5, 11, true, false}, {0, 0, 0, 0, 0, 16384, 0, -16384, 0, 16384, 0, -16384}},
      {"square of 0 Hz", {SignalKind::Square, 0, 50}, {0, 11, true, false}, std::vector<int>(12, 16384)},
      {"square of 125 Hz", {SignalKind::Square, 125, 50}, {0, 11, true, false}, {16384, 16384, 16384, -16384, -16384, -16384, 16384, 16384, 16384, 16384, 16384, -16384}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWave wave;
    Load(wave, silence);
    NoProgress none;
    GenerateSignal(wave, c.sel, none, c.plan);
    EXPECT_EQ(Codes16(wave), c.expected);
  }
  EXPECT_THROW(PlanSignal(SignalKind::Sine, "-1", "50"), InputRefused);
  EXPECT_THROW(PlanSignal(SignalKind::Square, "100", "-1"), InputRefused);
}

}  // namespace
