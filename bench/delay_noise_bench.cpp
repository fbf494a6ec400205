#include <benchmark/benchmark.h>

#include "bench_sound.h"
#include "processing/delay_effects.h"
#include "processing/noise_signals.h"
#include "state/random_generator.h"
#include "wave/wave_document.h"

namespace {

void BM_Delay(benchmark::State& s) {
  RunOverTenMinutes(s, [](TWave& w, const Selection& sel, Progress& p) { DelayMix(w, sel, p, 100, 0, 1); });
}
void BM_Echo(benchmark::State& s) {
  RunOverTenMinutes(s, [](TWave& w, const Selection& sel, Progress& p) { DelayMix(w, sel, p, 100, 1, 0.5); });
}
void BM_AddNoise(benchmark::State& s) {
  RandomGenerator random;
  RunOverTenMinutes(s, [&](TWave& w, const Selection& sel, Progress& p) { AddNoise(w, sel, p, random, 25); });
}
// Level 5 leaves a tone alone; level 80 closes the gate over most of it.
void BM_Gate(benchmark::State& s, int level) {
  RunOverTenMinutes(s, [level](TWave& w, const Selection& sel, Progress& p) { NoiseGate(w, sel, p, level); });
}
void BM_Signal(benchmark::State& s, SignalKind kind) {
  RunOverTenMinutes(s, [kind](TWave& w, const Selection& sel, Progress& p) { GenerateSignal(w, sel, p, {kind, 1000, 1}); });
}

}  // namespace

BENCHMARK(BM_Delay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Echo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddNoise)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Gate, Open, 5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Gate, MostlyClosed, 80)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Signal, Sine, SignalKind::Sine)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Signal, Square, SignalKind::Square)->Unit(benchmark::kMillisecond);
