#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "state/progress.h"

struct Session;

inline constexpr uint32_t kMinResampleRate = 8000;
inline constexpr uint32_t kMaxResampleRate = 192000;

// The rate as typed: a whole number (CommandError otherwise) from 8000 to 192000 Hz (InputRefused
// otherwise).
uint32_t ParseResampleRate(const std::string& rateText);

// Round(frames × to / from), ties to even.
int64_t ResampledFrames(int64_t frames, uint32_t from, uint32_t to);

// Interleaved frames of `channels` channels: `read(begin, count, values)` gives input frames,
// `write(begin, count, values)` takes output frames.
using FrameReader = std::function<void(int64_t begin, int64_t count, double* values)>;
using FrameWriter = std::function<void(int64_t begin, int64_t count, const double* values)>;

// `inFrames` frames at `from` Hz become `outFrames` at `to` Hz through libsoxr's very high quality
// (about 175 dB of precision, a pass band flat to 91 % of the lower rate's half), in double
// precision; output past what the resampler gives is 0. The gauge follows the input.
void ResampleFrames(uint32_t from, uint32_t to, int channels, int64_t inFrames, int64_t outFrames,
                    const FrameReader& read, const FrameWriter& write, Progress& progress);

// The resample command whole: the whole sound to the rate as typed, written through the sample
// mapping, its frame count ResampledFrames. As the rate conversions, it replaces the image only
// at the end, scales the view's end with the frames and ends with everything selected. A result
// too large to hold is refused before anything changes.
void ResampleSound(Session& session, Progress& progress, const std::string& rateText);
