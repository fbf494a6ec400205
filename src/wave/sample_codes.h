#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>


// Samples as stored (codes: unsigned bytes, signed little-endian words) and as computed with
// (values in -1..+1). Every read and write of a sample goes through these, so the single-sample
// access and the routines' typed loops give the same codes bit for bit.

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

// The mapping between codes and values.
inline double EightBitValue(uint8_t code) { return (2.0 * code - 255.0) / 255.0; }
inline double SixteenBitValue(int16_t code) { return (2.0 * code + 1.0) / 65535.0; }

// The value of every code, worked out once with the mapping itself, so that a read in a loop is a
// load instead of a division and still gives exactly that quotient.
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

// The code of silence in 8-bit data; 16-bit silence is 0.
inline constexpr uint8_t kSilence8 = 128;

// The four layouts of the sample data; a routine picks one per call and runs its loop on it.
template <class CodeType, int ChannelCount>
struct SampleLayout {
  using Code = CodeType;
  static constexpr int kChannels = ChannelCount;
  static constexpr bool kEightBit = sizeof(Code) == 1;
  static constexpr Code kSilence = kEightBit ? Code(kSilence8) : Code(0);

  static double Value(const double* values, Code code) {
    if constexpr (kEightBit) {
      return values[code];
    } else {
      return values[code + 32768];
    }
  }
  template <bool kChecked = true>
  static Code CodeOf(double value) {
    if constexpr (kEightBit) {
      return EightBitCode<kChecked>(value);
    } else {
      return SixteenBitCode<kChecked>(value);
    }
  }
  static const double* Values() { return kEightBit ? EightBitValues() : SixteenBitValues(); }
};

using Mono8 = SampleLayout<uint8_t, 1>;
using Stereo8 = SampleLayout<uint8_t, 2>;
using Mono16 = SampleLayout<int16_t, 1>;
using Stereo16 = SampleLayout<int16_t, 2>;

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

// Runs `f(TypedSamples<Layout>)` with the layout of data of `bits` bits and `channels` channels
// (1 or 2, 8 or 16, as a loaded sound always has).
template <class F>
decltype(auto) WithLayout(uint8_t* data, uint32_t frames, uint16_t bits, uint16_t channels, F&& f) {
  if (bits == 8) {
    if (channels == 1) return f(TypedSamples<Mono8>(data, frames));
    return f(TypedSamples<Stereo8>(data, frames));
  }
  if (channels == 1) return f(TypedSamples<Mono16>(data, frames));
  return f(TypedSamples<Stereo16>(data, frames));
}
