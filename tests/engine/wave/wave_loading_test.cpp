#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

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
    // The sub-format: PCM's GUID.
    const uint8_t pcm[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    std::copy(pcm, pcm + 16, b.begin() + 24);
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

// The canonical form of a 16-bit stereo 22050 Hz sound holding `data`.
void ExpectCanonical(const TWave& wave, const std::vector<uint8_t>& data) {
  const std::vector<uint8_t> expected = CanonicalWave(2, 22050, 16, data);
  EXPECT_EQ(wave.Image(), expected);
  EXPECT_EQ(std::memcmp(&wave.Header(), wave.Image().data(), 44), 0);
  EXPECT_EQ(wave.SampleCount(), data.size() / 4);
}

TEST(WaveLoading, CanonicalFileIsKeptByteForByteAndSavedBackIdentical) {
  TempDir dir;
  std::vector<uint8_t> file = CanonicalWave(2, 22050, 16, kData);
  Append(file, Chunk("LIST", Bytes("INFOtext")));  // trailing chunk after the data
  PutU32(file, 4, static_cast<uint32_t>(file.size() - 8));
  WriteBytes(dir.File("in.wav"), file);

  TWave wave;
  wave.LoadFromFile(dir.File("in.wav"), 1.0);
  EXPECT_EQ(wave.Image(), file);
  EXPECT_EQ(std::memcmp(&wave.Header(), file.data(), 44), 0);
  EXPECT_EQ(wave.SampleCount(), 4u);
  EXPECT_EQ(wave.FileName(), dir.File("in.wav"));

  wave.SaveToFile(dir.File("out.wav"));
  EXPECT_EQ(ReadBytes(dir.File("out.wav")), file);
}

TEST(WaveLoading, OtherLayoutsAreRebuiltCanonical) {
  const std::vector<uint8_t> fmt = Chunk("fmt ", FmtBody(1, 2, 22050, 16, 16));
  // "data" inside a LIST text: its next four bytes are the data size (4), then four data bytes.
  std::vector<uint8_t> list = Bytes("INFOdata");
  Append(list, U32(4));
  Append(list, {1, 2, 3, 4});
  std::vector<uint8_t> cut = CanonicalHeader(2, 22050, 16, 1000);
  Append(cut, {1, 0, 2, 0, 3, 0, 4, 0, 5, 0});  // two whole frames and half a sample pair

  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    std::vector<uint8_t> data;
  };
  const std::vector<Case> cases = {
      {"LIST before data", RiffFile({fmt, Chunk("LIST", Bytes("INFOISFT")), Chunk("data", kData)}),
       kData},
      {"fact before data", RiffFile({fmt, Chunk("fact", U32(4)), Chunk("data", kData)}), kData},
      {"18-byte format",
       RiffFile({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 18)), Chunk("data", kData)}), kData},
      {"extensible 40-byte format",
       RiffFile({Chunk("fmt ", FmtBody(0xFFFE, 2, 22050, 16, 40)), Chunk("data", kData)}), kData},
      {"trailing chunk dropped",
       RiffFile({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 18)), Chunk("data", kData),
                 Chunk("LIST", Bytes("INFOtext"))}),
       kData},
      // Walkable chunks decide: the word inside an earlier chunk is text, not the data chunk.
      {"\"data\" inside a LIST", RiffFile({fmt, Chunk("LIST", list), Chunk("data", kData)}), kData},
      // Chunks that cannot be walked (a size past the file) leave the byte search for "data".
      {"first \"data\" bytes where a size lies",
       [&] {
         std::vector<uint8_t> f = RiffFile({fmt, Chunk("LIST", list), Chunk("data", kData)});
         PutU32(f, 40, 0x7FFFFFF0);
         return f;
       }(),
       {1, 2, 3, 4}},
      {"streamed data size 0xFFFFFFFF",
       [&] {
         std::vector<uint8_t> f = CanonicalWave(2, 22050, 16, kData);
         PutU32(f, 40, 0xFFFFFFFF);
         return f;
       }(),
       kData},
      {"data size beyond the end", cut, {1, 0, 2, 0, 3, 0, 4, 0}},
      // 65527 is the last place where the 16-bit data offset still reaches "data".
      {"data at byte 65527",
       RiffFile({fmt, Chunk("junk", std::vector<uint8_t>(65527 - 44, 0)), Chunk("data", kData)}),
       kData},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWave wave;
    wave.LoadFromImage("in.wav", c.file);
    ExpectCanonical(wave, c.data);
  }
}

TEST(WaveLoading, RefusedImagesKeepThePreviousDocument) {
  auto withField = [](size_t pos, uint32_t value, int width) {
    std::vector<uint8_t> f = CanonicalWave(2, 22050, 16, kData);
    if (width == 2)
      PutU16(f, pos, static_cast<uint16_t>(value));
    else
      PutU32(f, pos, value);
    return f;
  };
  std::vector<uint8_t> farData = RiffFile({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 16)),
                                           Chunk("junk", std::vector<uint8_t>(70000, 0)),
                                           Chunk("data", kData)});
  // Sub-formats other than PCM and float, whole or in the bytes after the tag's two.
  std::vector<uint8_t> adpcmExtensible =
      RiffFile({Chunk("fmt ", FmtBody(0xFFFE, 2, 22050, 16, 40)), Chunk("data", kData)});
  std::vector<uint8_t> otherGuid = adpcmExtensible;
  PutU16(adpcmExtensible, 44, 2);
  otherGuid[59] = 0x72;

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
      {"12 bits", withField(34, 12, 2), "only 8-, 16-, 24- and 32-bit samples can be opened (12 bits)"},
      {"0 bits", withField(34, 0, 2), "8-, 16-, 24- and 32-bit"},
      {"rate 0", withField(24, 0, 4), "sample rate"},
      {"16-bit float", withField(20, 3, 2), "only 32-bit float samples can be opened (16 bits)"},
      {"compressed tag", withField(20, 2, 2), "PCM"},
      {"extensible ADPCM", adpcmExtensible, "(extensible sub-format 00000002-0000-0010-8000-00aa00389b71)"},
      {"extensible PCM tag, other GUID", otherGuid, "(extensible sub-format 00000001-0000-0010-8000-00aa00389b72)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWave wave;
    wave.LoadFromImage("good.wav", CanonicalWave(2, 22050, 16, kData));
    const std::vector<uint8_t> before = wave.Image();
    try {
      wave.LoadFromImage("bad.wav", c.file);
      ADD_FAILURE() << "loaded";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("bad.wav"), std::string::npos) << e.what();
    }
    EXPECT_EQ(wave.FileName(), "good.wav");
    EXPECT_EQ(wave.Image(), before);
    EXPECT_EQ(wave.SampleCount(), 4u);
    EXPECT_EQ(wave.GetSample(0, false), (2.0 * 100 + 1) / 65535.0);
  }
}

TEST(WaveLoading, MalformedFilesAreRefusedOrLoadedStably) {
  using Make = std::function<std::string(const TempDir&)>;
  const auto written = [](std::vector<uint8_t> bytes) -> Make {
    return [bytes](const TempDir& dir) {
      WriteBytes(dir.File("in.wav"), bytes);
      return dir.File("in.wav");
    };
  };
  const auto withField = [](size_t pos, uint32_t value, int width) {
    std::vector<uint8_t> f = CanonicalWave(2, 22050, 16, kData);
    width == 2 ? PutU16(f, pos, static_cast<uint16_t>(value)) : PutU32(f, pos, value);
    return f;
  };
  const auto sparse = [](std::vector<uint8_t> bytes, uint64_t size) -> Make {
    return [bytes, size](const TempDir& dir) {
      WriteBytes(dir.File("in.wav"), bytes);
      std::filesystem::resize_file(dir.File("in.wav"), size);
      return dir.File("in.wav");
    };
  };
  const auto mono8Claiming = [](uint32_t dataSize) {
    std::vector<uint8_t> f = CanonicalWave(1, 11025, 8, kData);
    PutU32(f, 40, dataSize);
    return f;
  };
  std::vector<uint8_t> rifx = CanonicalWave(2, 22050, 16, kData), avi = rifx;
  rifx[3] = 'X';
  std::memcpy(avi.data() + 8, "AVI ", 4);
  const std::vector<uint8_t> mono8 = {0, 64, 128, 192, 255, 7};
  const std::vector<uint8_t> fmtMono8 = Chunk("fmt ", FmtBody(1, 1, 8000, 8, 16));
  std::vector<uint8_t> oddChunk = Chunk("bext", {1, 2, 3});
  oddChunk.push_back(0);  // the pad byte of an odd chunk
  std::vector<uint8_t> dataInJunk = Bytes("data");
  Append(dataInJunk, U32(4));
  Append(dataInJunk, Bytes("abcd"));

  // The wider formats, in their own chunks and in the extensible one, naming PCM or float.
  const std::vector<uint8_t> triples = {1, 2, 3, 4, 5, 0x86, 7, 8, 9, 10, 11, 0xFC};
  std::vector<uint8_t> extensibleFloat =
      RiffFile({Chunk("fmt ", FmtBody(0xFFFE, 1, 48000, 32, 40)), Chunk("data", triples)});
  PutU16(extensibleFloat, 44, 3);

  struct Case {
    const char* name;
    Make make;
    const char* refusal;  // part of the message, or null where the file loads
    uint16_t channels = 0, bits = 0;
    uint32_t rate = 0;
    std::vector<uint8_t> data = {};
    uint16_t tag = 1;
  };
  const std::vector<Case> cases = {
      {"fifo",
       [](const TempDir& d) {
         mkfifo(d.File("in.wav").c_str(), 0600);
         return d.File("in.wav");
       },
       "(not a regular file)"},
      {"folder", [](const TempDir& dir) { return dir.Path().string(); }, "(Is a directory)"},
      {"name too long", [](const TempDir& dir) { return dir.File(std::string(300, 'a')); },
       "(File name too long)"},
      {"RIFX", written(rifx), "not a RIFF WAVE"},
      {"AVI", written(avi), "not a RIFF WAVE"},
      {"huge format chunk", written(withField(16, 0xFFFFFFF0, 4)), "runs past the end"},
      {"short format chunk", written(withField(16, 14, 4)), "format chunk is too short"},
      {"no format chunk", written(RiffFile({Chunk("JUNK", U32(0)), Chunk("data", kData)})),
       "no \"fmt \""},
      // Sparse files as large as their headers claim: only the header is read, nothing of that
      // size is allocated.
      {"data of the WAV limit", sparse(withField(40, 0xFFFFFFDC, 4), 0xFFFFFFDCull + 44),
       "too large (4294967260 bytes, 1073741815 frames; the editor takes less than 4294967260 bytes and 2147483648 frames)"},
      {"8-bit mono of 2^31 frames", sparse(mono8Claiming(0x80000000), 0x80000000ull + 44),
       "(2147483648 bytes, 2147483648 frames;"},
      {"huge trailing chunk",
       [](const TempDir& dir) {
         WriteBytes(dir.File("in.wav"), CanonicalWave(2, 22050, 16, kData));
         std::filesystem::resize_file(dir.File("in.wav"), kMaxDataSize + 44ull);  // sparse
         return dir.File("in.wav");
       },
       "too large"},
      {"format after JUNK",
       written(RiffFile({Chunk("JUNK", std::vector<uint8_t>(28)), fmtMono8, Chunk("data", mono8)})),
       nullptr, 1, 8, 8000, mono8},
      {"format after an odd chunk", written(RiffFile({oddChunk, fmtMono8, Chunk("data", mono8)})),
       nullptr, 1, 8, 8000, mono8},
      {"\"data\" before the format",
       written(RiffFile({Chunk("JUNK", dataInJunk), fmtMono8, Chunk("data", mono8)})), nullptr, 1,
       8, 8000, mono8},
      {"\"data\" as the byte rate", written(withField(28, 0x61746164, 4)), nullptr, 2, 16, 22050,
       kData},
      {"BlockAlign 0", written(withField(32, 0, 2)), nullptr, 2, 16, 22050, kData},
      {"BlockAlign 2", written(withField(32, 2, 2)), nullptr, 2, 16, 22050, kData},
      {"extensible tag in 16 bytes", written(withField(20, 0xFFFE, 2)), "too short to name its sub-format (16 bytes)"},
      {"24-bit", written(CanonicalWave(2, 48000, 24, triples)), nullptr, 2, 24, 48000, triples},
      {"24-bit extensible",
       written(RiffFile({Chunk("fmt ", FmtBody(0xFFFE, 2, 48000, 24, 40)), Chunk("data", triples)})), nullptr, 2,
       24, 48000, triples},
      {"float with a fact chunk",
       written(RiffFile({Chunk("fmt ", FmtBody(3, 2, 48000, 32, 18)), Chunk("fact", U32(1)), Chunk("data", triples)})),
       nullptr, 2, 32, 48000, triples, 3},
      {"extensible float", written(extensibleFloat), nullptr, 1, 32, 48000, triples, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = c.make(dir);
    std::error_code ec;
    const bool small =
        std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path) < 65536;
    const std::vector<uint8_t> bytes = small ? ReadBytes(path) : std::vector<uint8_t>{};
    TWave wave;
    wave.LoadFromImage("good.wav", CanonicalWave(1, 11025, 8, {1, 2, 3}));
    const std::vector<uint8_t> previous = wave.Image();
    std::string message;
    try {
      wave.LoadFromFile(path, 1.0);
    } catch (const std::runtime_error& e) {
      message = e.what();
    }
    // The file stays as it was; its bytes handed over in memory fare alike.
    if (small) {
      EXPECT_EQ(ReadBytes(path), bytes);
      TWave inMemory;
      try {
        inMemory.LoadFromImage(path, bytes);
        EXPECT_EQ(inMemory.Image(), wave.Image());
      } catch (const std::runtime_error& e) {
        EXPECT_EQ(e.what(), message);
      }
    }
    if (c.refusal) {
      EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
      EXPECT_NE(message.find(path), std::string::npos) << message;
      EXPECT_EQ(wave.FileName(), "good.wav");
      EXPECT_EQ(wave.Image(), previous);
      continue;
    }
    if (!message.empty()) {
      ADD_FAILURE() << message;
      continue;
    }
    const TWaveHeader& h = wave.Header();
    EXPECT_EQ(std::vector<uint16_t>({h.Channels, h.BitsPerSample, h.FormatTag, h.BlockAlign}),
              std::vector<uint16_t>(
                  {c.channels, c.bits, c.tag, static_cast<uint16_t>(c.channels * c.bits / 8)}));
    EXPECT_EQ(std::pair(h.SampleRate, h.FmtSize), std::pair(c.rate, 16u));
    EXPECT_EQ(std::memcmp(&h, wave.Image().data(), 44), 0);
    EXPECT_EQ(std::vector<uint8_t>(wave.Image().begin() + 44, wave.Image().end()), c.data);
    // Saving what was opened and opening it again changes nothing more.
    wave.SaveToFile(dir.File("a.wav"));
    wave.LoadFromFile(dir.File("a.wav"), 1.0);
    wave.SaveToFile(dir.File("b.wav"));
    EXPECT_EQ(ReadBytes(dir.File("a.wav")), ReadBytes(dir.File("b.wav")));
  }
}

// Silence of 8-bit mono at 11025 Hz, `dataSize` bytes of it.
std::vector<uint8_t> Silence(uint32_t dataSize) {
  return CanonicalWave(1, 11025, 8, std::vector<uint8_t>(dataSize, 128));
}

TEST(SilentSound, AMissingFileGivesSilentEightBitMonoOfTheGivenLength) {
  TempDir dir;
  const std::string missing = dir.File("missing.wav");
  TWave wave;
  wave.LoadFromFile(missing, 1.0);
  EXPECT_EQ(wave.FileName(), missing);
  EXPECT_EQ(wave.Image(), Silence(11025));
  EXPECT_EQ(std::memcmp(&wave.Header(), wave.Image().data(), 44), 0);
  EXPECT_EQ(wave.SampleCount(), 11025u);
  EXPECT_FALSE(std::filesystem::exists(missing));

  // CreateSilent does not look at the file: an existing one is neither read nor replaced.
  const std::string existing = dir.File("existing.wav");
  WriteBytes(existing, CanonicalWave(2, 22050, 16, kData));
  wave.CreateSilent(existing, 0.5);
  EXPECT_EQ(wave.Image(), Silence(5512));  // 5512.5 rounds to even
  EXPECT_EQ(ReadBytes(existing), CanonicalWave(2, 22050, 16, kData));

  wave.CreateSilent(missing, 0.0);
  EXPECT_EQ(wave.Image(), Silence(0));
  EXPECT_EQ(wave.SampleCount(), 0u);
  EXPECT_EQ(wave.GetSample(0, false), 0.0);
}

TEST(SilentSound, LengthsTheEditorCannotHoldAreRefusedAndChangeNothing) {
  // 8-bit mono: one byte a frame, so the frame bound (2^31) comes before the WAV limit.
  const double limit = static_cast<double>(kMaxFrames);
  for (double s : {0.0, 1.0, (limit - 1.0) / kSilentRate}) EXPECT_TRUE(IsNewWaveLength(s)) << s;
  // limit - 0.5 bytes rounds to even, up to the limit.
  for (double s : {-1.0, (limit - 0.5) / kSilentRate, 1e9, HUGE_VAL, std::nan("")})
    EXPECT_FALSE(IsNewWaveLength(s)) << s;

  TempDir dir;
  TWave wave;
  wave.CreateSilent("kept.wav", 0.01);
  try {
    wave.CreateSilent("other.wav", -1.0);
    ADD_FAILURE();
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "A new sound's length must lie between 0 and 194783 seconds");
  }
  EXPECT_THROW(wave.LoadFromFile(dir.File("missing.wav"), std::nan("")), std::invalid_argument);
  EXPECT_EQ(wave.FileName(), "kept.wav");
  EXPECT_EQ(wave.SampleCount(), 110u);
}

TEST(WaveHeaderFields, SetSampleRateRescalesBytesPerSecondOnly) {
  TWave wave;
  wave.SetSampleRate(44100);  // nothing loaded: no header to write
  EXPECT_TRUE(wave.Image().empty());
  wave.LoadFromImage("w.wav", CanonicalWave(2, 22050, 16, kData));
  ASSERT_EQ(wave.Header().BytesPerSec, 88200u);
  wave.SetSampleRate(44100);
  EXPECT_EQ(wave.Header().BytesPerSec, 176400u);
  EXPECT_EQ(wave.SampleRate(), 44100u);
  EXPECT_EQ(wave.Image(), CanonicalWave(2, 44100, 16, kData));
}

}  // namespace
