#include <benchmark/benchmark.h>

#include <functional>

#include "bench_sound.h"
#include "processing/amplitude_tools.h"
#include "wave/wave_document.h"

namespace {

// Runs `routine` over the whole of a fresh 10-minute stereo sound, both channels selected.
void RunOverTenMinutes(benchmark::State& state,
                       const std::function<void(TWave&, const Selection&, Progress&)>& routine) {
  TWave wave;
  LoadBenchSound(wave);
  const Selection all{0, static_cast<int32_t>(wave.SampleCount()) - 1, true, true};
  NoProgress gauge;
  for (auto _ : state) {
    routine(wave, all, gauge);
    benchmark::DoNotOptimize(wave.Image().data());
  }
  state.SetItemsProcessed(state.iterations() * int64_t{wave.SampleCount()} * 2);
  state.counters["samples/s"] = benchmark::Counter(static_cast<double>(state.items_processed()),
                                                   benchmark::Counter::kIsRate);
}

void BM_Mute(benchmark::State& s) { RunOverTenMinutes(s, MuteSelection); }
void BM_Normalize(benchmark::State& s) {
  RunOverTenMinutes(s, [](TWave& w, const Selection& sel, Progress& p) { NormalizeSelection(w, sel, p, 90); });
}
void BM_RemoveDC(benchmark::State& s) { RunOverTenMinutes(s, RemoveDCOffset); }
void BM_Window(benchmark::State& s, WindowKind kind) {
  RunOverTenMinutes(s, [kind](TWave& w, const Selection& sel, Progress& p) { ApplyWindow(w, sel, p, kind); });
}
void BM_Reverse(benchmark::State& s) { RunOverTenMinutes(s, ReverseSelection); }

}  // namespace

BENCHMARK(BM_Mute)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Normalize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveDC)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Window, FadeIn, WindowKind::FadeIn)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Window, FadeOut, WindowKind::FadeOut)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Window, Hanning, WindowKind::Hanning)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Window, Invert, WindowKind::Invert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reverse)->Unit(benchmark::kMillisecond);
