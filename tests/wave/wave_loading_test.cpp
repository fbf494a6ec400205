#include <gtest/gtest.h>

#include <cstring>

#include "test_support.h"
#include "wave/wave_document.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

std::vector<uint8_t> U32(uint32_t v) {
  std::vector<uint8_t> b(4);
  PutU32(b, 0, v);
  return b;
}

std::vector<uint8_t> Chunk(const std::string& id, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> c = Bytes(id);
  Append(c, U32(static_cast<uint32_t>(body.size())));
  Append(c, body);
  return c;
}

// A format chunk body of `size` bytes (16, 18 or 40) for PCM data.
std::vector<uint8_t> FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t size) {
  std::vector<uint8_t> b(size, 0);
  PutU16(b, 0, tag);
  PutU16(b, 2, channels);
  PutU32(b, 4, rate);
  PutU32(b, 8, rate * channels * bits / 8);
  PutU16(b, 12, static_cast<uint16_t>(channels * bits / 8));
  PutU16(b, 14, bits);
  if (size >= 18) PutU16(b, 16, static_cast<uint16_t>(size - 18));
  if (size >= 40) {
    PutU16(b, 18, bits);
    PutU32(b, 20, channels == 2 ? 3 : 4);
    PutU16(b, 24, 1);  // sub-format: PCM
  }
  return b;
}

// RIFF file from chunks, with a correct RIFF size.
std::vector<uint8_t> RiffFile(const std::vector<std::vector<uint8_t>>& chunks) {
  std::vector<uint8_t> body = Bytes("WAVE");
  for (const auto& c : chunks) Append(body, c);
  std::vector<uint8_t> f = Bytes("RIFF");
  Append(f, U32(static_cast<uint32_t>(body.size())));
  Append(f, body);
  return f;
}

const std::vector<uint8_t> kData = Words({100, -100, 32767, -32768, 0, 1, 2, 3});

// The canonical form of a 16-bit stereo 22050 Hz sound holding kData.
void ExpectCanonical(const TWave& wave, const std::vector<uint8_t>& data) {
  const std::vector<uint8_t> expected = CanonicalWave(2, 22050, 16, data);
  EXPECT_EQ(wave.Image(), expected);
  EXPECT_EQ(wave.Header().FmtSize, 16u);
  EXPECT_EQ(wave.Header().FormatTag, 1);
  EXPECT_EQ(wave.Header().RiffSize, data.size() + 36);
  EXPECT_EQ(std::memcmp(&wave.Header(), wave.Image().data(), 44), 0);
}

TEST(WaveLoading, CanonicalFileIsKeptByteForByteAndSavedBackIdentical) {
  TempDir dir;
  std::vector<uint8_t> file = CanonicalWave(2, 22050, 16, kData);
  Append(file, Chunk("LIST", Bytes("INFOtext")));  // trailing chunk after the data
  PutU32(file, 4, static_cast<uint32_t>(file.size() - 8));
  WriteBytes(dir.File("in.wav"), file);

  TWave wave;
  wave.LoadFromFile(dir.File("in.wav"));
  EXPECT_EQ(wave.Image(), file);
  EXPECT_EQ(wave.SampleCount(), 4u);
  EXPECT_EQ(wave.Channels(), 2);
  EXPECT_EQ(wave.BitsPerSample(), 16);
  EXPECT_EQ(wave.SampleRate(), 22050u);
  EXPECT_EQ(wave.FileName(), dir.File("in.wav"));

  wave.SaveToFile(dir.File("out.wav"));
  EXPECT_EQ(ReadBytes(dir.File("out.wav")), file);
}

TEST(WaveLoading, OtherLayoutsAreRebuiltCanonical) {
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  };
  const std::vector<Case> cases = {
      {"LIST before data", RiffFile({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 16)),
                                     Chunk("LIST", Bytes("INFOISFT")), Chunk("data", kData)})},
      {"fact before data", RiffFile({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 16)),
                                     Chunk("fact", U32(4)), Chunk("data", kData)})},
      {"18-byte format", RiffFile({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 18)), Chunk("data", kData)})},
      {"extensible 40-byte format",
       RiffFile({Chunk("fmt ", FmtBody(0xFFFE, 2, 22050, 16, 40)), Chunk("data", kData)})},
      {"trailing chunk dropped", RiffFile({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 18)),
                                           Chunk("data", kData), Chunk("LIST", Bytes("INFOtext"))})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteBytes(dir.File("in.wav"), c.file);
    TWave wave;
    wave.LoadFromFile(dir.File("in.wav"));
    ExpectCanonical(wave, kData);
  }
}

TEST(WaveLoading, FirstDataBytesAnywhereAreTakenAsTheDataChunk) {
  // "data" inside a LIST text: its next four bytes are the data size (4), then four data bytes.
  std::vector<uint8_t> list = Bytes("INFOdata");
  Append(list, U32(4));
  Append(list, {1, 2, 3, 4});
  const std::vector<uint8_t> file =
      RiffFile({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 16)), Chunk("LIST", list), Chunk("data", kData)});
  TempDir dir;
  WriteBytes(dir.File("in.wav"), file);
  TWave wave;
  wave.LoadFromFile(dir.File("in.wav"));
  ExpectCanonical(wave, {1, 2, 3, 4});
  EXPECT_EQ(wave.SampleCount(), 1u);
}

TEST(WaveLoading, TruncatedDataIsCutToTheWholeFramesPresent) {
  TempDir dir;
  std::vector<uint8_t> file = CanonicalHeader(2, 22050, 16, 1000);
  Append(file, {1, 0, 2, 0, 3, 0, 4, 0, 5, 0});  // two whole frames and half a sample pair
  WriteBytes(dir.File("cut.wav"), file);
  TWave wave;
  wave.LoadFromFile(dir.File("cut.wav"));
  EXPECT_EQ(wave.SampleCount(), 2u);
  ExpectCanonical(wave, {1, 0, 2, 0, 3, 0, 4, 0});
}

TEST(WaveLoading, RefusedFilesKeepThePreviousDocument) {
  TempDir dir;
  const std::string good = dir.File("good.wav");
  WriteBytes(good, CanonicalWave(2, 22050, 16, kData));

  auto withField = [](size_t pos, uint32_t value, int width) {
    std::vector<uint8_t> f = CanonicalWave(2, 22050, 16, kData);
    if (width == 2) PutU16(f, pos, static_cast<uint16_t>(value));
    else PutU32(f, pos, value);
    return f;
  };
  std::vector<uint8_t> farData = RiffFile({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 16)),
                                           Chunk("junk", std::vector<uint8_t>(70000, 0)),
                                           Chunk("data", kData)});
  std::vector<uint8_t> floatExtensible =
      RiffFile({Chunk("fmt ", FmtBody(0xFFFE, 2, 22050, 16, 40)), Chunk("data", kData)});
  PutU16(floatExtensible, 44, 3);

  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"43 bytes", std::vector<uint8_t>(43, 'R'), "too short"},
      {"empty", {}, "too short"},
      {"no data chunk", RiffFile({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 16)), Chunk("LIST", Bytes("INFO"))}),
       "no \"data\""},
      {"data beyond 65528 bytes", farData, "no \"data\""},
      {"three channels", withField(22, 3, 2), "mono and stereo"},
      {"no channels", withField(22, 0, 2), "mono and stereo"},
      {"24 bits", withField(34, 24, 2), "8-bit and 16-bit"},
      {"0 bits", withField(34, 0, 2), "8-bit and 16-bit"},
      {"rate 0", withField(24, 0, 4), "sample rate"},
      {"floating point tag", withField(20, 3, 2), "PCM"},
      {"compressed tag", withField(20, 2, 2), "PCM"},
      {"extensible float", floatExtensible, "PCM"},
      {"512 MiB data", withField(40, 512u * 1024 * 1024, 4), "too large"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWave wave;
    wave.LoadFromFile(good);
    const std::vector<uint8_t> before = wave.Image();
    const std::string bad = dir.File("bad.wav");
    WriteBytes(bad, c.file);
    try {
      wave.LoadFromFile(bad);
      ADD_FAILURE() << "loaded";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
    }
    EXPECT_EQ(wave.FileName(), good);
    EXPECT_EQ(wave.Image(), before);
    EXPECT_EQ(wave.SampleCount(), 4u);
    EXPECT_EQ(wave.GetSample(0, false), (2.0 * 100 + 1) / 65535.0);
  }
}

TEST(WaveLoading, DataFoundJustWithinTheSearchLimit) {
  // "data" starting at byte 65527 is the last position the 16-bit data offset can reach.
  const size_t junk = 65527 - 36 - 8;
  std::vector<uint8_t> file =
      RiffFile({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 16)), Chunk("junk", std::vector<uint8_t>(junk, 0)),
                Chunk("data", kData)});
  TempDir dir;
  WriteBytes(dir.File("far.wav"), file);
  TWave wave;
  wave.LoadFromFile(dir.File("far.wav"));
  ExpectCanonical(wave, kData);
}

TEST(WaveLoading, AFolderIsNoWaveFile) {
  TempDir dir;
  TWave wave;
  EXPECT_THROW(wave.LoadFromFile(dir.Path().string()), std::runtime_error);
  EXPECT_FALSE(wave.Loaded());
}

TEST(SilentSound, MissingFileGivesSilentEightBitMono) {
  TempDir dir;
  const std::string missing = dir.File("missing.wav");
  TWave wave;
  wave.LoadFromFile(missing);  // no length given yet: 0 frames
  EXPECT_EQ(wave.SampleCount(), 0u);
  EXPECT_EQ(wave.FileName(), missing);

  SetNewWaveLength(1.0);
  wave.LoadFromFile(missing);
  EXPECT_EQ(wave.SampleCount(), 11025u);
  EXPECT_EQ(wave.Image().size(), 11069u);
  EXPECT_EQ(wave.Header().RiffSize, 11061u);
  EXPECT_EQ(wave.SampleRate(), 11025u);
  EXPECT_EQ(wave.Header().BytesPerSec, 11025u);
  EXPECT_EQ(wave.Header().BlockAlign, 1);
  EXPECT_EQ(wave.BitsPerSample(), 8);
  EXPECT_EQ(wave.Channels(), 1);
  EXPECT_EQ(wave.Duration(), 1.0);
  EXPECT_EQ(std::memcmp(&wave.Header(), wave.Image().data(), 44), 0);
  for (size_t i = 44; i < wave.Image().size(); ++i) ASSERT_EQ(wave.Image()[i], 128);
  EXPECT_FALSE(std::filesystem::exists(missing));

  SetNewWaveLength(0.5);  // 5512.5 rounds to even
  wave.LoadFromFile(missing);
  EXPECT_EQ(wave.Header().DataSize, 5512u);
  EXPECT_EQ(wave.Header().RiffSize, 5548u);

  SetNewWaveLength(0.0);
  wave.LoadFromFile(missing);
  EXPECT_EQ(wave.Header().DataSize, 0u);
  EXPECT_EQ(wave.Header().RiffSize, 36u);
  EXPECT_EQ(wave.SampleCount(), 0u);
  EXPECT_EQ(wave.GetSample(0, false), 0.0);
}

TEST(SilentSound, UnusableLengthsAreRefused) {
  EXPECT_THROW(SetNewWaveLength(-1.0), std::invalid_argument);
  EXPECT_THROW(SetNewWaveLength(1e9), std::invalid_argument);
  EXPECT_THROW(SetNewWaveLength(std::nan("")), std::invalid_argument);
  EXPECT_EQ(NewWaveLength(), 0.0);
}

TEST(WaveHeaderFields, SetSampleRateRescalesBytesPerSecondOnly) {
  TempDir dir;
  WriteBytes(dir.File("w.wav"), CanonicalWave(2, 22050, 16, kData));
  TWave wave;
  wave.LoadFromFile(dir.File("w.wav"));
  ASSERT_EQ(wave.Header().BytesPerSec, 88200u);
  wave.SetSampleRate(44100);
  EXPECT_EQ(wave.Header().BytesPerSec, 176400u);
  EXPECT_EQ(wave.SampleRate(), 44100u);
  EXPECT_EQ(wave.Image(), CanonicalWave(2, 44100, 16, kData));
}

}  // namespace
