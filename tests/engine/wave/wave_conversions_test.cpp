#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "test_support.h"
#include "wave/wave_document.h"

namespace {

class WaveConversionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wave.OnProgress = [this](TWave& sender, int8_t p) {
      EXPECT_EQ(&sender, &wave);
      reports.push_back(p);
    };
  }

  void Load(uint16_t channels, uint32_t rate, uint16_t bits, const std::vector<uint8_t>& data,
            const std::vector<uint8_t>& trailer = {}) {
    std::vector<uint8_t> bytes = CanonicalWave(channels, rate, bits, data);
    bytes.insert(bytes.end(), trailer.begin(), trailer.end());
    wave.LoadFromImage("w.wav", std::move(bytes));
  }
  void Load8(uint16_t channels, const std::vector<uint8_t>& samples, uint32_t rate = 11025) {
    Load(channels, rate, 8, samples);
  }
  void Load16(uint16_t channels, const std::vector<int16_t>& samples, uint32_t rate = 44100) {
    Load(channels, rate, 16, Words(samples));
  }

  std::vector<uint8_t> Data() const { return {wave.Image().begin() + 44, wave.Image().end()}; }
  std::vector<int16_t> Samples16() const {
    std::vector<int16_t> s((wave.Image().size() - 44) / 2);
    std::memcpy(s.data(), wave.Image().data() + 44, s.size() * 2);
    return s;
  }

  // After every conversion the cached header is the image's first 44 bytes, the image ends with
  // the data and the header's derived fields follow from its format.
  void ExpectCanonical(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataSize) {
    const TWaveHeader& h = wave.Header();
    EXPECT_EQ(h.Channels, channels);
    EXPECT_EQ(h.SampleRate, rate);
    EXPECT_EQ(h.BitsPerSample, bits);
    EXPECT_EQ(h.DataSize, dataSize);
    EXPECT_EQ(h.RiffSize, dataSize + 36);
    EXPECT_EQ(h.BlockAlign, channels * bits / 8);
    ASSERT_EQ(wave.Image().size(), 44u + dataSize);
    EXPECT_EQ(std::memcmp(wave.Image().data(), &h, 44), 0);
  }

  TWave wave;
  std::vector<int> reports;
};

TEST_F(WaveConversionsTest, MonoAveragesBytesDownAndWordsTowardZero) {
  Load8(2, {0, 1, 255, 254, 128, 129});
  wave.ConvertToMono();
  ExpectCanonical(1, 11025, 8, 3);
  EXPECT_EQ(wave.Header().BytesPerSec, 11025u);
  EXPECT_EQ(Data(), (std::vector<uint8_t>{0, 254, 128}));

  Load16(2, {-3, 0, 3, 0, 32767, 32767, -32768, -32768, -32768, 32767});
  wave.ConvertToMono();
  ExpectCanonical(1, 44100, 16, 10);
  EXPECT_EQ(wave.Header().BytesPerSec, 88200u);
  EXPECT_EQ(Samples16(), (std::vector<int16_t>{-1, 1, 32767, -32768, 0}));
}

TEST_F(WaveConversionsTest, StereoWritesEachSampleTwice) {
  const std::vector<uint8_t> bytes{0, 10, 20, 30, 40, 50, 60, 70, 80, 255};
  Load8(1, bytes);
  wave.ConvertToStereo();
  ExpectCanonical(2, 11025, 8, 20);
  EXPECT_EQ(wave.Header().RiffSize, 56u);
  EXPECT_EQ(wave.Header().BlockAlign, 2);
  EXPECT_EQ(wave.Header().BytesPerSec, 22050u);
  std::vector<uint8_t> twice;
  for (uint8_t b : bytes) twice.insert(twice.end(), {b, b});
  EXPECT_EQ(Data(), twice);

  Load16(1, {-32768, 5, 32767});
  wave.ConvertToStereo();
  ExpectCanonical(2, 44100, 16, 12);
  EXPECT_EQ(Samples16(), (std::vector<int16_t>{-32768, -32768, 5, 5, 32767, 32767}));
}

TEST_F(WaveConversionsTest, EightBitsTakesTheNearestByteOfEveryWord) {
  Load16(2, {-32768, 0, 32767, 128});
  wave.ConvertTo8Bit();
  ExpectCanonical(2, 44100, 8, 4);
  EXPECT_EQ(wave.Header().BytesPerSec, 88200u);
  EXPECT_EQ(Data(), (std::vector<uint8_t>{0, 128, 255, 128}));

  // Every word against the nearest integer of (s + 32768) / 257 in integers alone.
  std::vector<int16_t> all;
  for (int s = -32768; s <= 32767; ++s) all.push_back(static_cast<int16_t>(s));
  Load16(1, all);
  wave.ConvertTo8Bit();
  const std::vector<uint8_t> data = Data();
  ASSERT_EQ(data.size(), all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    const int x = all[i] + 32768;
    ASSERT_EQ(data[i], (2 * x + 257) / 514) << "word " << all[i];
  }
}

TEST_F(WaveConversionsTest, SixteenBitsIsExactAndEightAfterSixteenGivesTheBytesBack) {
  Load8(1, {0, 128, 255});
  wave.ConvertTo16Bit();
  ExpectCanonical(1, 11025, 16, 6);
  EXPECT_EQ(wave.Header().BytesPerSec, 22050u);
  EXPECT_EQ(Samples16(), (std::vector<int16_t>{-32768, 128, 32767}));

  std::vector<uint8_t> every;
  for (int b = 0; b < 256; ++b) every.insert(every.end(), {static_cast<uint8_t>(b), static_cast<uint8_t>(255 - b)});
  Load8(2, every);
  wave.ConvertTo16Bit();
  ExpectCanonical(2, 11025, 16, 1024);
  wave.ConvertTo8Bit();
  ExpectCanonical(2, 11025, 8, 512);
  EXPECT_EQ(wave.Header().BytesPerSec, 22050u);
  EXPECT_EQ(Data(), every);
}

TEST_F(WaveConversionsTest, SixteenAfterEightDoesNotRestoreTheWords) {
  Load16(1, {1000});
  wave.ConvertTo8Bit();
  wave.ConvertTo16Bit();
  EXPECT_EQ(Samples16(), (std::vector<int16_t>{899}));
}

TEST_F(WaveConversionsTest, DoubleInterpolatesBetweenNeighbours) {
  Load8(1, {0, 100, 200});
  wave.DoubleSampleRate();
  ExpectCanonical(1, 22050, 8, 4);
  EXPECT_EQ(wave.Header().BytesPerSec, 22050u);
  EXPECT_EQ(Data(), (std::vector<uint8_t>{0, 50, 100, 150}));

  // Each channel with its own neighbour; word means go toward zero.
  Load16(2, {-3, 10, 0, 11, 32767, -32768, 32767, -32767});
  wave.DoubleSampleRate();
  ExpectCanonical(2, 88200, 16, 8 * 4 - 8);
  EXPECT_EQ(wave.Header().BytesPerSec, 352800u);
  EXPECT_EQ(wave.SampleCount(), 6u);
  EXPECT_EQ(Samples16(), (std::vector<int16_t>{-3, 10, -1, 10, 0, 11, 16383, -16378, 32767, -32768,
                                                32767, -32767}));

  Load8(2, {1, 2, 4, 8});
  wave.DoubleSampleRate();
  EXPECT_EQ(Data(), (std::vector<uint8_t>{1, 2, 2, 5}));
}

TEST_F(WaveConversionsTest, HalveAveragesPairsAndDropsAnOddLastFrame) {
  Load8(1, {0, 100, 200, 255, 7});
  wave.HalveSampleRate();
  ExpectCanonical(1, 5512, 8, 2);
  EXPECT_EQ(wave.Header().BytesPerSec, 5512u);
  EXPECT_EQ(Data(), (std::vector<uint8_t>{50, 227}));

  std::vector<int16_t> samples;
  for (int i = 0; i < 1000; ++i) samples.insert(samples.end(), {static_cast<int16_t>(i * 37 - 20000), static_cast<int16_t>(-i * 29)});
  Load16(2, samples);
  wave.HalveSampleRate();
  ExpectCanonical(2, 22050, 16, 2000);
  EXPECT_EQ(wave.SampleCount(), 500u);
  const std::vector<int16_t> out = Samples16();
  for (int c = 0; c < 500; ++c) {
    for (int ch = 0; ch < 2; ++ch) {
      const int a = samples[4 * c + ch], b = samples[4 * c + 2 + ch];
      ASSERT_EQ(out[2 * c + ch], (a + b) / 2) << "frame " << c << " channel " << ch;
    }
  }
}

TEST_F(WaveConversionsTest, HalveOfAnOddCountEndsInHalfAFrameOfSilence) {
  Load16(2, {100, 200, 300, 400, 999, 999});
  wave.HalveSampleRate();
  ExpectCanonical(2, 22050, 16, 6);
  EXPECT_EQ(wave.SampleCount(), 1u);
  EXPECT_EQ(Samples16(), (std::vector<int16_t>{200, 300, 0}));

  Load8(2, {10, 20, 30, 40, 99, 99});
  wave.HalveSampleRate();
  ExpectCanonical(2, 5512, 8, 3);
  EXPECT_EQ(wave.SampleCount(), 1u);
  EXPECT_EQ(Data(), (std::vector<uint8_t>{20, 30, 128}));

  Load16(1, {-7, -8, 999});
  wave.HalveSampleRate();
  ExpectCanonical(1, 22050, 16, 3);
  EXPECT_EQ(wave.SampleCount(), 1u);
  EXPECT_EQ(Data(), (std::vector<uint8_t>{0xF9, 0xFF, 0}));
}

TEST_F(WaveConversionsTest, ShortSoundsConvertWithoutFailing) {
  // Before anything is loaded there is no image to read from or to replace.
  TWave empty;
  empty.ConvertToStereo();
  empty.ConvertTo16Bit();
  empty.DoubleSampleRate();
  EXPECT_TRUE(empty.Image().empty());

  // No frames at all.
  Load16(2, {});
  wave.ConvertToMono();
  ExpectCanonical(1, 44100, 16, 0);
  wave.DoubleSampleRate();
  ExpectCanonical(1, 88200, 16, 0);
  wave.HalveSampleRate();
  ExpectCanonical(1, 44100, 16, 0);
  EXPECT_EQ(reports, (std::vector<int>{-1, -1, -1}));

  // One frame: the rate conversions leave none (Double) or only silence (Halve).
  reports.clear();
  Load16(2, {5, 6});
  wave.ConvertTo8Bit();
  EXPECT_EQ(reports, (std::vector<int>{0, -1}));
  wave.ConvertToMono();
  ExpectCanonical(1, 44100, 8, 1);
  EXPECT_EQ(reports, (std::vector<int>{0, -1, 0, -1}));
  Load16(2, {5, 6});
  wave.HalveSampleRate();
  ExpectCanonical(2, 22050, 16, 2);
  EXPECT_EQ(wave.SampleCount(), 0u);
  EXPECT_EQ(Samples16(), (std::vector<int16_t>{0}));
  Load16(2, {5, 6});
  wave.DoubleSampleRate();
  ExpectCanonical(2, 88200, 16, 0);

  // Two frames: the rate conversions have one step, reported as 0.
  reports.clear();
  Load8(1, {10, 20});
  wave.DoubleSampleRate();
  EXPECT_EQ(Data(), (std::vector<uint8_t>{10, 15}));
  Load8(1, {10, 21});
  wave.HalveSampleRate();
  EXPECT_EQ(Data(), (std::vector<uint8_t>{15}));
  EXPECT_EQ(reports, (std::vector<int>{0, -1, 0, -1}));
}

TEST_F(WaveConversionsTest, ProgressComesAtEveryHundredthStepAndEndsWithMinusOne) {
  Load16(2, std::vector<int16_t>(2 * 1000));
  wave.ConvertToMono();
  EXPECT_EQ(reports, (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, -1}));

  reports.clear();
  Load16(2, std::vector<int16_t>(2 * 1001));
  wave.ConvertToMono();
  EXPECT_EQ(reports, (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, -1}));

  // Both channels are steps of their own: 2000 steps against a divisor of 1998.
  reports.clear();
  Load16(2, std::vector<int16_t>(2 * 1000));
  wave.ConvertTo8Bit();
  ASSERT_EQ(reports.size(), 21u);
  EXPECT_EQ(reports[1], 5);
  EXPECT_EQ(reports[10], 50);
  EXPECT_EQ(reports[19], 95);
  EXPECT_EQ(reports[20], -1);

  // Halving goes by pairs: 501 steps against (1002 - 2) / 2.
  reports.clear();
  Load16(1, std::vector<int16_t>(1002));
  wave.HalveSampleRate();
  EXPECT_EQ(reports, (std::vector<int>{0, 20, 40, 60, 80, 100, -1}));

  reports.clear();
  Load8(1, std::vector<uint8_t>(302));
  wave.DoubleSampleRate();
  EXPECT_EQ(reports, (std::vector<int>{0, 33, 67, 100, -1}));
}

TEST_F(WaveConversionsTest, ConversionsToTheFormatAtHandChangeAndReportNothing) {
  const std::vector<uint8_t> trailer{'L', 'I', 'S', 'T', 0, 0, 0, 0};
  Load(1, 11025, 8, {1, 2, 3}, trailer);
  const std::vector<uint8_t> before = wave.Image();
  wave.ConvertToMono();
  wave.ConvertTo8Bit();
  EXPECT_EQ(wave.Image(), before);
  Load(2, 11025, 16, Words({1, 2}), trailer);
  const std::vector<uint8_t> stereo = wave.Image();
  wave.ConvertToStereo();
  wave.ConvertTo16Bit();
  EXPECT_EQ(wave.Image(), stereo);
  EXPECT_TRUE(reports.empty());
}

TEST_F(WaveConversionsTest, AConversionDropsWhatFollowedTheData) {
  Load(2, 11025, 8, {1, 2, 3, 4}, {'L', 'I', 'S', 'T', 2, 0, 0, 0, 'x', 'y'});
  ASSERT_EQ(wave.Image().size(), 58u);
  wave.ConvertToMono();
  ExpectCanonical(1, 11025, 8, 2);
  EXPECT_EQ(Data(), (std::vector<uint8_t>{1, 3}));
}

// The conversions check their result with this before they allocate it (a result at the limit
// would need gigabytes to reach through a document); the loader's table checks the message.
TEST(ConvertedDataSize, ResultsPastTheWavLimitOrTwoToThe31FramesAreRefused) {
  const std::tuple<uint64_t, uint32_t, bool> cases[] = {
      {kMaxDataSize - 4, 4, false}, {kMaxDataSize, 4, true}, {kMaxDataSize - 2, 2, false},
      {kMaxDataSize, 2, true}, {kMaxFrames - 1, 1, false}, {kMaxFrames, 1, true}};
  for (const auto& [dataSize, frameBytes, refused] : cases) {
    SCOPED_TRACE(std::to_string(dataSize) + " bytes of " + std::to_string(frameBytes));
    if (refused) {
      EXPECT_THROW(CheckConvertedDataSize(dataSize, frameBytes), std::runtime_error);
    } else {
      EXPECT_NO_THROW(CheckConvertedDataSize(dataSize, frameBytes));
    }
  }
}

TEST_F(WaveConversionsTest, ARefusedConversionLeavesTheDocumentAsItWas) {
  // A rate that halves to nothing or doubles past 32 bits.
  Load(1, 1, 8, {1, 2});
  const std::vector<uint8_t> slow = wave.Image();
  try {
    wave.HalveSampleRate();
    FAIL() << "halved to 0 Hz";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "The sample rate of 1 Hz cannot be halved");
  }
  EXPECT_EQ(wave.Image(), slow);
  Load(1, 3000000000u, 8, {1, 2});
  EXPECT_THROW(wave.DoubleSampleRate(), std::runtime_error);
  EXPECT_EQ(wave.SampleRate(), 3000000000u);
  EXPECT_TRUE(reports.empty());
}

TEST_F(WaveConversionsTest, ConvertedSoundsLoadAgainUnchanged) {
  Load8(1, {0, 100, 200, 255});
  wave.ConvertToStereo();
  wave.ConvertTo16Bit();
  wave.DoubleSampleRate();
  const std::vector<uint8_t> image = wave.Image();
  TWave again;
  again.LoadFromImage("out.wav", image);
  EXPECT_EQ(again.Image(), image);
  EXPECT_EQ(again.SampleCount(), 6u);
}

// A sound of `frames` frames of every kind: noise over the whole range, floats past full scale.
std::vector<uint8_t> KindNoise(uint16_t channels, uint16_t bits, bool floats, uint32_t frames) {
  std::mt19937 random(bits + channels);
  std::vector<uint8_t> data;
  for (uint32_t i = 0; i < frames * channels; ++i) {
    uint32_t code = random();
    if (floats) code = std::bit_cast<uint32_t>(static_cast<float>(static_cast<int32_t>(code) / 1.5e9));
    for (int b = 0; b < bits / 8; ++b) data.push_back(static_cast<uint8_t>(code >> 8 * b));
  }
  std::vector<uint8_t> image = CanonicalWave(channels, 48000, bits, data);
  if (floats) PutU16(image, 20, 3);
  return image;
}

// Every change of resolution is each sample read in the old one and written in the new, for every
// pair of kinds (8 and 16 bits through their integer forms, which must agree); the other
// conversions take means toward zero of the wider integers and the float nearest the mean of floats.
TEST_F(WaveConversionsTest, EveryResolutionConvertsThroughTheSampleMapping) {
  const std::tuple<uint16_t, bool> kinds[] = {{8, false}, {16, false}, {24, false}, {32, false}, {32, true}};
  const std::tuple<void (TWave::*)(), uint16_t, bool> targets[] = {{&TWave::ConvertTo8Bit, 8, false},
                                                                   {&TWave::ConvertTo16Bit, 16, false},
                                                                   {&TWave::ConvertTo24Bit, 24, false},
                                                                   {&TWave::ConvertToFloat, 32, true}};
  for (const auto& [bits, floats] : kinds) {
    for (const uint16_t channels : {1, 2}) {
      const std::vector<uint8_t> source = KindNoise(channels, bits, floats, 1001);
      // Converted over the old image, and into a new one while an undo keeps the old.
      for (const auto& [convert, toBits, toFloats] : targets) for (const bool kept : {false, true}) {
        SCOPED_TRACE(std::to_string(bits) + (floats ? " float" : "") + " to " + std::to_string(toBits) +
                     (toFloats ? " float" : "") + ", " + std::to_string(channels) + " channels" + (kept ? ", kept" : ""));
        wave.KeepReplacedImage(false);
        wave.LoadFromImage("w.wav", source);
        wave.KeepReplacedImage(kept);
        TWave expected;
        std::vector<uint8_t> image = CanonicalWave(channels, 48000, toBits, std::vector<uint8_t>(1001 * channels * toBits / 8));
        if (toFloats) PutU16(image, 20, 3);
        expected.LoadFromImage("e.wav", image);
        for (uint32_t i = 0; i < 1001; ++i) {
          for (const bool right : {false, true}) expected.SetSample(i, right, wave.GetSample(i, right));
        }
        (wave.*convert)();
        EXPECT_EQ(wave.Image(), expected.Image());
        TWaveHeader header;
        EXPECT_EQ(wave.TakeReplacedImage(header).empty(), !kept || (bits == toBits && floats == toFloats));
      }
    }
  }
  wave.KeepReplacedImage(false);
  // Means: 24-bit stereo to mono toward zero; floats doubled, where the exact mean 1 + 2^-24
  // lies halfway between two floats and rounds to the even one.
  Load(2, 48000, 24, {0xFD, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF, 0xFF});  // -3, 0; -2^23, -1
  wave.ConvertToMono();
  EXPECT_EQ(wave.Image(), CanonicalWave(1, 48000, 24, {0xFF, 0xFF, 0xFF, 0, 0, 0xC0}));  // -1; -2^22
  std::vector<uint8_t> floats = CanonicalWave(1, 48000, 32, {0, 0, 0x80, 0x3F, 1, 0, 0x80, 0x3F}), doubled = floats;
  PutU16(floats, 20, 3);
  wave.LoadFromImage("f.wav", floats);
  wave.DoubleSampleRate();
  PutU16(doubled, 20, 3);
  PutU32(doubled, 28, 384000);
  PutU32(doubled, 24, 96000);
  doubled[48] = 0;
  EXPECT_EQ(wave.Image(), doubled);
}

// Down from 24 and 32 bits the conversion takes an integer form of the mapping: it must agree for
// every 24-bit code and for 32-bit codes across the range. Floats beyond what that form takes
// still wrap as the mapping has them, and one that is no number refuses the sound, unchanged.
TEST_F(WaveConversionsTest, NarrowingFromWideCodesAgreesWithTheMappingForEveryCode) {
  std::vector<uint8_t> all24, some32;
  for (uint32_t code = 0; code < (1u << 24); ++code) {
    for (int b = 0; b < 3; ++b) all24.push_back(static_cast<uint8_t>(code >> 8 * b));
  }
  std::mt19937 random(32);
  for (uint32_t i = 0; i < (1u << 20); ++i) {
    const uint32_t code = i < 2 ? 0x7FFFFFFFu + i : random();  // both ends, then anywhere
    for (int b = 0; b < 4; ++b) some32.push_back(static_cast<uint8_t>(code >> 8 * b));
  }
  // Floats that wrap in the fast form, and floats too large for it.
  const auto floatSound = [](std::initializer_list<float> values) {
    std::vector<uint8_t> data;
    for (const float f : values) {
      for (int b = 0; b < 4; ++b) data.push_back(static_cast<uint8_t>(std::bit_cast<uint32_t>(f) >> 8 * b));
    }
    std::vector<uint8_t> image = CanonicalWave(1, 48000, 32, data);
    PutU16(image, 20, 3);
    return image;
  };
  const std::vector<uint8_t> sources[] = {CanonicalWave(1, 48000, 24, all24), CanonicalWave(1, 48000, 32, some32),
                                          floatSound({0.5f, -30000.5f, 12345.25f, -1.0f}),
                                          floatSound({0.5f, 1e7f, -3e9f})};
  for (const std::vector<uint8_t>& source : sources) {
    for (const bool eight : {false, true}) {
      wave.LoadFromImage("w.wav", source);
      std::vector<double> values(wave.SampleCount());
      for (uint32_t i = 0; i < values.size(); ++i) values[i] = wave.GetSample(i, false);
      eight ? wave.ConvertTo8Bit() : wave.ConvertTo16Bit();
      for (uint32_t i = 0; i < values.size(); ++i) {
        const int code = eight ? wave.Image()[44 + i] : static_cast<int16_t>(wave.Image()[44 + 2 * i] | wave.Image()[45 + 2 * i] << 8);
        const int mapped = eight ? EightBitCode(values[i]) : SixteenBitCode(values[i]);
        if (code != mapped) FAIL() << "sample " << i << " of " << source[34] << " bits: " << code << ", not " << mapped;
      }
    }
  }
  const std::vector<uint8_t> floatImage = floatSound({0.5f, std::numeric_limits<float>::quiet_NaN()});
  wave.LoadFromImage("w.wav", floatImage);
  EXPECT_THROW(wave.ConvertTo16Bit(), std::domain_error);
  EXPECT_EQ(wave.Image(), floatImage);
}

// Long sounds cross the new image's growth blocks and the steps' fixed runs, where a step that
// slips by a sample or a block that restarts its count would go unseen in short ones.
TEST_F(WaveConversionsTest, LongSoundsMatchAFrameByFrameRenderingOfEachRule) {
  struct Sound {  // interleaved samples, then `pad` bytes of silence
    uint16_t channels, bits;
    uint32_t rate;
    std::vector<int> s = {};
    size_t pad = 0;
  };
  // For every `stride`-th frame f but the last: frame f if `keepFirst`, then its mean with f + 1
  // (bytes are never negative, so rounding down and toward zero are one rule).
  const auto pairs = [](const Sound& x, Sound y, size_t stride, bool keepFirst) {
    const size_t c = x.channels;
    for (size_t f = 0; (f + 1) * c < x.s.size(); f += stride) {
      for (size_t i = 0; keepFirst && i < c; ++i) y.s.push_back(x.s[f * c + i]);
      for (size_t i = 0; i < c; ++i) y.s.push_back((x.s[f * c + i] + x.s[(f + 1) * c + i]) / 2);
    }
    return y;
  };
  const auto each = [](const Sound& x, Sound y, size_t times, int (*f)(int)) {
    for (int v : x.s) y.s.insert(y.s.end(), times, f(v));
    return y;
  };
  const struct {
    const char* name;
    void (TWave::*convert)();
    uint64_t (*steps)(uint64_t frames, uint64_t channels);
    std::function<Sound(const Sound&)> rule;
  } conversions[] = {
      // A frame's two samples are neighbours, as in halving a mono sound twice as long.
      {"mono", &TWave::ConvertToMono, [](auto n, auto) { return n; },
       [&](auto& x) { return pairs({1, x.bits, x.rate, x.s}, {1, x.bits, x.rate}, 2, false); }},
      {"stereo", &TWave::ConvertToStereo, [](auto n, auto) { return n; },
       [&](auto& x) { return each(x, {2, x.bits, x.rate}, 2, [](int v) { return v; }); }},
      {"8 bits", &TWave::ConvertTo8Bit, [](auto n, auto c) { return n * c; }, [&](auto& x) {
         return each(x, {x.channels, 8, x.rate}, 1,
                     [](int v) { return (2 * (v + 32768) + 257) / 514; });
       }},
      {"16 bits", &TWave::ConvertTo16Bit, [](auto n, auto c) { return n * c; }, [&](auto& x) {
         return each(x, {x.channels, 16, x.rate}, 1, [](int v) { return v * 257 - 32768; });
       }},
      {"double rate", &TWave::DoubleSampleRate, [](auto n, auto) { return n - 1; },
       [&](auto& x) { return pairs(x, {x.channels, x.bits, x.rate * 2}, 1, true); }},
      {"half rate", &TWave::HalveSampleRate, [](auto n, auto) { return n / 2; }, [&](auto& x) {
         Sound y = pairs(x, {x.channels, x.bits, x.rate / 2}, 2, false);
         y.pad = x.s.size() * x.bits / 16 - y.s.size() * x.bits / 8;  // the data's halved size
         return y;
       }},
  };
  const auto bytes = [](const Sound& x) {
    std::vector<uint8_t> out = x.bits == 8 ? std::vector<uint8_t>(x.s.begin(), x.s.end())
                                           : Words(std::vector<int16_t>(x.s.begin(), x.s.end()));
    out.resize(out.size() + x.pad, x.bits == 8 ? 128 : 0);
    return out;
  };
  // Odd, and long enough that even the smallest result, halved 8-bit mono, spans several blocks.
  constexpr size_t kFrames = 200001;
  std::mt19937 random(7);
  for (const auto& conversion : conversions) {
    for (auto [bits, channels] : {std::pair<uint16_t, uint16_t>{8, 1}, {8, 2}, {16, 1}, {16, 2}}) {
      Sound in{channels, bits, 22050};
      for (size_t i = 0; i < kFrames * channels; ++i)
        in.s.push_back(bits == 8 ? int(random() & 0xFF) : int16_t(random()));
      const Sound want = conversion.rule(in);
      if (want.channels == channels && want.bits == bits && want.rate == in.rate) continue;
      SCOPED_TRACE(std::string(conversion.name) + " of " + std::to_string(bits) + "-bit " +
                   (channels == 1 ? "mono" : "stereo"));
      Load(channels, in.rate, bits, bytes(in));
      reports.clear();
      (wave.*conversion.convert)();
      const auto expected = CanonicalWave(want.channels, want.rate, want.bits, bytes(want));
      const auto [inExpected, inImage] = std::ranges::mismatch(expected, wave.Image());
      EXPECT_TRUE(inExpected == expected.end() && inImage == wave.Image().end())
          << "the images differ from byte " << inExpected - expected.begin();
      ASSERT_EQ(reports.size(), (conversion.steps(kFrames, channels) + 99) / 100 + 1);
      EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end() - 1));
      EXPECT_EQ(reports.back(), -1);
    }
  }
}

}  // namespace
