#include <benchmark/benchmark.h>

#include "bench_sound.h"
#include "processing/linear_filters.h"
#include "wave/wave_document.h"

namespace {

void BM_FirstOrder(benchmark::State& s, FilterKind kind) {
  RunOverTenMinutes(s, [kind](TWave& w, const Selection& sel, Progress& p) {
    FirstOrderFilter(w, sel, p, kind, 1000, 0.5, 0.25, 0.25);
  });
}

void BM_Wall(benchmark::State& s) {
  RunOverTenMinutes(s, [](TWave& w, const Selection& sel, Progress& p) { ApplyWallFilter(w, sel, p, 15.0); });
}

}  // namespace

BENCHMARK_CAPTURE(BM_FirstOrder, LowPass, FilterKind::LowPass)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstOrder, HighPass, FilterKind::HighPass)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstOrder, CustomIIR, FilterKind::Custom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Wall)->Unit(benchmark::kMillisecond);
