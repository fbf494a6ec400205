// The format conversions of TWave: channels, resolution and sample rate.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "wave/float_bounds.h"
#include "wave/image_memory.h"
#include "wave/vector_clones.h"
#include "wave/wave_document.h"

namespace {

// Two samples' mean in 32-bit arithmetic: rounded down for unsigned bytes, toward zero for
// signed words (-3 and 0 give -1).
inline uint8_t Average(uint8_t a, uint8_t b) { return static_cast<uint8_t>((a + b) >> 1); }
inline int16_t Average(int16_t a, int16_t b) { return static_cast<int16_t>((a + b) / 2); }
// The wider integers likewise toward zero, and floats to the float nearest their exact mean.
inline Int24 Average(Int24 a, Int24 b) { return Int24Of((WordOf(a) + WordOf(b)) / 2); }
inline int32_t Average(int32_t a, int32_t b) { return static_cast<int32_t>((int64_t{a} + b) / 2); }
inline float Average(float a, float b) { return static_cast<float>((double{a} + b) / 2); }

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

// Output bytes per block. The image grows one block ahead of the steps instead of being filled
// whole beforehand: the zeros that growing writes are still in the cache when the steps overwrite
// them, so the new data crosses the memory bus once, not twice.
constexpr uint64_t kBlockBytes = 32 * 1024;

// Steps per vectorized run. At -O2 GCC vectorizes only loops that leave no scalar remainder, so
// the kernels go in runs of this fixed length, a whole number of vectors for every one of them.
constexpr uint64_t kRun = 32;

// Steps first .. end - 1 of `Kernel`, whose `Step(in, out, i)` reads only the old data and writes
// only the new; the two never overlap, and saying so lets the compiler vectorize. AVX2 makes the
// conversions 5 to 20 percent faster.
template <class Kernel>
VELORIN_VECTOR_CLONES void RunKernel(const uint8_t* __restrict in, uint8_t* __restrict out, uint64_t first,
                                     uint64_t end) {
  for (; first + kRun <= end; first += kRun)
    for (uint64_t j = 0; j < kRun; ++j) Kernel::Step(in, out, first + j);
  for (; first < end; ++first) Kernel::Step(in, out, first);
}

// Runs steps 0 .. count - 1 of `Kernel`, each writing the next Kernel::kBytes bytes of the data,
// and calls `report(step)` before every step whose number is a multiple of 100.
template <class Kernel, class Report>
void RunSteps(std::vector<uint8_t>& image, const uint8_t* in, uint64_t count, Report&& report) {
  const uint64_t block = std::max<uint64_t>(1, kBlockBytes / Kernel::kBytes / 100) * 100;
  for (uint64_t first = 0; first < count;) {
    const uint64_t last = std::min(count, first + block);
    image.resize(kWaveHeaderSize + last * Kernel::kBytes);
    uint8_t* out = image.data() + kWaveHeaderSize;
    for (; first < last; first += 100) {
      report(first);
      RunKernel<Kernel>(in, out, first, std::min(last, first + 100));
    }
  }
}

// A kernel that may write over its own input: step i reads only kInBytes bytes from i · kInBytes
// on and writes no more than it reads, so each block's output ends where the next block's input
// begins.
template <class Kernel>
concept Shrinking = requires {
  Kernel::kInBytes;
  requires Kernel::kInBytes >= Kernel::kBytes;
};

// Runs steps 0 .. count - 1 of `Kernel` over `data` itself: each block is made in a buffer of its
// own, from input no step has written yet, and then copied to its place.
template <class Kernel, class Report>
void RunStepsInPlace(uint8_t* data, uint64_t count, Report&& report) {
  const uint64_t block = std::max<uint64_t>(1, kBlockBytes / Kernel::kBytes / 100) * 100;
  std::vector<uint8_t> made(block * Kernel::kBytes);
  for (uint64_t first = 0; first < count;) {
    const uint64_t last = std::min(count, first + block);
    const uint8_t* in = data + first * Kernel::kInBytes;
    for (uint64_t step = first; step < last; step += 100) {
      report(step);
      RunKernel<Kernel>(in, made.data(), step - first, std::min(last, step + 100) - first);
    }
    std::memcpy(data + first * Kernel::kBytes, made.data(), (last - first) * Kernel::kBytes);
    first = last;
  }
}

// The conversions' steps, with the sample type and the channel count fixed at compile time. The
// channels of a frame are written out rather than looped over, which the vectorizer needs.

// Step i: frame i's two samples averaged.
template <class T>
struct ToMono {
  static constexpr uint64_t kBytes = sizeof(T);
  static constexpr uint64_t kInBytes = 2 * sizeof(T);
  static void Step(const uint8_t* in, uint8_t* out, uint64_t i) {
    Store<T>(out, i, Average(Load<T>(in, 2 * i), Load<T>(in, 2 * i + 1)));
  }
};

// Step i: sample i written twice.
template <class T>
struct ToStereo {
  static constexpr uint64_t kBytes = 2 * sizeof(T);
  static void Step(const uint8_t* in, uint8_t* out, uint64_t i) {
    const T s = Load<T>(in, i);
    Store<T>(out, 2 * i, s);
    Store<T>(out, 2 * i + 1, s);
  }
};

// Step i: Round(s * K + 32768 * K) with K = 255/65535, the nearest byte to x / 257 where
// x = s + 32768 (an odd divisor leaves no ties). With y = x + 128, (y - y / 256) / 256 is that byte
// for every word, and in shifts it vectorizes where the floating-point form and a division do not.
struct To8Bit {
  static constexpr uint64_t kBytes = 1;
  static constexpr uint64_t kInBytes = 2;
  static void Step(const uint8_t* in, uint8_t* out, uint64_t i) {
    const int y = Load<int16_t>(in, i) + 32768 + 128;
    out[i] = static_cast<uint8_t>((y - (y >> 8)) >> 8);
  }
};

// Step i: byte b becomes b * 257 - 32768, exact.
struct To16Bit {
  static constexpr uint64_t kBytes = 2;
  static void Step(const uint8_t* in, uint8_t* out, uint64_t i) {
    Store<int16_t>(out, i, static_cast<int16_t>(in[i] * 257 - 32768));
  }
};

// The value of a code as the sample mapping reads it, without a table.
template <SampleKind K>
inline double ExactValue(typename SampleCodes<K>::Code code) {
  if constexpr (K == SampleKind::Byte) {
    return EightBitValue(code);
  } else if constexpr (K == SampleKind::Word) {
    return SixteenBitValue(code);
  } else {
    return SampleCodes<K>::Value(nullptr, code);
  }
}

// The code of `code` in another resolution, as the sample mapping gives it. From the wider integers
// down to 8 or 16 bits the mapping has an exact rational form: the code is the nearest integer to
// (s + 2^23) / 65793 or (257 s − 32768) / 65793 from 24 bits, and (s + 2^31) / 16843009 or
// (s − 32768) / 65537 from 32 bits. None of these quotients lies within 1/131074 of a half, far
// beyond the error of a product in doubles, so the floor of a product with the divisor's reciprocal
// is that code for every input; it keeps the division out of the loop, which the
// vectorizer can then take whole.
//
// A float sample known to be small enough (kChecked false) has a code below 2^31 before it wraps:
// it is rounded as llrint rounds, by adding and taking away 1.5 · 2^52, and cut to 8 or 16 bits
// from a 32-bit integer. No 64-bit conversion is needed, and the loop vectorizes.
template <SampleKind From, SampleKind To, bool kChecked>
inline typename SampleCodes<To>::Code ConvertedCode(typename SampleCodes<From>::Code code) {
  constexpr bool kFromInteger = From == SampleKind::Triple || From == SampleKind::Long;
  constexpr bool kToNarrow = To == SampleKind::Byte || To == SampleKind::Word;
  if constexpr (From == SampleKind::Float && !kChecked && kToNarrow) {
    constexpr double kRounder = 6755399441055744.0;
    const double value = code;
    const double unrounded = To == SampleKind::Byte ? UnroundedEightBitCode(value) : UnroundedSixteenBitCode(value);
    return static_cast<typename SampleCodes<To>::Code>(static_cast<int32_t>((unrounded + kRounder) - kRounder));
  } else if constexpr (kFromInteger && kToNarrow) {
    double s;
    if constexpr (From == SampleKind::Triple) {
      s = WordOf(code);
    } else {
      s = code;
    }
    // Round(q) = Floor(q + 1/2) = Floor(numerator / (2 · divisor)); a 16-bit code is raised by
    // 32768 first, so that every quotient is positive and the conversion's truncation is the floor.
    if constexpr (From == SampleKind::Triple && To == SampleKind::Byte) {
      return static_cast<uint8_t>(static_cast<int32_t>((2.0 * s + 16777216.0 + 65793.0) * (1.0 / 131586.0)));
    } else if constexpr (From == SampleKind::Triple) {
      return static_cast<int16_t>(static_cast<int32_t>((514.0 * s + 257.0 + 32768.0 * 131586.0) * (1.0 / 131586.0)) - 32768);
    } else if constexpr (To == SampleKind::Byte) {
      return static_cast<uint8_t>(static_cast<int32_t>((2.0 * s + 4294967296.0 + 16843009.0) * (1.0 / 33686018.0)));
    } else {
      return static_cast<int16_t>(static_cast<int32_t>((2.0 * s + 1.0 + 32768.0 * 131074.0) * (1.0 / 131074.0)) - 32768);
    }
  } else {
    return SampleCodes<To>::template CodeOf<kChecked>(ExactValue<From>(code));
  }
}

// Whether none of `count` samples can make the conversion refuse the sound: a float of magnitude
// up to 2^15 gives a code of every layout, below 2^31 for 8 and 16 bits. Such a conversion needs
// no check, and may write over its own input, being certain to finish.
template <SampleKind From>
bool NoRefusalIn(const uint8_t* data, uint64_t count) {
  return From != SampleKind::Float || FloatsWithin(data, count, 32768.0f);
}

// Step i: sample i read in one resolution and written in another, through the sample mapping.
// Only float samples can hold a value that is no code's: kChecked is for those not known to be
// small enough, which may make the conversion refuse the sound.
template <SampleKind From, SampleKind To, bool kChecked>
struct Remap {
  using In = typename SampleCodes<From>::Code;
  using Out = typename SampleCodes<To>::Code;
  static constexpr uint64_t kBytes = sizeof(Out);
  static constexpr uint64_t kInBytes = sizeof(In);
  static constexpr bool kMayRefuse = kChecked;
  static void Step(const uint8_t* in, uint8_t* out, uint64_t i) {
    Store<Out>(out, i, ConvertedCode<From, To, kChecked>(Load<In>(in, i)));
  }
};

// Step c: frame c, then the mean of frames c and c + 1.
template <class T, uint64_t C>
struct Interpolate {
  static constexpr uint64_t kBytes = 2 * C * sizeof(T);
  static void Step(const uint8_t* in, uint8_t* out, uint64_t c) {
    const T a0 = Load<T>(in, c * C);
    Store<T>(out, 2 * c * C, a0);
    Store<T>(out, (2 * c + 1) * C, Average(a0, Load<T>(in, (c + 1) * C)));
    if constexpr (C == 2) {
      const T a1 = Load<T>(in, c * C + 1);
      Store<T>(out, 2 * c * C + 1, a1);
      Store<T>(out, (2 * c + 1) * C + 1, Average(a1, Load<T>(in, (c + 1) * C + 1)));
    }
  }
};

// Step c: the mean of frames 2c and 2c + 1.
template <class T, uint64_t C>
struct Decimate {
  static constexpr uint64_t kBytes = C * sizeof(T);
  static constexpr uint64_t kInBytes = 2 * C * sizeof(T);
  static void Step(const uint8_t* in, uint8_t* out, uint64_t c) {
    Store<T>(out, c * C, Average(Load<T>(in, 2 * c * C), Load<T>(in, (2 * c + 1) * C)));
    if constexpr (C == 2)
      Store<T>(out, c * C + 1, Average(Load<T>(in, 2 * c * C + 1), Load<T>(in, (2 * c + 1) * C + 1)));
  }
};

// `f(T{}, channels)` with the sample type and the channel count of the layout as compile-time
// values.
template <class F>
void WithFormat(SampleKind kind, bool mono, F&& f) {
  using One = std::integral_constant<uint64_t, 1>;
  using Two = std::integral_constant<uint64_t, 2>;
  const auto with = [&](auto sample) {
    if (mono) return f(sample, One{});
    f(sample, Two{});
  };
  switch (kind) {
    case SampleKind::Byte: return with(uint8_t{});
    case SampleKind::Word: return with(int16_t{});
    case SampleKind::Triple: return with(Int24{});
    case SampleKind::Long: return with(int32_t{});
    case SampleKind::Float: return with(float{});
  }
}

// `f(std::integral_constant<SampleKind, kind>{})`.
template <class F>
void WithKind(SampleKind kind, F&& f) {
  switch (kind) {
    case SampleKind::Byte: return f(std::integral_constant<SampleKind, SampleKind::Byte>{});
    case SampleKind::Word: return f(std::integral_constant<SampleKind, SampleKind::Word>{});
    case SampleKind::Triple: return f(std::integral_constant<SampleKind, SampleKind::Triple>{});
    case SampleKind::Long: return f(std::integral_constant<SampleKind, SampleKind::Long>{});
    case SampleKind::Float: return f(std::integral_constant<SampleKind, SampleKind::Float>{});
  }
}

}  // namespace

void TWave::SetDataSize(TWaveHeader& header, uint64_t dataSize) {
  header.BlockAlign = static_cast<uint16_t>(FrameBytesOf(header));
  header.DataSize = static_cast<uint32_t>(dataSize);
  header.RiffSize = header.DataSize + 36;
}

std::vector<uint8_t> TWave::StartConversion(TWaveHeader& header, uint64_t dataSize, bool allocate) {
  // Before anything is allocated: a result too large is refused at no cost.
  CheckConvertedDataSize(dataSize, FrameBytesOf(header));
  SetDataSize(header, dataSize);
  std::vector<uint8_t> image;
  if (!allocate) return image;
  try {
    image.reserve(kWaveHeaderSize + dataSize);
  } catch (const std::bad_alloc&) {
    throw std::runtime_error("Out of memory while expanding memory stream");
  }
  image.resize(kWaveHeaderSize);
  WriteWaveHeader(header, image.data());
  AdviseLargePages(image.data(), image.capacity());
  return image;
}

void TWave::ReportProgress(int8_t progress) {
  if (OnProgress) OnProgress(*this, progress);
}

template <class Loop>
void TWave::RunConversion(TWaveHeader header, uint64_t dataSize, Loop&& loop) {
  if (image_.size() < kWaveHeaderSize) return;  // nothing loaded yet: there is no sound to convert
  const uint8_t silence = FormatOf(KindOf(header.BitsPerSample, header.FormatTag == kFloatTag)).SilenceByte;
  std::vector<uint8_t> image;
  bool converted = false;
  // `steps(Kernel{}, count, scale, divisor)` runs the conversion's steps, with the gauge at
  // Round(scale * step / divisor) before every hundredth.
  loop([&](auto kernel, uint64_t count, int scale, int64_t divisor) {
    using Kernel = decltype(kernel);
    const auto report = [&](uint64_t step) {
      // Without a listener the quotient would be worked out for nothing.
      if (OnProgress) ReportProgress(Percent(step, scale, divisor));
    };
    uint8_t* data = image_.data() + kWaveHeaderSize;
    if constexpr (Shrinking<Kernel>) {
      // With no undo to hand the old image to, a result no larger than it is written over it:
      // the sound is not held twice, and no fresh memory is taken for it.
      bool certain = true;
      if constexpr (requires { Kernel::kMayRefuse; }) certain = !Kernel::kMayRefuse;
      // Only over data the image holds whole, whatever its header may claim.
      if (!keepReplaced_ && certain && kWaveHeaderSize + dataSize <= image_.size()) {
        StartConversion(header, dataSize, false);
        StopIfPlaying();
        RunStepsInPlace<Kernel>(data, count, report);
        // Whatever the steps leave unwritten (the half frame of an odd halving) is silence.
        std::fill(data + count * Kernel::kBytes, data + dataSize, silence);
        WriteWaveHeader(header, image_.data());
        image_.resize(kWaveHeaderSize + dataSize);
        ReleaseSpareCapacity(image_);
        header_ = header;
        UpdateLayout();
        converted = true;
        return;
      }
    }
    image = StartConversion(header, dataSize);
    RunSteps<Kernel>(image, data, count, report);
  });
  if (!converted) {
    if (image.empty()) image = StartConversion(header, dataSize);
    image.resize(kWaveHeaderSize + dataSize, silence);
  }
  ReportProgress(-1);
  if (!converted) AdoptImage(std::move(image), header);
}

void TWave::ConvertToMono() {
  if (header_.Channels == 1) return;
  TWaveHeader h = header_;
  h.Channels = 1;
  h.BytesPerSec >>= 1;
  const uint64_t n = frames_;
  RunConversion(h, header_.DataSize >> 1, [&](auto steps) {
    const int64_t divisor = static_cast<int64_t>(n) - 1;
    WithFormat(kind_, true, [&](auto sample, auto) { steps(ToMono<decltype(sample)>{}, n, 100, divisor); });
  });
}

void TWave::ConvertToStereo() {
  if (header_.Channels == 2) return;
  TWaveHeader h = header_;
  h.Channels = 2;
  h.BytesPerSec <<= 1;
  const uint64_t n = frames_;
  RunConversion(h, uint64_t{header_.DataSize} << 1, [&](auto steps) {
    const int64_t divisor = static_cast<int64_t>(n) - 1;
    WithFormat(kind_, true, [&](auto sample, auto) { steps(ToStereo<decltype(sample)>{}, n, 100, divisor); });
  });
}

void TWave::ConvertTo8Bit() { ConvertResolution(SampleKind::Byte); }
void TWave::ConvertTo16Bit() { ConvertResolution(SampleKind::Word); }
void TWave::ConvertTo24Bit() { ConvertResolution(SampleKind::Triple); }
void TWave::ConvertToFloat() { ConvertResolution(SampleKind::Float); }

void TWave::ConvertResolution(SampleKind to) {
  if (kind_ == to || image_.size() < kWaveHeaderSize) return;
  const uint64_t channels = header_.Channels == 1 ? 1 : 2;
  const uint64_t samples = uint64_t{frames_} * channels;
  const int64_t divisor = (static_cast<int64_t>(frames_) - 1) * static_cast<int64_t>(channels);
  TWaveHeader h = header_;
  // Between 8 and 16 bits the sizes follow the header's, whole frames or not, and the mapping has
  // an exact integer form.
  if (kind_ == SampleKind::Word && to == SampleKind::Byte) {
    h.BitsPerSample = 8;
    h.BytesPerSec >>= 1;
    RunConversion(h, header_.DataSize >> 1, [&](auto steps) { steps(To8Bit{}, samples, 100, divisor); });
    return;
  }
  if (kind_ == SampleKind::Byte && to == SampleKind::Word) {
    h.BitsPerSample = 16;
    h.BytesPerSec <<= 1;
    RunConversion(h, uint64_t{header_.DataSize} << 1, [&](auto steps) { steps(To16Bit{}, samples, 100, divisor); });
    return;
  }
  const uint32_t oldBytes = FormatOf(kind_).Bytes;
  const uint32_t newBytes = FormatOf(to).Bytes;
  h.BitsPerSample = FormatOf(to).Bits;
  h.FormatTag = FormatOf(to).FormatTag;
  h.BytesPerSec = static_cast<uint32_t>(uint64_t{header_.BytesPerSec} * newBytes / oldBytes);
  RunConversion(h, samples * newBytes, [&](auto steps) {
    WithKind(kind_, [&](auto from) {
      WithKind(to, [&](auto into) {
        if constexpr (from.value != into.value) {
          if (NoRefusalIn<from.value>(image_.data() + kWaveHeaderSize, samples)) {
            steps(Remap<from.value, into.value, false>{}, samples, 100, divisor);
          } else if constexpr (from.value == SampleKind::Float) {
            steps(Remap<from.value, into.value, true>{}, samples, 100, divisor);
          }
        }
      });
    });
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
  const uint64_t frames = frames_;
  RunConversion(h, dataSize, [&](auto steps) {
    WithFormat(kind_, header_.Channels == 1, [&](auto sample, auto channels) {
      steps(Interpolate<decltype(sample), channels>{}, frames > 0 ? frames - 1 : 0, 100,
            static_cast<int64_t>(frames) - 2);
    });
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
  const uint64_t frames = frames_;
  RunConversion(h, header_.DataSize >> 1, [&](auto steps) {
    WithFormat(kind_, header_.Channels == 1, [&](auto sample, auto channels) {
      // The gauge goes by half steps: Round(200 c / (N - 2)).
      steps(Decimate<decltype(sample), channels>{}, frames / 2, 200, static_cast<int64_t>(frames) - 2);
    });
  });
}
