#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "bench_sound.h"
#include "processing/resample.h"
#include "state/session.h"
#include "analysis/loudness.h"

namespace {

void ReportSamples(benchmark::State& state, int64_t samples) {
  state.SetItemsProcessed(state.iterations() * samples);
  state.counters["samples/s"] =
      benchmark::Counter(static_cast<double>(state.items_processed()), benchmark::Counter::kIsRate);
}

void BM_MeasureLoudness(benchmark::State& state) {
  TWave wave;
  LoadBenchSound(wave);
  NoProgress gauge;
  for (auto _ : state) benchmark::DoNotOptimize(MeasureLoudness(wave, gauge));
  ReportSamples(state, int64_t{wave.SampleCount()} * 2);
}

// Resample replaces the sound, so each iteration starts again from the source, with the clock stopped.
void BM_Resample(benchmark::State& state) {
  TWave source;
  LoadBenchSound(source);
  Session session;
  NoProgress gauge;
  for (auto _ : state) {
    state.PauseTiming();
    session.Wave.LoadFromImage("bench.wav", source.Image());
    state.ResumeTiming();
    ResampleSound(session, gauge, "48000");
  }
  ReportSamples(state, int64_t{source.SampleCount()} * 2);
}

// What the resampler itself reaches, before a sample layout rounds it: a 1 kHz sine at -1 dBFS
// from 44.1 to 48 kHz (the largest error against the ideal sine past the first and last 100 ms,
// in dB below its amplitude), and a 23 kHz one from 48 to 44.1 kHz (the largest sample left, the
// same way).
void BM_ResampleAccuracy(benchmark::State& state, double hz, uint32_t from, uint32_t to) {
  const double amplitude = std::pow(10.0, -1 / 20.0);
  std::vector<double> in(2 * from), out(ResampledFrames(2 * from, from, to));
  for (size_t i = 0; i < in.size(); ++i) in[i] = amplitude * std::sin(2 * std::numbers::pi * hz * i / from);
  NoProgress gauge;
  for (auto _ : state) {
    ResampleFrames(
        from, to, 1, in.size(), out.size(), [&](int64_t b, int64_t n, double* v) { std::memcpy(v, &in[b], n * 8); },
        [&](int64_t b, int64_t n, const double* v) { std::memcpy(&out[b], v, n * 8); }, gauge);
  }
  double largest = 0;
  for (size_t i = to / 10; i + to / 10 < out.size(); ++i) {
    const double ideal = hz * 2 < to ? amplitude * std::sin(2 * std::numbers::pi * hz * i / to) : 0;
    largest = std::max(largest, std::fabs(out[i] - ideal));
  }
  state.counters["error_dB"] = 20 * std::log10(largest / amplitude);
}

}  // namespace

BENCHMARK(BM_MeasureLoudness)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ResampleAccuracy, Sine1kTo48k, 1000.0, 44100, 48000)->Iterations(1);
BENCHMARK_CAPTURE(BM_ResampleAccuracy, Sine23kTo44k1, 23000.0, 48000, 44100)->Iterations(1);
