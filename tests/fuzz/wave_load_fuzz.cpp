// Takes any bytes as a WAV file. A refusal is a normal answer; a crash, a sanitizer report or an
// abort() below is a finding. It insists that:
//   - opening the bytes as a file and as an image in memory gives the same refusal or the same
//     document;
//   - every sample of what loads can be read, and the conversions and amplitude tools run on it,
//     also over a selection reaching past both ends;
//   - a loaded sound is stable on disk: load, save, load, save writes the same file twice.

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "processing/amplitude_tools.h"
#include "state/progress.h"
#include "state/selection.h"
#include "wave/wave_document.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "wave_load_fuzz: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// One folder per process for the files each input goes through, in $TMPDIR.
class Scratch {
 public:
  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velorin-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) Fail("cannot make a folder in " + pattern);
    dir_ = pattern;
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

const Scratch& TheScratch() {
  static const Scratch scratch;
  return scratch;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out.flush()) Fail("cannot write " + path);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The refusal's text, or nothing when the sound loaded.
std::optional<std::string> Refusal(const std::function<void()>& load) {
  try {
    load();
    return std::nullopt;
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
}

bool SameDocument(const TWave& a, const TWave& b) {
  return a.Image() == b.Image() &&
         std::memcmp(&a.Header(), &b.Header(), sizeof(TWaveHeader)) == 0 &&
         a.SampleCount() == b.SampleCount();
}

// Refusals of what the input asks for (a conversion too large, normalizing silence) are answers.
void Run(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

void ReadEverySample(const TWave& wave) {
  double sum = 0;
  for (uint32_t i = 0; i < wave.SampleCount(); ++i)
    sum += wave.GetSample(i, false) + wave.GetSample(i, true);
  volatile double keep = sum;
  (void)keep;
}

// TWave cannot be copied: a copy is the loaded image loaded again, which must not be refused.
void LoadCopy(const TWave& wave, TWave& copy) {
  if (auto refusal = Refusal([&] { copy.LoadFromImage(wave.FileName(), wave.Image()); }))
    Fail("a loaded image does not load again: " + *refusal);
}

void ConvertCopies(const TWave& wave) {
  const std::vector<void (TWave::*)()> conversions = {
      &TWave::ConvertToMono,  &TWave::ConvertToStereo,  &TWave::ConvertTo8Bit,
      &TWave::ConvertTo16Bit, &TWave::ConvertTo24Bit,   &TWave::ConvertToFloat,
      &TWave::DoubleSampleRate, &TWave::HalveSampleRate};
  for (auto convert : conversions) {
    TWave copy;
    LoadCopy(wave, copy);
    Run([&] { (copy.*convert)(); });
    ReadEverySample(copy);
  }
}

// The channels and the normalize level come from the input's last byte, so that the fuzzer
// reaches every combination without a format of its own.
void RunAmplitudeTools(const TWave& wave, uint8_t knob) {
  TWave copy;
  LoadCopy(wave, copy);
  NoProgress progress;
  // A sound holds fewer than 2^31 frames; the end stays within the 32-bit frame numbers.
  const auto end = static_cast<int32_t>(std::min<int64_t>(int64_t{copy.SampleCount()} + 50, INT32_MAX));
  const Selection wide{-50, end, (knob & 1) != 0, (knob & 2) != 0};
  Run([&] { NormalizeSelection(copy, wide, progress, knob % (kMaxNormalizeLevel + 1)); });
  Run([&] { RemoveDCOffset(copy, wide, progress); });
  for (WindowKind kind :
       {WindowKind::FadeIn, WindowKind::FadeOut, WindowKind::Hanning, WindowKind::Invert})
    Run([&] { ApplyWindow(copy, wide, progress, kind); });
  Run([&] { ReverseSelection(copy, wide, progress); });
  ReadEverySample(copy);
}

void Save(const TWave& wave, const std::string& path) {
  if (auto failure = Refusal([&] { wave.SaveToFile(path); }))
    Fail("a loaded sound cannot be saved: " + *failure);
}

void CheckSavedTwiceAlike(const TWave& wave) {
  const std::string first = TheScratch().File("first.wav");
  const std::string second = TheScratch().File("second.wav");
  Save(wave, first);
  TWave reloaded;
  if (auto refusal = Refusal([&] { reloaded.LoadFromFile(first, 0); }))
    Fail("a saved sound does not open again: " + *refusal);
  Save(reloaded, second);
  const std::vector<uint8_t> a = ReadFile(first), b = ReadFile(second);
  if (a != b) {
    const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
    Fail("load, save, load, save wrote two different files (" + std::to_string(a.size()) + " and " +
         std::to_string(b.size()) + " bytes, first difference at byte " + std::to_string(at) + ")");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = TheScratch().File("input.wav");
  WriteFile(input, data, size);

  TWave fromFile;
  TWave fromImage;
  const auto fileRefusal = Refusal([&] { fromFile.LoadFromFile(input, 0); });
  const auto imageRefusal =
      Refusal([&] { fromImage.LoadFromImage(input, std::vector<uint8_t>(data, data + size)); });
  if (fileRefusal != imageRefusal)
    Fail("file and image loads disagree: file " + fileRefusal.value_or("loads") + ", image " +
         imageRefusal.value_or("loads"));
  if (fileRefusal) return 0;
  if (!SameDocument(fromFile, fromImage)) Fail("file and image loads give different documents");

  ReadEverySample(fromFile);
  ConvertCopies(fromFile);
  RunAmplitudeTools(fromFile, size > 0 ? data[size - 1] : 0);
  CheckSavedTwiceAlike(fromFile);
  return 0;
}
