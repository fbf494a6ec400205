#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "audio/platform/wave_input.h"
#include "wave/sample_codes.h"

class TAudio;

enum class TChannels : uint8_t { Mono = 0, Stereo = 1 };
// The resolutions a recording is made in: the recorded rows of the sample formats, in their order.
enum class TBPS : uint8_t { _8 = 0, _16 = 1, _24 = 2 };

inline const SampleFormat& FormatOf(TBPS bits) { return FormatOf(static_cast<SampleKind>(bits)); }
inline uint16_t BitsOf(TBPS bits) { return FormatOf(bits).Bits; }
static_assert(FormatOf(SampleKind::Triple).Recorded && !FormatOf(SampleKind::Long).Recorded,
              "TBPS names the recorded sample formats, which come first");

inline constexpr int kAudioBuffers = 4;

// The sample format of the recorder, the device format record made from it, and the ring of four
// device buffers. Format writes go through the owner (TAudio); a write that changes the format
// rebuilds the buffers.
class TAudioSettings {
 public:
  TAudioSettings(TAudio& owner);
  virtual ~TAudioSettings();
  TAudioSettings(const TAudioSettings&) = delete;
  TAudioSettings& operator=(const TAudioSettings&) = delete;

  TBPS BitsPerSample() const { return bitsPerSample_; }
  TChannels Channels() const { return channels_; }
  uint16_t SampleRate() const { return sampleRate_; }
  uint16_t NoSamples() const { return noSamples_; }

  // Builds the format record, the buffer size and the twelve blocks; false with the owner's
  // ErrorMessage set when that fails. A buffer of NoSamples frames that does not fit 16 bits is
  // refused before anything is built.
  bool AllocBuffers();
  // Releases them; nothing happens while there is no format record.
  void FreeBuffers();

  TAudio& Owner;
  std::array<std::unique_ptr<WaveHeader>, kAudioBuffers> Headers;
  std::array<std::unique_ptr<uint8_t[]>, kAudioBuffers> Buffers;
  std::array<std::unique_ptr<uint8_t[]>, kAudioBuffers> RightBuffers;
  // The next buffer to hand to the device, and the next one expected back.
  std::atomic<int> AddIndex{0};
  std::atomic<int> DoneIndex{0};
  bool IsOpen = false;
  std::unique_ptr<WaveFormatEx> WaveFormat;
  uint16_t BufferSize = 0;
  // The device has reported itself open.
  std::atomic<bool> Active{false};

 protected:
  // The value written to this object alone: stored and, when it changed, the buffers rebuilt;
  // ignored while the object's device is open.
  void ApplyBitsPerSample(TBPS value);
  void ApplyChannels(TChannels value);
  void ApplySampleRate(uint16_t value);
  void ApplyNoSamples(uint16_t value);
  void Rebuild();
  // True, with the owner's ErrorMessage set, while the device is open.
  bool Busy();

  TBPS bitsPerSample_ = TBPS::_8;
  TChannels channels_ = TChannels::Mono;
  uint16_t sampleRate_ = 11025;
  uint16_t noSamples_ = 8192;

  friend class TAudio;
  friend class TRecorder;
};
