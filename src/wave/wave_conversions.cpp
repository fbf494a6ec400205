// The format conversions of TWave: channels, resolution and sample rate.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>

#include "wave/wave_document.h"

namespace {

constexpr uint8_t kSilence8 = 128;

// Two samples' mean in 32-bit arithmetic: rounded down for unsigned bytes, toward zero for
// signed words (-3 and 0 give -1).
inline uint8_t Average(uint8_t a, uint8_t b) { return static_cast<uint8_t>((a + b) >> 1); }
inline int16_t Average(int16_t a, int16_t b) { return static_cast<int16_t>((a + b) / 2); }

// Sample `index` of the data, counted in samples of type T in file order.
template <class T>
inline T Load(const uint8_t* data, size_t index) {
  T value;
  std::memcpy(&value, data + index * sizeof(T), sizeof(T));
  return value;
}

template <class T>
inline void Store(uint8_t* data, size_t index, T value) {
  std::memcpy(data + index * sizeof(T), &value, sizeof(T));
}

// Round(scale * step / divisor). A conversion of one or two frames has the divisor 0 at its only
// reported step, the first one: nothing has been done yet, so it shows 0.
inline int8_t Percent(uint64_t step, int scale, int64_t divisor) {
  if (divisor <= 0) return 0;
  return static_cast<int8_t>(std::llrint(static_cast<double>(scale) * static_cast<double>(step) /
                                         static_cast<double>(divisor)));
}

// Runs steps 0 .. count - 1, reporting before every step whose number is a multiple of 100, so
// the report never costs a division per step.
template <class Report, class Step>
inline void RunSteps(uint64_t count, int scale, int64_t divisor, Report&& report, Step&& step) {
  for (uint64_t first = 0; first < count; first += 100) {
    report(Percent(first, scale, divisor));
    const uint64_t end = std::min(count, first + 100);
    for (uint64_t s = first; s < end; ++s) step(s);
  }
}

// Frames of `channels` interleaved samples of type T.
template <class T>
struct Frames {
  const uint8_t* in;
  uint8_t* out;
  size_t channels;
  T Read(size_t frame, size_t channel) const { return Load<T>(in, frame * channels + channel); }
  void Write(size_t frame, size_t channel, T value) const { Store<T>(out, frame * channels + channel, value); }
};

template <class T, class Report>
void Interpolate(Frames<T> f, uint64_t frames, Report&& report) {
  const int64_t divisor = static_cast<int64_t>(frames) - 2;
  RunSteps(frames > 0 ? frames - 1 : 0, 100, divisor, report, [&](uint64_t c) {
    for (size_t ch = 0; ch < f.channels; ++ch) {
      const T a = f.Read(c, ch);
      f.Write(2 * c, ch, a);
      f.Write(2 * c + 1, ch, Average(a, f.Read(c + 1, ch)));
    }
  });
}

template <class T, class Report>
void Decimate(Frames<T> f, uint64_t frames, Report&& report) {
  // The gauge goes by half steps: Round(200 c / (N - 2)).
  const int64_t divisor = static_cast<int64_t>(frames) - 2;
  RunSteps(frames / 2, 200, divisor, report, [&](uint64_t c) {
    for (size_t ch = 0; ch < f.channels; ++ch)
      f.Write(c, ch, Average(f.Read(2 * c, ch), f.Read(2 * c + 1, ch)));
  });
}

}  // namespace

void CheckConvertedDataSize(uint64_t dataSize) {
  if (dataSize >= kMaxDataSize)
    throw std::runtime_error("The converted sound would be too large (" + std::to_string(dataSize) +
                             " bytes of sound data; the editor takes less than 512 MiB)");
}

std::vector<uint8_t> TWave::StartConversion(TWaveHeader& header, uint64_t dataSize) {
  CheckConvertedDataSize(dataSize);
  header.DataSize = static_cast<uint32_t>(dataSize);
  header.RiffSize = header.DataSize + 36;
  header.BlockAlign = static_cast<uint16_t>(header.Channels * header.BitsPerSample / 8);
  // Whatever the conversion leaves unwritten (the half frame of an odd halving) is silence.
  const uint8_t silence = header.BitsPerSample == 8 ? kSilence8 : 0;
  std::vector<uint8_t> image;
  try {
    image.assign(kWaveHeaderSize + dataSize, silence);
  } catch (const std::bad_alloc&) {
    throw std::runtime_error("Out of memory while expanding memory stream");
  }
  WriteWaveHeader(header, image.data());
  return image;
}

void TWave::ReportProgress(int8_t progress) {
  if (OnProgress) OnProgress(*this, progress);
}

template <class Loop>
void TWave::RunConversion(TWaveHeader header, uint64_t dataSize, Loop&& loop) {
  if (image_.size() < kWaveHeaderSize) return;  // nothing loaded yet: there is no sound to convert
  std::vector<uint8_t> image = StartConversion(header, dataSize);
  loop(image_.data() + kWaveHeaderSize, image.data() + kWaveHeaderSize,
       [this](int8_t progress) { ReportProgress(progress); });
  ReportProgress(-1);
  AdoptImage(std::move(image), header);
}

void TWave::ConvertToMono() {
  if (header_.Channels == 1) return;
  TWaveHeader h = header_;
  h.Channels = 1;
  h.BytesPerSec >>= 1;
  const uint64_t n = frames_;
  RunConversion(h, header_.DataSize >> 1, [&](const uint8_t* in, uint8_t* out, auto report) {
    if (eightBit_) {
      RunSteps(n, 100, static_cast<int64_t>(n) - 1, report,
               [&](uint64_t i) { out[i] = Average(in[2 * i], in[2 * i + 1]); });
    } else {
      RunSteps(n, 100, static_cast<int64_t>(n) - 1, report, [&](uint64_t i) {
        Store<int16_t>(out, i, Average(Load<int16_t>(in, 2 * i), Load<int16_t>(in, 2 * i + 1)));
      });
    }
  });
}

void TWave::ConvertToStereo() {
  if (header_.Channels == 2) return;
  TWaveHeader h = header_;
  h.Channels = 2;
  h.BytesPerSec <<= 1;
  const uint64_t n = frames_;
  RunConversion(h, uint64_t{header_.DataSize} << 1, [&](const uint8_t* in, uint8_t* out, auto report) {
    if (eightBit_) {
      RunSteps(n, 100, static_cast<int64_t>(n) - 1, report,
               [&](uint64_t i) { out[2 * i] = out[2 * i + 1] = in[i]; });
    } else {
      RunSteps(n, 100, static_cast<int64_t>(n) - 1, report, [&](uint64_t i) {
        const int16_t s = Load<int16_t>(in, i);
        Store<int16_t>(out, 2 * i, s);
        Store<int16_t>(out, 2 * i + 1, s);
      });
    }
  });
}

void TWave::ConvertTo8Bit() {
  if (header_.BitsPerSample == 8) return;
  TWaveHeader h = header_;
  h.BitsPerSample = 8;
  h.BytesPerSec >>= 1;
  const uint64_t channels = header_.Channels == 1 ? 1 : 2;
  const uint64_t samples = uint64_t{frames_} * channels;
  const int64_t divisor = (static_cast<int64_t>(frames_) - 1) * static_cast<int64_t>(channels);
  // Round(s * K + 32768 * K) with K = 255/65535, the nearest byte to (s + 32768) / 257.
  constexpr double k = 255.0 / 65535.0;
  constexpr double offset = 32768.0 * k;
  RunConversion(h, header_.DataSize >> 1, [&](const uint8_t* in, uint8_t* out, auto report) {
    RunSteps(samples, 100, divisor, report, [&](uint64_t i) {
      out[i] = static_cast<uint8_t>(std::llrint(Load<int16_t>(in, i) * k + offset));
    });
  });
}

void TWave::ConvertTo16Bit() {
  if (header_.BitsPerSample == 16) return;
  TWaveHeader h = header_;
  h.BitsPerSample = 16;
  h.BytesPerSec <<= 1;
  const uint64_t channels = header_.Channels == 1 ? 1 : 2;
  const uint64_t samples = uint64_t{frames_} * channels;
  const int64_t divisor = (static_cast<int64_t>(frames_) - 1) * static_cast<int64_t>(channels);
  RunConversion(h, uint64_t{header_.DataSize} << 1, [&](const uint8_t* in, uint8_t* out, auto report) {
    RunSteps(samples, 100, divisor, report,
             [&](uint64_t i) { Store<int16_t>(out, i, static_cast<int16_t>(in[i] * 257 - 32768)); });
  });
}

void TWave::DoubleSampleRate() {
  if (header_.SampleRate > std::numeric_limits<uint32_t>::max() / 2)
    throw std::runtime_error("The sample rate of " + std::to_string(header_.SampleRate) +
                             " Hz cannot be doubled");
  TWaveHeader h = header_;
  h.SampleRate <<= 1;
  h.BytesPerSec <<= 1;
  // The last frame only enters the last mean; a sound without frames keeps none.
  const uint64_t frameBytes = frameBytes_;
  const uint64_t dataSize = header_.DataSize >= frameBytes ? 2 * (header_.DataSize - frameBytes) : 0;
  const size_t channels = header_.Channels == 1 ? 1 : 2;
  RunConversion(h, dataSize, [&](const uint8_t* in, uint8_t* out, auto report) {
    if (eightBit_) {
      Interpolate(Frames<uint8_t>{in, out, channels}, frames_, report);
    } else {
      Interpolate(Frames<int16_t>{in, out, channels}, frames_, report);
    }
  });
}

void TWave::HalveSampleRate() {
  // A rate of 0 Hz could be neither played nor opened again.
  if (header_.SampleRate < 2)
    throw std::runtime_error("The sample rate of " + std::to_string(header_.SampleRate) +
                             " Hz cannot be halved");
  TWaveHeader h = header_;
  h.SampleRate >>= 1;
  h.BytesPerSec >>= 1;
  const size_t channels = header_.Channels == 1 ? 1 : 2;
  RunConversion(h, header_.DataSize >> 1, [&](const uint8_t* in, uint8_t* out, auto report) {
    if (eightBit_) {
      Decimate(Frames<uint8_t>{in, out, channels}, frames_, report);
    } else {
      Decimate(Frames<int16_t>{in, out, channels}, frames_, report);
    }
  });
}
