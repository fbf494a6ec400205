#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

#include "state/progress.h"
#include "state/selection.h"
#include "wave/wave_document.h"


// A 44,100 Hz 16-bit stereo sound of `seconds` loaded into `wave`: a tone on the left, a
// different one on the right, so that no routine meets silence.
void LoadBenchSound(TWave& wave, uint32_t seconds = 600);

// Runs `routine(wave, selection, gauge)` over the whole of a fresh 10-minute stereo sound, both
// channels selected, and reports samples per second.
template <class Routine>
void RunOverTenMinutes(benchmark::State& state, Routine&& routine) {
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
