// The peak view on the 10-minute sound: building its summary, and the columns of both strips at
// full view, which is what a redraw works out before it paints.

#include <benchmark/benchmark.h>

#include "bench_sound.h"
#include "state/view_state.h"
#include "analysis/peak_summary.h"
#include "analysis/wave_drawing.h"
#include "wave/wave_document.h"

namespace {

constexpr int kStripWidth = 761;
constexpr int kStripHeight = 153;

// 16-bit stereo as loaded, or brought down to 8-bit mono, the layout with the most frames per byte.
void LoadSound(TWave& wave, bool eightBitMono) {
  LoadBenchSound(wave);
  if (!eightBitMono) return;
  wave.ConvertToMono();
  wave.ConvertTo8Bit();
}

void BM_BuildSummary(benchmark::State& state, bool eightBitMono) {
  TWave wave;
  LoadSound(wave, eightBitMono);
  PeakSummary peaks;
  for (auto _ : state) {
    peaks.Build(wave);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t{wave.SampleCount()} * wave.Channels());
  state.counters["samples/s"] = benchmark::Counter(static_cast<double>(state.items_processed()),
                                                   benchmark::Counter::kIsRate);
}

void BM_FullViewColumns(benchmark::State& state) {
  TWave wave;
  LoadBenchSound(wave);
  PeakSummary peaks;
  peaks.Build(wave);
  ViewState view;
  SelectAll(view, wave);
  ShowWholeWave(view, wave);
  for (auto _ : state) {
    for (bool right : {false, true})
      benchmark::DoNotOptimize(PeakChannel(wave, peaks, view, right, kStripWidth, kStripHeight));
  }
}

}  // namespace

BENCHMARK_CAPTURE(BM_BuildSummary, Stereo16, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildSummary, Mono8, true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullViewColumns)->Unit(benchmark::kMicrosecond);
