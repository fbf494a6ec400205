#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "wave/frame_splice.h"
#include "wave/sample_codes.h"
#include "wave/wave_header.h"
#include "wave/wave_limits.h"

class TWave;

// Progress of a conversion: 0..100 while it runs, -1 once it has finished.
using TProgressEvent = std::function<void(TWave& sender, int8_t progress)>;

class ISystemSoundPlayer;

// The one sound the editor works on: the whole WAV file as a byte image (canonical 44-byte
// header, then the sample data) plus a cached copy of the header.
class TWave {
 public:
  TWave() = default;
  ~TWave();
  TWave(const TWave&) = delete;
  TWave& operator=(const TWave&) = delete;

  // Makes `fileName` the document. A missing file gives a silent 8-bit mono 11025 Hz sound of
  // `newWaveSeconds` (nothing is written). A canonical file is taken byte for byte, with whatever
  // follows its data; any other layout is rebuilt canonical with exactly its data. A file the
  // editor cannot serve (not a regular file, not RIFF WAVE, not mono or stereo PCM of 8 to 32
  // bits or 32-bit float, too large) is refused with std::runtime_error naming the path and the reason, and the
  // previous document stays exactly as it was.
  void LoadFromFile(const std::string& fileName, double newWaveSeconds);
  // Makes `bytes`, the whole content of a WAV file, the document named `fileName`, checked and
  // laid out exactly as LoadFromFile does with the file's content.
  void LoadFromImage(const std::string& fileName, std::vector<uint8_t> bytes);
  // The sound that LoadFromFile followed by keeping only frames first..last (within the sound)
  // makes, reading no other frames of the file. False, with nothing read or changed, for a file
  // that does not exist or no kept frame; refusals as LoadFromFile's.
  bool LoadPartOfFile(const std::string& fileName, int64_t first, int64_t last);
  // Makes a silent sound of `seconds` named `fileName`, whether or not such a file exists;
  // nothing is read or written. A length that IsNewWaveLength refuses throws
  // std::invalid_argument and changes nothing.
  void CreateSilent(const std::string& fileName, double seconds);
  // Writes the image to `fileName` so that it either replaces the old file whole or not at all:
  // a failure ("Cannot create file <path> (<reason>)") leaves the old file and the document as
  // they were.
  void SaveToFile(const std::string& fileName) const;
  // After SaveToFile(fileName): the document becomes that file exactly as opening it again would
  // make it (name, header, image), built from the image just written instead of read back.
  void ReopenFromImage(const std::string& fileName);

  // The player that Play hands the image to; none (nullptr) in programs without sound, where
  // Play and Stop answer false. It must outlive the document. What the old one plays is stopped.
  void SetSoundPlayer(ISystemSoundPlayer* player);
  // Plays the image through the system sound player; false when nothing took it.
  bool Play();
  // Plays frames first..last (inclusive) cut to the sound; false also when none of them is in it.
  bool PlayFrames(int64_t first, int64_t last);
  bool Stop();
  // The frame being heard while the image plays, -1 otherwise.
  int64_t PlayingFrame() const;

  const std::string& FileName() const { return fileName_; }
  bool Loaded() const { return !fileName_.empty(); }
  // The data size the header of the file last loaded promised, when the file held less (the
  // sound was cut to the whole frames present); 0 when it held all. With the bytes of those
  // whole frames, which a load of part of the file does not keep all of.
  uint32_t PromisedDataBytes() const { return promisedDataBytes_; }
  uint32_t PresentDataBytes() const { return presentDataBytes_; }
  const TWaveHeader& Header() const { return header_; }
  const std::vector<uint8_t>& Image() const { return image_; }

  uint16_t BitsPerSample() const { return header_.BitsPerSample; }
  // Whether the samples are floats (format tag 3) rather than integers.
  bool FloatSamples() const { return kind_ == SampleKind::Float; }
  SampleKind Kind() const { return kind_; }
  uint16_t Channels() const { return header_.Channels; }
  uint32_t SampleRate() const { return header_.SampleRate; }
  void SetSampleRate(uint32_t rate);
  uint32_t SampleCount() const { return frames_; }
  // Bytes of one frame: 1 to 8.
  uint32_t FrameBytes() const { return frameBytes_; }
  double Duration() const { return static_cast<double>(frames_) / header_.SampleRate; }

  // Samples as values in -1..+1. Frames at or past the end read 0.0 and are not written;
  // written values are rounded to the resolution and wrap around (no clamping). `right` is
  // ignored for a mono sound.
  double GetSample(uint32_t index, bool right) const {
    if (index >= frames_) return 0.0;
    const uint8_t* p = image_.data() + kWaveHeaderSize + size_t{index} * frameBytes_ + (right ? rightOffset_ : 0);
    switch (kind_) {
      case SampleKind::Byte: return EightBitValue(*p);
      case SampleKind::Word: return SixteenBitValue(Load<int16_t>(p));
      case SampleKind::Triple: return TwentyFourBitValue(WordOf(Load<Int24>(p)));
      case SampleKind::Long: return ThirtyTwoBitValue(Load<int32_t>(p));
      case SampleKind::Float: return Load<float>(p);
    }
    return 0.0;
  }

  void SetSample(uint32_t index, bool right, double value) {
    if (index >= frames_) return;
    uint8_t* p = image_.data() + kWaveHeaderSize + size_t{index} * frameBytes_ + (right ? rightOffset_ : 0);
    switch (kind_) {
      case SampleKind::Byte: *p = EightBitCode(value); break;
      case SampleKind::Word: Store(p, SixteenBitCode(value)); break;
      case SampleKind::Triple: Store(p, TwentyFourBitCode(value)); break;
      case SampleKind::Long: Store(p, ThirtyTwoBitCode(value)); break;
      case SampleKind::Float: Store(p, FloatCode(value)); break;
    }
  }

  // Runs `f(TypedSamples<Layout>)` on the sample data in its layout, for routines whose loops
  // work on it directly. With nothing loaded the view has no frames.
  template <class F>
  decltype(auto) WithSamples(F&& f) {
    return WithLayout(SampleData(), frames_, kind_, header_.Channels, std::forward<F>(f));
  }

  // The format conversions. Each rebuilds the whole sound as a fresh canonical image beside the
  // old one, reports its progress through OnProgress (0..100 at every hundredth step, then -1)
  // and replaces the image only at the very end: one that fails leaves the document as it was.
  // Mono, Stereo, 8 and 16 bits return at once, reporting nothing, when the sound already is so.
  // Averages of two samples round down for 8-bit and toward zero for wider integer samples; float
  // ones give the float nearest the exact mean.
  void ConvertToMono();    // each frame's two samples averaged
  void ConvertToStereo();  // the one channel copied into both
  void ConvertTo8Bit();    // nearest of (s + 32768) / 257
  void ConvertTo16Bit();   // b * 257 - 32768, exact
  // Every other change of resolution goes through the sample mapping: each sample's value is
  // read in the old resolution and written in the new. 24 bits and float return at once, as the
  // others do, when the sound already is so.
  void ConvertTo24Bit();
  void ConvertToFloat();
  // The resolution of `kind`, whichever conversion above leads there (32-bit integers too).
  void ConvertResolution(SampleKind to);
  // Every frame but the last followed by the mean of it and the next: N frames become 2N - 2.
  void DoubleSampleRate();
  // Each pair of frames becomes its mean; an odd last frame is dropped. With an odd frame count
  // the data keeps its halved size, so a half frame of silence follows the last whole one.
  void HalveSampleRate();

  // Changes the sound's length as `splice` says; the header's size fields follow, as after a
  // conversion, and whatever followed the data goes. Bytes are moved, never samples computed. A
  // pure removal moves the kept frames within the image unless the old image is being kept;
  // anything else builds one new image. The caller checks the new length against the limit.
  void SpliceFrames(const FrameSplice& splice);

  TProgressEvent OnProgress;

  // For undo. While keeping, the first image a conversion replaces is kept, with its header,
  // instead of being freed; TakeReplacedImage hands it over (empty when none was replaced).
  void KeepReplacedImage(bool keep) { keepReplaced_ = keep; }
  bool KeepsReplacedImage() const { return keepReplaced_; }
  std::vector<uint8_t> TakeReplacedImage(TWaveHeader& header);
  // Exchanges the image and its header with `image` and `header`, or the image's bytes from
  // `offset` on with `bytes`, which must lie within it.
  void SwapImage(std::vector<uint8_t>& image, TWaveHeader& header);
  void SwapBytes(size_t offset, uint8_t* bytes, size_t count);
  // Undoes or redoes a change of length: pieces that hold their bytes come back into the sound
  // (in order of Frame), the others go out of it into their bytes; `header` and `trailer`, the
  // other side's header and what followed its data, change places with the image's own. Within
  // the room the image has, nothing else is allocated.
  void ExchangeFrames(std::vector<FramePiece>& pieces, TWaveHeader& header, std::vector<uint8_t>& trailer);

 private:
  void AdoptImage(std::vector<uint8_t>&& image, const TWaveHeader& header);
  void ReportProgress(int8_t progress);
  // The converted sound's image so far: its header (`header` with `dataSize` and the fields that
  // follow from it), with room reserved for the data, which the conversion appends. Without
  // `allocate`, only the check of the size and the header.
  static std::vector<uint8_t> StartConversion(TWaveHeader& header, uint64_t dataSize, bool allocate = true);
  // The fields of `header` that follow from a data size of `dataSize` bytes.
  static void SetDataSize(TWaveHeader& header, uint64_t dataSize);
  // The common frame of a conversion: the new image, `loop(steps)` filling its data from the old
  // one through `steps(kernel, count, scale, divisor)`, silence in whatever it leaves unwritten,
  // the final report, and the new image in place of the old (or the old one rewritten, where
  // nothing keeps it and the result fits in it).
  template <class Loop>
  void RunConversion(TWaveHeader header, uint64_t dataSize, Loop&& loop);
  void UpdateLayout();
  template <class T>
  static T Load(const uint8_t* p) {
    T code;
    std::memcpy(&code, p, sizeof code);
    return code;
  }
  template <class T>
  static void Store(uint8_t* p, T code) {
    std::memcpy(p, &code, sizeof code);
  }
  void StopIfPlaying();
  uint8_t* SampleData() { return image_.size() > kWaveHeaderSize ? image_.data() + kWaveHeaderSize : nullptr; }

  std::string fileName_;
  uint32_t promisedDataBytes_ = 0;
  uint32_t presentDataBytes_ = 0;
  TWaveHeader header_{};
  std::vector<uint8_t> image_;

  // Derived from header_ whenever it changes: the sample layout.
  uint32_t frames_ = 0;
  uint32_t frameBytes_ = 0;
  uint32_t rightOffset_ = 0;
  SampleKind kind_ = SampleKind::Byte;

  bool keepReplaced_ = false;
  std::vector<uint8_t> replaced_;
  TWaveHeader replacedHeader_{};

  ISystemSoundPlayer* player_ = nullptr;
  bool handedToPlayer_ = false;
};
