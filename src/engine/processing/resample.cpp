#include "processing/resample.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "processing/centered_frames.h"
#include "processing/engine_frame.h"
#include "processing/errors.h"
#include "processing/number_text.h"
#include "processing/non_numbers.h"
#include "state/session.h"
#include "wave/float_bounds.h"
#include "wave/image_memory.h"

namespace {

// Input frames per call: a multiple of 100, where the gauge moves.
constexpr int64_t kResampleFrames = 8000;
// Output frames per call at most.
constexpr int64_t kMostOutFrames = 32768;

struct ResamplerDeleter {
  void operator()(soxr* resampler) const { soxr_delete(resampler); }
};
using Resampler = std::unique_ptr<soxr, ResamplerDeleter>;

[[noreturn]] void ResamplerFailed(const char* error) {
  throw std::runtime_error(std::string("The resampler failed (") + error + ")");
}

int32_t ScaledViewEnd(int32_t viewEnd, uint32_t from, uint32_t to) {
  const double scaled = std::nearbyint(static_cast<double>(viewEnd) * to / from);
  return static_cast<int32_t>(std::clamp<double>(scaled, std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
}

// The frames of `wave` resampled to `frames` frames at the rate `to` over its own image: an output
// frame is written only once the input frame in its place has been read (a lower rate makes
// fewer frames than it reads, so little ever waits), and the image is then cut to the new size.
void ResampleInPlace(TWave& wave, const CenteredScale& scale, uint32_t from, uint32_t to, int64_t frames,
                     const TWaveHeader& header, Progress& progress) {
  const int channels = scale.Channels;
  int64_t read = 0, written = 0;
  std::vector<double> waiting;
  ResampleFrames(
      from, to, channels, wave.SampleCount(), frames,
      [&](int64_t begin, int64_t count, double* values) {
        ReadCenteredFrames(wave, scale, begin, count, values);
        read = begin + count;
      },
      [&](int64_t, int64_t count, const double* values) {
        waiting.insert(waiting.end(), values, values + count * channels);
        const int64_t now = std::min<int64_t>(read - written, static_cast<int64_t>(waiting.size()) / channels);
        if (now <= 0) return;
        WriteCenteredFrames(wave, scale, written, now, waiting.data());
        waiting.erase(waiting.begin(), waiting.begin() + now * channels);
        written += now;
      },
      progress);
  std::vector<uint8_t> image;
  TWaveHeader old{};
  wave.SwapImage(image, old);
  image.resize(kWaveHeaderSize + header.DataSize);
  WriteWaveHeader(header, image.data());
  ReleaseSpareCapacity(image);
  wave.LoadFromImage(wave.FileName(), std::move(image));
}

}  // namespace

uint32_t ParseResampleRate(const std::string& rateText) {
  const int32_t rate = StrToInt(rateText);
  if (rate < static_cast<int32_t>(kMinResampleRate) || rate > static_cast<int32_t>(kMaxResampleRate))
    throw InputRefused("The sample rate must lie between 8000 and 192000 Hz");
  return static_cast<uint32_t>(rate);
}

int64_t ResampledFrames(int64_t frames, uint32_t from, uint32_t to) {
  // Exact: below 2^31 frames times at most 192000 Hz.
  const auto product = static_cast<uint64_t>(frames) * to;
  auto quotient = static_cast<int64_t>(product / from);
  const uint64_t twice = 2 * (product % from);
  if (twice > from || (twice == from && quotient % 2 != 0)) ++quotient;
  return quotient;
}

namespace {

// libsoxr's work per input frame grows with the ratio of a large reduction of the rate, so one
// beyond this is made in equal steps of at most this ratio. Every step's rate lies above the
// target's, so each passes the target's whole band and filters out what the next would fold back.
constexpr double kMostStepRatio = 1024.0;

// The resamplers of the steps, each feeding the next, and the room for each one's output.
class ResamplerChain {
 public:
  ResamplerChain(uint32_t from, uint32_t to, int channels) : channels_(channels) {
    const double ratio = static_cast<double>(from) / to;
    const int steps = ratio > kMostStepRatio ? static_cast<int>(std::ceil(std::log(ratio) / std::log(kMostStepRatio))) : 1;
    const double step = std::pow(ratio, 1.0 / steps);
    double rate = from;
    for (int k = 0; k < steps; ++k) {
      const double next = k + 1 == steps ? to : rate / step;
      stages_.push_back(Stage{Create(rate, next, channels), {}});
      // The resampler takes only as much input as the room for its output allows, so a bounded
      // room bounds the memory whatever the ratio.
      const int64_t room = std::min<int64_t>(
          static_cast<int64_t>(std::ceil(static_cast<double>(kResampleFrames) * next / rate)) + 64, kMostOutFrames);
      stages_.back().Out.resize(static_cast<size_t>(room * channels));
      rate = next;
    }
  }

  // `count` frames into the first step; `take(values, frames)` gets what the last one gives.
  template <class Take>
  void Feed(const double* in, size_t count, Take&& take) {
    Feed(0, in, count, take);
  }

  // The end of the input: what each step's filter still holds comes out and goes on.
  template <class Take>
  void Flush(Take&& take) {
    for (size_t k = 0; k < stages_.size(); ++k) {
      Stage& stage = stages_[k];
      for (;;) {
        size_t outDone = 0;
        Check(soxr_process(stage.Filter.get(), nullptr, 0, nullptr, stage.Out.data(), Room(stage), &outDone));
        if (outDone == 0) break;
        Pass(k, outDone, take);
      }
    }
  }

 private:
  struct Stage {
    Resampler Filter;
    std::vector<double> Out;
  };

  static Resampler Create(double from, double to, int channels) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    // One thread: the editor's commands run one at a time, and the time of the whole machine is
    // what a long resample should spend least of.
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    Resampler resampler(soxr_create(from, to, static_cast<unsigned>(channels), &error, &io, &quality, &runtime));
    if (error != nullptr) ResamplerFailed(error);
    if (!resampler) ResamplerFailed("no memory");
    return resampler;
  }

  static void Check(soxr_error_t error) {
    if (error != nullptr) ResamplerFailed(error);
  }
  size_t Room(const Stage& stage) const { return stage.Out.size() / static_cast<size_t>(channels_); }

  template <class Take>
  void Feed(size_t k, const double* in, size_t count, Take& take) {
    Stage& stage = stages_[k];
    for (size_t used = 0; used < count;) {
      size_t inDone = 0, outDone = 0;
      Check(soxr_process(stage.Filter.get(), in + used * channels_, count - used, &inDone, stage.Out.data(),
                         Room(stage), &outDone));
      // Given room for its output the resampler takes all its input; a call that moves nothing
      // would otherwise be made for ever.
      if (inDone == 0 && outDone == 0) ResamplerFailed("it takes no more input");
      used += inDone;
      Pass(k, outDone, take);
    }
  }

  template <class Take>
  void Pass(size_t k, size_t frames, Take& take) {
    if (frames == 0) return;
    if (k + 1 < stages_.size()) {
      Feed(k + 1, stages_[k].Out.data(), frames, take);
    } else {
      take(stages_[k].Out.data(), frames);
    }
  }

  int channels_;
  std::vector<Stage> stages_;
};

}  // namespace

void ResampleFrames(uint32_t from, uint32_t to, int channels, int64_t inFrames, int64_t outFrames,
                    const FrameReader& read, const FrameWriter& write, Progress& progress) {
  ResamplerChain chain(from, to, channels);
  std::vector<double> in(static_cast<size_t>(kResampleFrames * channels));
  WalkGauge gauge(progress, 0, inFrames - 1, PassShare::Whole);
  int64_t written = 0;
  // Output past the frames asked for is left out.
  const auto take = [&](const double* values, size_t done) {
    const int64_t count = std::min<int64_t>(static_cast<int64_t>(done), outFrames - written);
    if (count <= 0) return;
    write(written, count, values);
    written += count;
  };
  for (int64_t begin = 0; begin < inFrames && written < outFrames; begin += kResampleFrames) {
    gauge.At(begin);
    const auto count = static_cast<size_t>(std::min(kResampleFrames, inFrames - begin));
    read(begin, static_cast<int64_t>(count), in.data());
    chain.Feed(in.data(), count, take);
  }
  if (written < outFrames) chain.Flush(take);
  if (written < outFrames) {
    std::fill(in.begin(), in.end(), 0.0);
    while (written < outFrames) take(in.data(), static_cast<size_t>(kResampleFrames));
  }
  progress.SetProgress(0);
}

void ResampleSound(Session& session, Progress& progress, const std::string& rateText) {
  const uint32_t to = ParseResampleRate(rateText);
  TWave& wave = session.Wave;
  const uint32_t from = wave.SampleRate();
  const int64_t frames = ResampledFrames(wave.SampleCount(), from, to);
  const uint64_t dataSize = static_cast<uint64_t>(frames) * wave.FrameBytes();
  CheckConvertedDataSize(dataSize, wave.FrameBytes());
  RefuseNonNumbers(wave, "resample");

  // The new image keeps every field of the old header but those of the rate and the size.
  TWaveHeader header = wave.Header();
  header.SampleRate = to;
  header.BytesPerSec = to * header.BlockAlign;
  header.DataSize = static_cast<uint32_t>(dataSize);
  header.RiffSize = header.DataSize + 36;
  const CenteredScale scale = CenteredScaleOf(wave);
  // With no undo to hand the old image to, a lowered rate writes its frames over the old ones
  // behind the reading: the sound is not held twice. Raised rates, whose output would overtake
  // the reading, and floats so far beyond full scale that the writing might refuse them halfway,
  // take a new image.
  const uint8_t* data = wave.Image().data() + kWaveHeaderSize;
  const size_t samples = size_t{wave.SampleCount()} * wave.Channels();
  if (!wave.KeepsReplacedImage() && to < from && (!wave.FloatSamples() || FloatsWithin(data, samples, 32768.0f))) {
    ResampleInPlace(wave, scale, from, to, frames, header, progress);
  } else {
    std::vector<uint8_t> image;
    try {
      image.resize(kWaveHeaderSize + dataSize);
    } catch (const std::bad_alloc&) {
      throw std::runtime_error("Out of memory while expanding memory stream");
    }
    WriteWaveHeader(header, image.data());
    TWave resampled;
    resampled.LoadFromImage(wave.FileName(), std::move(image));
    ResampleFrames(
        from, to, scale.Channels, wave.SampleCount(), frames,
        [&](int64_t begin, int64_t count, double* values) { ReadCenteredFrames(wave, scale, begin, count, values); },
        [&](int64_t begin, int64_t count, const double* values) {
          WriteCenteredFrames(resampled, scale, begin, count, values);
        },
        progress);
    // Handed over whole, as a conversion's image is, so that undo keeps the old one.
    std::vector<uint8_t> result;
    TWaveHeader resultHeader{};
    resampled.SwapImage(result, resultHeader);
    wave.LoadFromImage(wave.FileName(), std::move(result));
  }
  session.View.ViewEnd = ScaledViewEnd(session.View.ViewEnd, from, to);
  SelectAll(session.View, wave);
}
