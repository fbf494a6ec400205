#pragma once

#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>


// Samples as stored (codes: unsigned bytes, signed little-endian integers of 16, 24 or 32 bits,
// floats) and as computed with (values in -1..+1, floats beyond too). Every read and write of a
// sample goes through these, so the single-sample access and the routines' typed loops give the
// same codes bit for bit.

// Round to nearest, ties to even; only the low bits of the result are stored, so values beyond
// full scale wrap. A value that is no number at all cannot be stored. Loops whose values are
// known to lie far inside the range leave the check out (kChecked false).
template <bool kChecked = true>
inline int64_t RoundToCode(double x) {
  if constexpr (kChecked) {
    if (!(std::fabs(x) < 9.0e18)) [[unlikely]]
      throw std::domain_error("Invalid floating point operation");
  }
  // llrint rounds in the current mode, ties to even; built without errno it is one instruction.
  return std::llrint(x);
}

// An integer code s of N bits (16, 24 or 32) reads n/(2^N − 1), n = 2s + 1. A division is slow,
// and the wider codes are too many for a table of values, so the quotient is formed without one:
// q0 = n·r, with r the double nearest 1/(2^N − 1), lies within an ulp of it; the remainder
// n − q0·(2^N − 1) = (n − q0·2^N) + q0 comes out exact, each difference being of two numbers
// within a factor two of each other; and q0 + remainder·r then misses the quotient by far less
// than the quotient's own distance from any midpoint between doubles (at least 2^−(N+54) of it,
// the quotient having the odd denominator 2^N − 1), so it rounds to what the division gives.
// Checked for every code of each width. `n` is a double, or a vector of them for loops that take
// several codes at once.
template <int kBits, class Real>
inline Real OddOverSteps(Real n) {
  constexpr double kWhole = static_cast<double>(int64_t{1} << kBits);
  constexpr double kInverse = 1.0 / (kWhole - 1.0);
  const Real q0 = n * kInverse;
  const Real remainder = (n - q0 * kWhole) + q0;
  return q0 + remainder * kInverse;
}

// The mapping between codes and values. 2s + 1 of a 16- or 24-bit code is exact in 32-bit
// integers, and one conversion where the double form takes two more steps.
inline double EightBitValue(uint8_t code) { return (2.0 * code - 255.0) / 255.0; }
inline double SixteenBitValue(int16_t code) { return OddOverSteps<16>(static_cast<double>(2 * code + 1)); }

// The value of every code, worked out once with the mapping itself, so that a read in a loop is a
// single load and still gives exactly that value.
inline const double* EightBitValues() {
  static const std::array<double, 256> values = [] {
    std::array<double, 256> v{};
    for (int b = 0; b < 256; ++b) v[b] = EightBitValue(static_cast<uint8_t>(b));
    return v;
  }();
  return values.data();
}

// Indexed by the word plus 32768.
inline const double* SixteenBitValues() {
  static const std::array<double, 65536> values = [] {
    std::array<double, 65536> v{};
    for (int s = -32768; s < 32768; ++s) v[s + 32768] = SixteenBitValue(static_cast<int16_t>(s));
    return v;
  }();
  return values.data();
}

// The code of a value before it is rounded, for loops that round a whole run at once.
inline double UnroundedEightBitCode(double value) { return (value + 1.0) * 127.5; }
inline double UnroundedSixteenBitCode(double value) { return (65535.0 * value - 1.0) * 0.5; }

template <bool kChecked = true>
inline uint8_t EightBitCode(double value) {
  return static_cast<uint8_t>(RoundToCode<kChecked>(UnroundedEightBitCode(value)));
}
template <bool kChecked = true>
inline int16_t SixteenBitCode(double value) {
  return static_cast<int16_t>(static_cast<uint16_t>(RoundToCode<kChecked>(UnroundedSixteenBitCode(value))));
}

// The wider codes map as the 16-bit ones do, over 2^24 − 1 and 2^32 − 1 steps.
inline double TwentyFourBitValue(int32_t code) { return OddOverSteps<24>(static_cast<double>(2 * code + 1)); }
inline double ThirtyTwoBitValue(int32_t code) { return OddOverSteps<32>(2.0 * code + 1.0); }
template <class Real>
inline Real UnroundedTwentyFourBitCode(Real value) {
  return (16777215.0 * value - 1.0) * 0.5;
}
template <class Real>
inline Real UnroundedThirtyTwoBitCode(Real value) {
  return (4294967295.0 * value - 1.0) * 0.5;
}

// A 24-bit code as it stands in the file: three bytes, low first, two's complement.
struct Int24 {
  uint8_t Bytes[3];
  friend bool operator==(Int24, Int24) = default;
};
static_assert(sizeof(Int24) == 3);

inline int32_t WordOf(Int24 code) {
  const auto u = static_cast<uint32_t>(code.Bytes[0] | code.Bytes[1] << 8 | code.Bytes[2] << 16);
  return static_cast<int32_t>(u << 8) >> 8;
}
// The low 24 bits of `word`, which is how a value beyond full scale wraps.
inline Int24 Int24Of(int64_t word) {
  const auto u = static_cast<uint32_t>(word);
  return {{static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16)}};
}

template <bool kChecked = true>
inline Int24 TwentyFourBitCode(double value) {
  return Int24Of(RoundToCode<kChecked>(UnroundedTwentyFourBitCode(value)));
}
template <bool kChecked = true>
inline int32_t ThirtyTwoBitCode(double value) {
  return static_cast<int32_t>(static_cast<uint32_t>(RoundToCode<kChecked>(UnroundedThirtyTwoBitCode(value))));
}
// A float sound stores the nearest float: it neither wraps nor clips, and only a value that no
// float can hold (none at all, or beyond the largest) is refused.
template <bool kChecked = true>
inline float FloatCode(double value) {
  const auto code = static_cast<float>(value);
  if constexpr (kChecked) {
    if (!std::isfinite(code)) [[unlikely]]
      throw std::domain_error("Invalid floating point operation");
  }
  return code;
}

// How a sound's samples are stored: unsigned bytes, signed 16-, 24- or 32-bit integers, or floats.
enum class SampleKind : uint8_t { Byte, Word, Triple, Long, Float };

// One row per kind of sample the editor holds, in the order of SampleKind, which is also the
// order of their resolution. Every part that needs to know a layout takes it from here; the
// mapping of its codes is SampleCodes<Kind> below.
struct SampleFormat {
  SampleKind Kind;
  uint16_t Bits;
  uint16_t Bytes;
  bool IsFloat;
  // The format chunk's tag: integer PCM or IEEE float.
  uint16_t FormatTag;
  // The code of silence, in each of its bytes (the middle level of unsigned bytes, 0 elsewhere).
  uint8_t SilenceByte;
  // Whether a recording can be made in it.
  bool Recorded;
};

inline constexpr uint16_t kPcmTag = 1;
inline constexpr uint16_t kFloatTag = 3;

// The code of silence in 8-bit data; wider silence is 0.
inline constexpr uint8_t kSilence8 = 128;

inline constexpr SampleFormat kSampleFormats[] = {
    {SampleKind::Byte, 8, 1, false, kPcmTag, kSilence8, true},
    {SampleKind::Word, 16, 2, false, kPcmTag, 0, true},
    {SampleKind::Triple, 24, 3, false, kPcmTag, 0, true},
    {SampleKind::Long, 32, 4, false, kPcmTag, 0, false},
    {SampleKind::Float, 32, 4, true, kFloatTag, 0, false},
};

constexpr const SampleFormat& FormatOf(SampleKind kind) { return kSampleFormats[static_cast<size_t>(kind)]; }

// The row of samples of `bits` bits, floats or integers; none for a layout the editor does not hold.
constexpr const SampleFormat* FindSampleFormat(uint16_t bits, bool isFloat) {
  for (const SampleFormat& format : kSampleFormats) {
    if (format.Bits == bits && format.IsFloat == isFloat) return &format;
  }
  return nullptr;
}

// The row a recording is made in whose bits are written `bits` ("8", "16", "24"); none otherwise.
inline const SampleFormat* FindRecordedFormat(std::string_view bits) {
  for (const SampleFormat& format : kSampleFormats) {
    if (format.Recorded && std::to_string(format.Bits) == bits) return &format;
  }
  return nullptr;
}

// The kind of samples of `bits` bits, floats or integers; Word for anything the editor does not
// hold, which a loaded sound never has.
constexpr SampleKind KindOf(uint16_t bits, bool floatSamples) {
  const SampleFormat* format = FindSampleFormat(bits, floatSamples);
  return format != nullptr ? format->Kind : SampleKind::Word;
}

// The codes of one kind: their type, the mapping both ways, silence, and what a loop needs to
// know of them.
template <SampleKind K>
struct SampleCodes;

template <>
struct SampleCodes<SampleKind::Byte> {
  using Code = uint8_t;
  static constexpr Code kSilence = kSilence8;
  // The codes of full scale, below and above.
  static constexpr Code kLowest = 0, kHighest = 255;
  // Whether a table of every code's new code is small enough to build.
  static constexpr bool kTabled = true;
  // Outputs of smaller magnitude still give a code that fits 64 bits before it wraps.
  static constexpr double kStorableBound = 1e14;
  static double Value(const double* values, Code code) { return values[code]; }
  template <bool kChecked = true>
  static Code CodeOf(double value) {
    return EightBitCode<kChecked>(value);
  }
  static const double* Values() { return EightBitValues(); }
};

template <>
struct SampleCodes<SampleKind::Word> {
  using Code = int16_t;
  static constexpr Code kSilence = 0;
  static constexpr Code kLowest = INT16_MIN, kHighest = INT16_MAX;
  static constexpr bool kTabled = true;
  static constexpr double kStorableBound = 1e14;
  static double Value(const double* values, Code code) { return values[code + 32768]; }
  template <bool kChecked = true>
  static Code CodeOf(double value) {
    return SixteenBitCode<kChecked>(value);
  }
  static const double* Values() { return SixteenBitValues(); }
};

// Too many codes for a table of their values: a read divides, which gives the same quotient.
template <>
struct SampleCodes<SampleKind::Triple> {
  using Code = Int24;
  static constexpr Code kSilence = {};
  static constexpr Code kLowest = {{0x00, 0x00, 0x80}}, kHighest = {{0xFF, 0xFF, 0x7F}};
  static constexpr bool kTabled = false;
  static constexpr double kStorableBound = 1e11;
  static double Value(const double*, Code code) { return TwentyFourBitValue(WordOf(code)); }
  template <bool kChecked = true>
  static Code CodeOf(double value) {
    return TwentyFourBitCode<kChecked>(value);
  }
  static const double* Values() { return nullptr; }
};

template <>
struct SampleCodes<SampleKind::Long> {
  using Code = int32_t;
  static constexpr Code kSilence = 0;
  static constexpr Code kLowest = INT32_MIN, kHighest = INT32_MAX;
  static constexpr bool kTabled = false;
  static constexpr double kStorableBound = 1e8;
  static double Value(const double*, Code code) { return ThirtyTwoBitValue(code); }
  template <bool kChecked = true>
  static Code CodeOf(double value) {
    return ThirtyTwoBitCode<kChecked>(value);
  }
  static const double* Values() { return nullptr; }
};

template <>
struct SampleCodes<SampleKind::Float> {
  using Code = float;
  static constexpr Code kSilence = 0.0f;
  // Full scale, which a float sound neither wraps nor clips at.
  static constexpr Code kLowest = -1.0f, kHighest = 1.0f;
  static constexpr bool kTabled = false;
  static constexpr double kStorableBound = 1e38;
  static double Value(const double*, Code code) { return code; }
  template <bool kChecked = true>
  static Code CodeOf(double value) {
    return FloatCode<kChecked>(value);
  }
  static const double* Values() { return nullptr; }
};

// The ten layouts of the sample data; a routine picks one per call and runs its loop on it.
template <SampleKind K, int ChannelCount>
struct SampleLayout : SampleCodes<K> {
  static constexpr SampleKind kKind = K;
  static constexpr int kChannels = ChannelCount;
};

using Mono8 = SampleLayout<SampleKind::Byte, 1>;
using Stereo8 = SampleLayout<SampleKind::Byte, 2>;
using Mono16 = SampleLayout<SampleKind::Word, 1>;
using Stereo16 = SampleLayout<SampleKind::Word, 2>;
using Mono24 = SampleLayout<SampleKind::Triple, 1>;
using Stereo24 = SampleLayout<SampleKind::Triple, 2>;
using Mono32 = SampleLayout<SampleKind::Long, 1>;
using Stereo32 = SampleLayout<SampleKind::Long, 2>;
using MonoFloat = SampleLayout<SampleKind::Float, 1>;
using StereoFloat = SampleLayout<SampleKind::Float, 2>;

// The sample data of a sound seen in one layout. Frame numbers are 64-bit while a routine
// computes with them and wrap to 32 bits here, as the single-sample access takes them: a frame
// before the start lands far past the end, where reads give 0 and writes are ignored. `right`
// picks the right channel of a stereo sound and the one channel of a mono sound.
template <class Layout>
class TypedSamples {
 public:
  using Code = typename Layout::Code;
  static constexpr int kChannels = Layout::kChannels;
  static constexpr Code kSilence = Layout::kSilence;
  static constexpr Code kLowest = Layout::kLowest;
  static constexpr Code kHighest = Layout::kHighest;
  static constexpr SampleKind kKind = Layout::kKind;
  static constexpr bool kTabled = Layout::kTabled;
  static constexpr double kStorableBound = Layout::kStorableBound;

  template <bool kChecked = true>
  static Code CodeOf(double value) {
    return Layout::template CodeOf<kChecked>(value);
  }

  TypedSamples(uint8_t* data, uint32_t frames) : data_(data), frames_(frames), values_(Layout::Values()) {}

  uint32_t Frames() const { return frames_; }
  bool Inside(int64_t frame) const { return static_cast<uint32_t>(frame) < frames_; }

  // Codes of frames inside the sound only.
  Code CodeAt(int64_t frame, bool right) const {
    Code code;
    std::memcpy(&code, Address(frame, right), sizeof code);
    return code;
  }
  void SetCode(int64_t frame, bool right, Code code) { std::memcpy(Address(frame, right), &code, sizeof code); }

  double Read(int64_t frame, bool right) const {
    return Inside(frame) ? Layout::Value(values_, CodeAt(frame, right)) : 0.0;
  }
  void Write(int64_t frame, bool right, double value) {
    if (Inside(frame)) SetCode(frame, right, Layout::CodeOf(value));
  }

  double ValueOf(Code code) const { return Layout::Value(values_, code); }

  // A code as a loop keeps it in a register: a 24-bit code as its sign-extended word, which
  // spares packing and unpacking its three bytes between frames; any other code as it is.
  using Held = std::conditional_t<kKind == SampleKind::Triple, int32_t, Code>;
  Held HeldAt(int64_t frame, bool right) const {
    if constexpr (kKind == SampleKind::Triple) {
      return WordOf(CodeAt(frame, right));
    } else {
      return CodeAt(frame, right);
    }
  }
  void SetHeld(int64_t frame, bool right, Held code) {
    if constexpr (kKind == SampleKind::Triple) {
      SetCode(frame, right, Int24Of(code));
    } else {
      SetCode(frame, right, code);
    }
  }
  double ValueOfHeld(Held code) const {
    if constexpr (kKind == SampleKind::Triple) {
      return TwentyFourBitValue(code);
    } else {
      return ValueOf(code);
    }
  }
  template <bool kChecked = true>
  static Held HeldOf(double value) {
    if constexpr (kKind == SampleKind::Triple) {
      const auto low = static_cast<uint32_t>(RoundToCode<kChecked>(UnroundedTwentyFourBitCode(value)));
      return static_cast<int32_t>(low << 8) >> 8;
    } else {
      return CodeOf<kChecked>(value);
    }
  }

  // Where a frame inside the sound begins, for loops that take a run of frames at once.
  uint8_t* FrameBytes(int64_t frame) const { return Address(frame, false); }

 private:
  uint8_t* Address(int64_t frame, bool right) const {
    const size_t index = static_cast<size_t>(static_cast<uint32_t>(frame)) * kChannels + (kChannels == 2 && right);
    return data_ + index * sizeof(Code);
  }

  uint8_t* data_;
  uint32_t frames_;
  const double* values_;
};

// Runs `f(TypedSamples<Layout>)` with the layout of data of `kind` and `channels` channels (1 or
// 2, as a loaded sound always has).
template <class F>
decltype(auto) WithLayout(uint8_t* data, uint32_t frames, SampleKind kind, uint16_t channels, F&& f) {
  const bool mono = channels == 1;
  switch (kind) {
    case SampleKind::Byte:
      if (mono) return f(TypedSamples<Mono8>(data, frames));
      return f(TypedSamples<Stereo8>(data, frames));
    case SampleKind::Triple:
      if (mono) return f(TypedSamples<Mono24>(data, frames));
      return f(TypedSamples<Stereo24>(data, frames));
    case SampleKind::Long:
      if (mono) return f(TypedSamples<Mono32>(data, frames));
      return f(TypedSamples<Stereo32>(data, frames));
    case SampleKind::Float:
      if (mono) return f(TypedSamples<MonoFloat>(data, frames));
      return f(TypedSamples<StereoFloat>(data, frames));
    case SampleKind::Word: break;
  }
  if (mono) return f(TypedSamples<Mono16>(data, frames));
  return f(TypedSamples<Stereo16>(data, frames));
}
