#include "audio/platform/portaudio_wave_output.h"

#include "audio/platform/sound_system_watch.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>



PortAudioWaveOutput::PortAudioWaveOutput() : PortAudioWaveDevice(true, kWaveOutDone, kWaveOutClosed) {}

PortAudioWaveOutput::~PortAudioWaveOutput() { Shutdown(false); }

unsigned PortAudioWaveOutput::DeviceCount() { return Devices(); }

std::string PortAudioWaveOutput::DeviceName(int device) { return NameOf(device); }

int PortAudioWaveOutput::Open(int device, const WaveFormatEx& format, WaveOutNotify notify) {
  // The callback fills the device's first buffers too: PortAudio's own priming writes zero
  // bytes, which are not silence for 8-bit samples, and would delay the first buffer written.
  const int result = OpenStream(device, format, std::move(notify), &PortAudioWaveOutput::StreamCallback, this,
                                paPrimeOutputBuffersUsingStreamCallback, kWaveOutOpened);
  // The stream runs only once started, so its state can be set now that it is open.
  if (result == 0) {
    silence_ = format.BitsPerSample == 8 ? 128 : 0;
    played_ = 0;
  }
  return result;
}

int PortAudioWaveOutput::PrepareHeader(WaveHeader& header) { return PrepareBuffer(header); }

int PortAudioWaveOutput::UnprepareHeader(WaveHeader& header) { return UnprepareBuffer(header); }

int PortAudioWaveOutput::Write(WaveHeader& header) {
  uint32_t flagsBefore = 0;
  if (const int error = QueueBuffer(header, flagsBefore); error != 0) return error;
  if (running_) return 0;
  // Queued before the start, so that the stream's first frames are this buffer's. A stopped
  // stream has nothing else queued (Reset handed it all back), so on failure the header is
  // the only one and is taken back as if never written.
  if (const PaError error = CallSoundSystem(Pa_StartStream, stream_); error != paNoError) {
    queued_.Pop();
    HeaderFlags(header).store(flagsBefore & ~kWaveHeaderDone);
    return Failed(error);
  }
  running_ = true;
  return 0;
}

int PortAudioWaveOutput::Reset() { return ResetStream(); }

int PortAudioWaveOutput::Close() { return CloseStream(); }

std::string PortAudioWaveOutput::ErrorText(int code) { return Text(code); }

int PortAudioWaveOutput::StreamCallback(const void*, void* output, unsigned long frames,
                                        const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags,
                                        void* userData) {
  static_cast<PortAudioWaveOutput*>(userData)->Play(static_cast<uint8_t*>(output), frames);
  return paContinue;
}

// Runs on the audio system's real-time thread: copies memory and moves indices, nothing that
// could block or allocate.
void PortAudioWaveOutput::Play(uint8_t* output, unsigned long frames) {
  if (!output) return;
  const size_t frameBytes = frameBytes_;
  while (frames > 0) {
    WaveHeader* header = queued_.Front();
    if (!header) {
      std::memset(output, silence_, frames * frameBytes);
      return;
    }
    // Write refuses buffers below one frame, so every buffer moves the loop on.
    const size_t length = header->BufferLength / frameBytes * frameBytes;
    const size_t count = std::min<size_t>(frames, (length - std::min(played_, length)) / frameBytes);
    std::memcpy(output, header->Data + played_, count * frameBytes);
    played_ += count * frameBytes;
    output += count * frameBytes;
    frames -= count;
    if (played_ >= length) {
      played_ = 0;
      HandBack(header);
      queued_.Pop();
    }
  }
}

void PortAudioWaveOutput::Stopped() {
  // The next buffer written plays from its start.
  played_ = 0;
}

