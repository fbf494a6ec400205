#pragma once

#include <portaudio.h>

#include "wave/sample_codes.h"

// PortAudio's own name for each sample format's samples, which it takes as they are stored.
inline PaSampleFormat PortAudioFormatOf(SampleKind kind) {
  switch (kind) {
    case SampleKind::Byte: return paUInt8;
    case SampleKind::Word: return paInt16;
    case SampleKind::Triple: return paInt24;
    case SampleKind::Long: return paInt32;
    case SampleKind::Float: return paFloat32;
  }
  return paInt16;
}
