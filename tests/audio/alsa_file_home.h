#pragma once

#include <cstdint>
#include <string>

// The test process's sound system: HOME points at a folder whose .asoundrc routes the default
// playback device through ALSA's file plugin over the null device, so PortAudio and ALSA run for
// real without a sound card. Each stream writes its raw samples to a file named after its format
// (see PlaybackFile); a stream that was never opened leaves no file.
//
// The folder is made, and HOME set, before the first test runs: ALSA reads its configuration
// once per process, at its first use.
const std::string& SoundHome();
std::string PlaybackFile(uint32_t rate, int channels, int bits);
