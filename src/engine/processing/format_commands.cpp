#include "processing/format_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "processing/errors.h"
#include "processing/non_numbers.h"
#include "state/session.h"

namespace {

constexpr uint32_t kCDRate = 44100;
constexpr uint32_t kCDFrameBytes = 4;  // 16-bit stereo

// A zoomed view may reach far past the sound; its end stays within the 32-bit frame range.
void DoubleViewEnd(ViewState& state) {
  state.ViewEnd = static_cast<int32_t>(std::min<int64_t>(int64_t{state.ViewEnd} * 2,
                                                          std::numeric_limits<int32_t>::max()));
}

void HalveViewEnd(ViewState& state) { state.ViewEnd /= 2; }

void DoubleRate(TWave& wave, ViewState& state) {
  wave.DoubleSampleRate();
  DoubleViewEnd(state);
}

void HalveRate(TWave& wave, ViewState& state) {
  wave.HalveSampleRate();
  HalveViewEnd(state);
}

// The data size after `doublings` (negative: halvings), then 16 bits and stereo, following
// each conversion's own size rule, so that a result too large is refused before the first step.
// No step before the last has more frames or bytes than the result, so its check covers them.
uint64_t CDDataSize(const TWave& wave, int doublings) {
  uint64_t size = wave.Header().DataSize;
  const uint64_t frameBytes = wave.FrameBytes();
  for (int i = 0; i < doublings; ++i) size = size >= frameBytes ? 2 * (size - frameBytes) : 0;
  for (int i = 0; i > doublings; --i) size >>= 1;
  size = size / (wave.FrameBytes() / wave.Channels()) * 2;
  if (wave.Channels() == 1) size *= 2;
  return size;
}

// What a conversion that computes with the values says it cannot do; none for a copy.
const char* ConversionAction(FormatConversion conversion) {
  switch (conversion) {
    case FormatConversion::DoubleRate: return "double the rate";
    case FormatConversion::HalveRate: return "halve the rate";
    case FormatConversion::To16Bit: return "convert to 16 bits";
    case FormatConversion::To8Bit: return "convert to 8 bits";
    case FormatConversion::To24Bit: return "convert to 24 bits";
    case FormatConversion::ToMono: return "mix to mono";
    case FormatConversion::ToFloat:
    case FormatConversion::ToStereo: break;
  }
  return nullptr;
}

// Refused before anything changes: what no conversion can compute with, and for codes, what the
// rounding cannot take.
void RefuseInputOf(const TWave& wave, FormatConversion conversion) {
  const char* action = ConversionAction(conversion);
  if (action == nullptr) return;
  switch (conversion) {
    case FormatConversion::To16Bit: RefuseUnconvertible(wave, SampleKind::Word, action); break;
    case FormatConversion::To8Bit: RefuseUnconvertible(wave, SampleKind::Byte, action); break;
    case FormatConversion::To24Bit: RefuseUnconvertible(wave, SampleKind::Triple, action); break;
    default: RefuseNonNumbers(wave, action); break;
  }
}

}  // namespace

void ConvertFormat(Session& session, FormatConversion conversion) {
  TWave& wave = session.Wave;
  ViewState& state = session.View;
  RefuseInputOf(wave, conversion);
  switch (conversion) {
    case FormatConversion::DoubleRate: DoubleRate(wave, state); break;
    case FormatConversion::HalveRate: HalveRate(wave, state); break;
    case FormatConversion::To16Bit: wave.ConvertTo16Bit(); break;
    case FormatConversion::To8Bit: wave.ConvertTo8Bit(); break;
    case FormatConversion::To24Bit: wave.ConvertTo24Bit(); break;
    case FormatConversion::ToFloat: wave.ConvertToFloat(); break;
    case FormatConversion::ToStereo: wave.ConvertToStereo(); break;
    case FormatConversion::ToMono: wave.ConvertToMono(); break;
  }
  SelectAll(state, wave);
}

void ConvertToCDFormat(Session& session) {
  TWave& wave = session.Wave;
  ViewState& state = session.View;
  const double r = std::log2(static_cast<double>(kCDRate) / wave.SampleRate());
  if (!std::isfinite(r) || r != std::trunc(r)) throw InputRefused(kIncompatibleSampleRate);
  const int doublings = static_cast<int>(r);
  CheckConvertedDataSize(CDDataSize(wave, doublings), kCDFrameBytes);
  RefuseUnconvertible(wave, SampleKind::Word, "convert to CD format");

  if (doublings != 0) {
    for (int i = 0; i < doublings; ++i) DoubleRate(wave, state);
    for (int i = 0; i > doublings; --i) HalveRate(wave, state);
    wave.SetSampleRate(kCDRate);
  }
  wave.ConvertTo16Bit();
  if (wave.Channels() == 1) wave.ConvertToStereo();
  SelectAll(state, wave);
}
