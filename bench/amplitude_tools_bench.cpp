#include <benchmark/benchmark.h>

#include "bench_sound.h"
#include "processing/amplitude_tools.h"
#include "wave/wave_document.h"

namespace {

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
