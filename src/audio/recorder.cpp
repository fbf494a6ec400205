#include "audio/recorder.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "audio/audio_component.h"
#include "audio/recording_file.h"
#include "wave/message_path.h"
#include "wave/wave_header.h"

namespace {

// The bytes a stream holds from its start; the stream is left at its start.
uint64_t StreamSize(std::istream& stream) {
  stream.clear();
  stream.seekg(0, std::ios::end);
  const auto size = static_cast<uint64_t>(std::max<std::streamoff>(0, stream.tellg()));
  stream.seekg(0);
  return size;
}

}  // namespace

TRecorder::TRecorder(TAudio& owner) : TAudioSettings(owner) {}

// A file that Stop finished is left as it is: its clock may be gone by now.
TRecorder::~TRecorder() {
  if (RecordingToFile && file_) file_->Finish();
}

std::unique_ptr<RecordingFile> TRecorder::TakeFile() {
  if (RecordingToFile) return nullptr;
  return std::move(file_);
}

uint64_t TRecorder::RecordedBytes() const {
  const RecordingFile* file = file_.get();
  return file ? file->Size() : 0;
}

void TRecorder::SetSplitChannels(bool value) {
  const bool split = channels_ == TChannels::Stereo && value;
  if (split == splitChannels_ || Busy()) return;
  splitChannels_ = split;
}

void TRecorder::ReportError(int code, const std::string& message) {
  const std::string text = Owner.WaveIn().ErrorText(code);
  Owner.ErrorMessage = text.empty() ? message : message + " " + text;
}

uint64_t TRecorder::DroppedFrames() const { return Owner.WaveIn().DroppedFrames(); }

std::chrono::steady_clock::time_point TRecorder::LastDelivery() const {
  return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(lastDelivery_.load()));
}

bool TRecorder::Open() {
  if (IsOpen) return true;
  ++openings_;
  // Before the device is asked: an open that the sound system never answers is silence too.
  lastDelivery_ = std::chrono::steady_clock::now().time_since_epoch().count();
  // Before the device runs, so that nothing measures meanwhile.
  Meter.Start(FormatOf(bitsPerSample_).Kind, channels_ == TChannels::Stereo ? 2 : 1, sampleRate_);
  AddIndex = 0;
  DoneIndex = 0;
  if (!WaveFormat) {
    // Without a buffer set there is nothing to record into (no device when the component was
    // made, or a format refused since).
    Owner.ErrorMessage = "Could not open the input device for recording:  the recorder has no buffers";
    return false;
  }
  const int opened = Owner.WaveIn().Open(Owner.AudioDeviceID(), *WaveFormat,
                                         [this](uint32_t message, WaveHeader* header) { WaveInCallback(message, header); });
  if (opened != 0) {
    Close();
    ReportError(opened, "Could not open the input device for recording: ");
    return false;
  }
  IsOpen = true;
  for (int i = 0; i < kAudioBuffers; ++i) {
    *Headers[i] = WaveHeader{};
    Headers[i]->Data = Buffers[i].get();
    Headers[i]->BufferLength = BufferSize;
  }
  for (int i = 0; i < kAudioBuffers; ++i) {
    if (const int prepared = Owner.WaveIn().PrepareHeader(*Headers[i]); prepared != 0) {
      Close();
      ReportError(prepared, "Error preparing header for recording: ");
      return false;
    }
  }
  if (!AddNextBuffer()) {
    Owner.ErrorMessage = "Error adding next input buffer";
    return false;
  }
  return true;
}

bool TRecorder::Start() {
  if (!Open()) return false;
  if (const int started = Owner.WaveIn().Start(); started != 0) {
    ReportError(started, "Error starting wave record: ");
    Close();
    return false;
  }
  for (int i = 1; i < kAudioBuffers; ++i) {
    if (!AddNextBuffer()) {
      Owner.ErrorMessage = "Error adding next input buffer";
      return false;
    }
  }
  return true;
}

bool TRecorder::AddNextBuffer() {
  const int index = AddIndex;
  if (const int added = Owner.WaveIn().AddBuffer(*Headers[index]); added != 0) {
    Stop();
    ReportError(added, "Error adding input buffer");
    return false;
  }
  AddIndex = (index + 1) % kAudioBuffers;
  return true;
}

bool TRecorder::CheckTrigger(const uint8_t* data, uint16_t count) {
  if (Triggered || count == 0) return Triggered;
  const auto level = static_cast<int16_t>(TrigLevel.load());
  if (bitsPerSample_ == TBPS::_8) {
    for (uint16_t i = 0; i < count && !Triggered; ++i) {
      if (static_cast<int16_t>(data[i]) >= level) Triggered = true;
    }
  } else {
    // A 24-bit sample is weighed by its upper 16 bits, on the 16-bit scale of the level.
    const int sampleBytes = BitsOf(bitsPerSample_) / 8;
    for (uint16_t i = 0; i + sampleBytes <= count && !Triggered; i += sampleBytes) {
      int16_t sample;
      std::memcpy(&sample, data + i + sampleBytes - 2, sizeof sample);
      if (sample >= level) Triggered = true;
    }
  }
  return Triggered;
}

// Left samples move to the front of the same buffer, each written at or before where it was read.
void TRecorder::SplitBuffer(uint8_t*& left, uint8_t*& right, uint16_t& size) {
  if (size == 0) return;
  size /= 2;
  const int sampleBytes = BitsOf(bitsPerSample_) / 8;
  const int frames = size / sampleBytes;
  for (int k = 0; k < frames; ++k) {
    std::memmove(right + k * sampleBytes, left + (2 * k + 1) * sampleBytes, sampleBytes);
    std::memmove(left + k * sampleBytes, left + 2 * k * sampleBytes, sampleBytes);
  }
}

void TRecorder::WaveInCallback(uint32_t message, WaveHeader*) {
  if (message == kWaveInOpened) {
    Active = true;
    return;
  }
  if (message == kWaveInClosed) {
    Active = false;
    return;
  }
  if (message != kWaveInData || !Active) return;
  const int done = DoneIndex % kAudioBuffers;
  uint8_t* left = Buffers[done].get();
  uint8_t* right = RightBuffers[done].get();
  const auto recorded = static_cast<uint16_t>(Headers[done]->BytesRecorded);
  uint16_t size = recorded;
  // Here, beside the file, and never in the device's real-time callback, which only copies.
  Meter.Take(left, recorded);
  if (CheckTrigger(left, size)) {
    if (RecordingToFile && file_) {
      file_->Append(left, size);
      file_->CheckEverySecond();
      // Capturing on into a file that takes nothing more would only lose sound silently.
      if (file_->Ended()) {
        QMetaObject::invokeMethod(
            &window_,
            [this, opening = openings_.load()] {
              if (IsOpen && opening == openings_) Stop();
            },
            Qt::QueuedConnection);
      }
    }
    if (Owner.OnRecord) {
      if (splitChannels_) {
        SplitBuffer(left, right, size);
        Owner.OnRecord(*this, left, right, size);
      } else {
        Owner.OnRecord(*this, left, nullptr, size);
      }
    }
  }
  // A buffer that came back empty is neither counted nor queued again.
  if (recorded > 0) {
    lastDelivery_ = std::chrono::steady_clock::now().time_since_epoch().count();
    // A re-queue still waiting when the recording stops must not reach the next one, which
    // has queued its buffers afresh.
    QMetaObject::invokeMethod(
        &window_,
        [this, opening = openings_.load()] {
          if (IsOpen && opening == openings_) AddNextBuffer();
        },
        Qt::QueuedConnection);
    DoneIndex = (done + 1) % kAudioBuffers;
  }
}

bool TRecorder::Close() {
  if (!IsOpen) {
    Owner.ErrorMessage = "Recorder already closed";
    return true;
  }
  IWaveInput& input = Owner.WaveIn();
  if (input.Reset() != 0) {
    Owner.ErrorMessage = "Error in waveInReset";
    return false;
  }
  for (int i = 0; i < kAudioBuffers; ++i) {
    if (const int unprepared = input.UnprepareHeader(*Headers[i]); unprepared != 0) {
      ReportError(unprepared, "Error in waveInUnprepareHeader");
      return false;
    }
  }
  if (input.Close() != 0) {
    Owner.ErrorMessage = "Error closing input device";
    return false;
  }
  IsOpen = false;
  return true;
}

void TRecorder::FinishFile() {
  if (file_) {
    file_->Finish();
    if (!file_->Failure().empty()) Owner.ErrorMessage = file_->Failure();
  }
  RecordingToFile = false;
}

bool TRecorder::Stop() {
  Active = false;
  const bool closed = Close();
  // A device that failed to close may still be handing a buffer to the file on its own thread:
  // the file stays open until a later Stop closes the device, or until the recorder goes.
  if (closed && RecordingToFile) FinishFile();
  // A late open notification may still be on its way; the message loop lets it through.
  while (Active && QCoreApplication::instance()) QCoreApplication::processEvents();
  return closed;
}

void TRecorder::RecordToFile(const std::string& fileName, std::istream* leftStream, std::istream* rightStream) {
  if (fileName.empty()) {
    RecordingToFile = false;
    return;
  }
  // The device appends to the open file from its own thread; it must not be replaced under it.
  if (IsOpen) throw std::runtime_error("Cannot create file " + PathForMessage(fileName) + " (a recording is running)");
  const uint16_t channels = channels_ == TChannels::Mono ? 1 : 2;
  const uint16_t bits = BitsOf(bitsPerSample_);
  // The canonical header of an empty sound; a device format given for the recording says how its
  // frames are laid out.
  TWaveHeader format = CanonicalWaveHeader(channels, sampleRate_, WaveFormat ? WaveFormat->BitsPerSample : bits, 0);
  if (WaveFormat) {
    format.BlockAlign = WaveFormat->BlockAlign;
    format.BytesPerSec = WaveFormat->AvgBytesPerSec;
  }
  uint8_t header[kWaveHeaderSize];
  WriteWaveHeader(format, header);
  if (RecordingToFile) FinishFile();
  // The last recording's file, with its lock, goes before this one is made: it may be the same.
  file_.reset();
  file_ = RecordingFile::Create(fileName, header, FileClock);
  RecordingToFile = true;
  if (!leftStream) return;

  const uint64_t leftSize = StreamSize(*leftStream);
  std::vector<char> chunk(1000);
  if (rightStream && StreamSize(*rightStream) == leftSize) {
    // Frame by frame through a staging buffer of 1000 bytes, written out whenever it is full.
    const int sampleBytes = bits / 8;
    uint8_t staging[1000];
    size_t staged = 0;
    char sample[2];
    for (uint64_t at = 0; at + sampleBytes <= leftSize; at += sampleBytes) {
      for (std::istream* stream : {leftStream, rightStream}) {
        stream->read(sample, sampleBytes);
        std::memcpy(staging + staged, sample, sampleBytes);
        staged += sampleBytes;
      }
      if (staged == sizeof staging) {
        file_->Append(staging, staged);
        staged = 0;
      }
    }
    if (staged > 0) file_->Append(staging, staged);
  } else {
    while (*leftStream) {
      leftStream->read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      file_->Append(reinterpret_cast<const uint8_t*>(chunk.data()), static_cast<size_t>(leftStream->gcount()));
    }
  }
  FinishFile();
  file_.reset();
}
