#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <complex>
#include <random>
#include <vector>

#include "bench_sound.h"
#include "analysis/fourier.h"
#include "analysis/spectrum.h"
#include "wave/wave_document.h"

namespace {

std::vector<double> Random(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& x : v) x = value(random);
  return v;
}

// What the spectrum window computes on every refresh.
void BM_SpectrumComputation(benchmark::State& state) {
  TWave wave;
  LoadBenchSound(wave, 1);
  for (auto _ : state) benchmark::DoNotOptimize(ComputeSpectrum(wave, 1000));
}

// A whole transform, the twiddle recurrence included, as a single call makes it.
void BM_Transform(benchmark::State& state) {
  const auto n = static_cast<uint16_t>(state.range(0));
  const std::vector<double> re = Random(n, 1), im = Random(n, 2);
  std::vector<double> outRe(n), outIm(n);
  for (auto _ : state) {
    ForwardTransform(n, re.data(), im.data(), outRe.data(), outIm.data());
    benchmark::DoNotOptimize(outRe.data());
  }
}

// The transform with its plan made beforehand, as FFTW's is.
void BM_TransformPlanned(benchmark::State& state) {
  const auto n = static_cast<uint16_t>(state.range(0));
  const std::vector<double> re = Random(n, 1), im = Random(n, 2);
  std::vector<double> outRe(n), outIm(n);
  const FourierPlan plan(n, kFourierTurn);
  for (auto _ : state) {
    plan.Transform(re.data(), im.data(), outRe.data(), outIm.data());
    benchmark::DoNotOptimize(outRe.data());
  }
}

void BM_Fftw(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  std::vector<std::complex<double>> in(n), out(n);
  fftw_plan plan = fftw_plan_dft_1d(n, reinterpret_cast<fftw_complex*>(in.data()),
                                    reinterpret_cast<fftw_complex*>(out.data()), FFTW_BACKWARD, FFTW_MEASURE);
  const std::vector<double> re = Random(n, 1), im = Random(n, 2);
  for (int i = 0; i < n; ++i) in[i] = {re[i], im[i]};
  for (auto _ : state) {
    fftw_execute(plan);
    benchmark::DoNotOptimize(out.data());
  }
  fftw_destroy_plan(plan);
}

}  // namespace

BENCHMARK(BM_SpectrumComputation)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Transform)->Arg(1024)->Arg(32768)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TransformPlanned)->Arg(1024)->Arg(32768)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fftw)->Arg(1024)->Arg(32768)->Unit(benchmark::kMicrosecond);
