#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <vector>

#include "bench_sound.h"
#include "wave/wave_document.h"

namespace {

enum class SourceFormat { Stereo16, Mono16, Stereo8, Stereo24, StereoFloat };

// Every conversion replaces the sound with one in another format, so each iteration has to
// start again from the same source. A TWave cannot be copied, and converting back would time a
// second conversion, so each source format is kept once as a file's bytes and loaded anew before
// every iteration with the clock stopped. What is timed is then the conversion as the editor runs
// it: building the new image (its allocation and first touch included) and letting the old one go.
const std::vector<uint8_t>& SourceImage(SourceFormat format) {
  static std::map<SourceFormat, std::vector<uint8_t>> images;
  std::vector<uint8_t>& image = images[format];
  if (image.empty()) {
    TWave wave;
    LoadBenchSound(wave);
    if (format == SourceFormat::Mono16) wave.ConvertToMono();
    if (format == SourceFormat::Stereo8) wave.ConvertTo8Bit();
    if (format == SourceFormat::Stereo24) wave.ConvertTo24Bit();
    if (format == SourceFormat::StereoFloat) wave.ConvertToFloat();
    image = wave.Image();
  }
  return image;
}

void BM_Convert(benchmark::State& state, SourceFormat format, void (TWave::*convert)()) {
  const std::vector<uint8_t>& source = SourceImage(format);
  TWave wave;
  int64_t sourceSamples = 0;
  for (auto _ : state) {
    state.PauseTiming();
    wave.LoadFromImage("bench.wav", source);
    sourceSamples = int64_t{wave.SampleCount()} * wave.Channels();
    state.ResumeTiming();
    (wave.*convert)();
    benchmark::DoNotOptimize(wave.Image().data());
  }
  state.SetItemsProcessed(state.iterations() * sourceSamples);
  state.counters["samples/s"] =
      benchmark::Counter(static_cast<double>(state.items_processed()), benchmark::Counter::kIsRate);
}

// The first conversion in a process is now and then several times slower than the rest, as the
// machine backs the fresh megabytes of the new image for the first time; the warm-up keeps that
// one-off out of the figures.
void Timed(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Convert, ToMono, SourceFormat::Stereo16, &TWave::ConvertToMono)->Apply(Timed);
BENCHMARK_CAPTURE(BM_Convert, ToStereo, SourceFormat::Mono16, &TWave::ConvertToStereo)
    ->Apply(Timed);
BENCHMARK_CAPTURE(BM_Convert, To8Bit, SourceFormat::Stereo16, &TWave::ConvertTo8Bit)->Apply(Timed);
BENCHMARK_CAPTURE(BM_Convert, To16Bit, SourceFormat::Stereo8, &TWave::ConvertTo16Bit)->Apply(Timed);
BENCHMARK_CAPTURE(BM_Convert, DoubleRate, SourceFormat::Stereo16, &TWave::DoubleSampleRate)
    ->Apply(Timed);
BENCHMARK_CAPTURE(BM_Convert, HalveRate, SourceFormat::Stereo16, &TWave::HalveSampleRate)
    ->Apply(Timed);
// Down from the wide layouts, over the old image (nothing keeps it for an undo here).
BENCHMARK_CAPTURE(BM_Convert, To16BitFrom24, SourceFormat::Stereo24, &TWave::ConvertTo16Bit)->Apply(Timed);
BENCHMARK_CAPTURE(BM_Convert, To8BitFrom24, SourceFormat::Stereo24, &TWave::ConvertTo8Bit)->Apply(Timed);
BENCHMARK_CAPTURE(BM_Convert, To16BitFromFloat, SourceFormat::StereoFloat, &TWave::ConvertTo16Bit)->Apply(Timed);
