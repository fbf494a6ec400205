#include <gtest/gtest.h>
#ifdef VELORIN_HAVE_FFTW
#include <fftw3.h>
#endif

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

#include "processing/errors.h"
#include "analysis/fourier.h"
#include "analysis/spectrum.h"
#include "test_support.h"
#include "wave/wave_document.h"

namespace {

TEST(Fourier, SizesExponentsAndBitReversalAtTheirEdges) {
  for (unsigned n = 0; n <= 65535; ++n) {
    const bool power = n >= 2 && (n & (n - 1)) == 0;
    ASSERT_EQ(IsFftSize(static_cast<uint16_t>(n)), power) << n;
  }
  EXPECT_EQ(SizeExponent(1), 0);
  EXPECT_EQ(SizeExponent(32768), 15);
  EXPECT_EQ(SizeExponent(12), 2);  // the lowest set bit
  EXPECT_EQ(BitReversed(1, 1), 1);
  EXPECT_EQ(BitReversed(1, 15), 16384);
  EXPECT_EQ(BitReversed(0b110, 3), 0b011);
  EXPECT_EQ(BitReversed(0xFFFF, 4), 0xF);  // only the lowest bits take part
  try {
    Transform(1000, kFourierTurn, nullptr, nullptr, nullptr, nullptr);
    ADD_FAILURE() << "a size of 1000 was taken";
  } catch (const CommandError& error) {
    EXPECT_STREQ(error.what(), "Error in procedure Fourier:  NumSamples=1000 is not a positive integer power of 2.");
  }
}

// FFTW's backward transform has the same positive exponent and no scaling.
TEST(Fourier, EverySizeAgreesWithFftw) {
#ifndef VELORIN_HAVE_FFTW
  GTEST_SKIP() << "FFTW is not installed (scripts/setup installs it)";
#else
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (unsigned n = 2; n <= 32768; n *= 2) {
    std::vector<double> re(n), im(n), outRe(n), outIm(n);
    std::vector<std::complex<double>> in(n), expected(n);
    for (unsigned i = 0; i < n; ++i) {
      re[i] = value(random);
      im[i] = value(random);
      in[i] = {re[i], im[i]};
    }
    fftw_plan plan = fftw_plan_dft_1d(static_cast<int>(n), reinterpret_cast<fftw_complex*>(in.data()),
                                      reinterpret_cast<fftw_complex*>(expected.data()), FFTW_BACKWARD, FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    ForwardTransform(static_cast<uint16_t>(n), re.data(), im.data(), outRe.data(), outIm.data());
    double largest = 0, worst = 0;
    for (unsigned m = 0; m < n; ++m) {
      largest = std::max(largest, std::abs(expected[m]));
      worst = std::max(worst, std::abs(std::complex<double>(outRe[m], outIm[m]) - expected[m]));
    }
    EXPECT_LE(worst, 1e-9 * largest) << "size " << n;
  }
#endif
}

// The points the spectrum window draws, from a sine at an eighth of the sample rate.
TEST(Spectrum, ASineAtAnEighthOfTheRatePeaksAtBin128) {
  std::vector<int16_t> sine(2048);
  for (size_t i = 0; i < sine.size(); ++i) sine[i] = static_cast<int16_t>(std::lround(20000 * std::sin(std::numbers::pi / 4 * i)));
  TWave wave;
  wave.LoadFromImage("w.wav", Wave16(sine));
  const SpectrumPowers powers = ComputeSpectrum(wave, 0);
  EXPECT_EQ(std::max_element(powers.Left.begin(), powers.Left.end()) - powers.Left.begin(), 128);
  EXPECT_EQ(powers.Left, powers.Right);  // a mono sound reads the same samples twice

  const int width = 296, height = 170;
  const auto points = SpectrumPoints(powers.Left, width, height, 5, 10);
  EXPECT_EQ(points[128].X, static_cast<int>(std::nearbyint(128.0 / 511 * 295)));
  EXPECT_EQ(points[511].X, 295);
  const auto raised = SpectrumPoints(powers.Left, width, height, 5, 11);
  const auto flat = SpectrumPoints(powers.Left, width, height, 0, 10);
  for (int k = 0; k < kSpectrumBins; ++k) {
    EXPECT_EQ(raised[k].Y, points[k].Y - 5) << k;
    EXPECT_EQ(flat[k].Y, 169) << k;
  }
  // From the last frame on, every windowed sample is 0: no logarithm, drawn on the bottom row.
  const SpectrumPowers none = ComputeSpectrum(wave, 2047);
  EXPECT_EQ(SpectrumPoints(none.Right, width, height, 5, 10)[7].Y, 169);

  EXPECT_EQ(SpectrumFrequencyAt(44100, 295, width), 22050);
  EXPECT_EQ(SpectrumFrequencyAt(44100, 0, width), 0);
}

}  // namespace
