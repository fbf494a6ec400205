#include "audio/player.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <chrono>

#include "audio/audio_component.h"
#include "audio/platform/wave_output.h"

namespace {
// Far beyond what a device takes to stop and close, even on a loaded machine.
constexpr auto kCloseWait = std::chrono::seconds(10);
}  // namespace

TPlayer::TPlayer(TAudio& owner) : TAudioSettings(owner) {}

TPlayer::~TPlayer() = default;

void TPlayer::ReportError(int code, const std::string& message) {
  const std::string text = Owner.WaveOut().ErrorText(code);
  Owner.ErrorMessage = text.empty() ? message : message + " " + text;
}

bool TPlayer::Play(std::unique_ptr<std::istream> stream, uint16_t loopCount, TChannels channels, TBPS bitsPerSample,
                   uint16_t sampleRate) {
  if (IsOpen) {
    Owner.ErrorMessage = "Player already open";
    return false;
  }
  if (channels != channels_ || bitsPerSample != bitsPerSample_ || sampleRate != sampleRate_) {
    if (!RestoreFormat) {
      SavedChannels = channels_;
      SavedBitsPerSample = bitsPerSample_;
      SavedSampleRate = sampleRate_;
    }
    RestoreFormat = true;
    Owner.SetChannels(*this, channels);
    Owner.SetBitsPerSample(*this, bitsPerSample);
    Owner.SetSampleRate(*this, sampleRate);
  }
  if (Play(std::move(stream), loopCount)) return true;
  RestoreSavedFormat();
  return false;
}

bool TPlayer::Play(std::unique_ptr<std::istream> stream, uint16_t loopCount) {
  if (IsOpen) {
    Owner.ErrorMessage = "Player already open";
    return false;
  }
  if (!WaveFormat) {
    Owner.ErrorMessage = "Could not open the output device for playing:  the player has no buffers";
    return false;
  }
  TAudio& owner = Owner;
  const int opened = Owner.WaveOut().Open(Owner.AudioDeviceID(), *WaveFormat, [&owner](uint32_t message, WaveHeader*) {
    owner.PostWaveOutMessage(message);
  });
  if (opened != 0) {
    ReportError(opened, "Could not open the output device for playing: ");
    return false;
  }
  IsOpen = true;
  for (int i = 0; i < kAudioBuffers; ++i) {
    *Headers[i] = WaveHeader{};
    Headers[i]->Data = Buffers[i].get();
    Headers[i]->BufferLength = BufferSize;
  }
  AddIndex = 0;
  DoneIndex = 0;
  QueuedCount = 0;
  EndPosted = false;
  PlayStream = std::move(stream);
  PlayPosition = 0;
  LoopCount = loopCount;
  // One buffer stays behind: a ring of four in flight would look empty to the done handler.
  for (int i = 1; i < kAudioBuffers && PlayStream; ++i) {
    if (const int failed = QueueNext(); failed != 0) {
      Abandon();
      ReportError(failed, "");
      return false;
    }
  }
  PostCloseWhenDrained();
  return true;
}

void TPlayer::Abandon() {
  IWaveOutput& output = Owner.WaveOut();
  PlayStream.reset();
  // The buffers the reset hands back find nothing queued and the close already asked for.
  AddIndex = DoneIndex.load();
  EndPosted = true;
  output.Reset();
  for (int i = 0; i < kAudioBuffers; ++i) output.UnprepareHeader(*Headers[i]);
  output.Close();
  IsOpen = false;
}

void TPlayer::WaveOutMessage(uint32_t message) {
  if (message == kWaveOutOpened) {
    Active = true;
    return;
  }
  if (message == kWaveOutClosed) {
    Active = false;
    return;
  }
  if (message != kWaveOutDone || !Active) return;
  if (AddIndex == DoneIndex) {
    if (!EndPosted) {
      EndPosted = true;
      QMetaObject::invokeMethod(&closeWindow_, [this] { ClosePlayer(); }, Qt::QueuedConnection);
    }
    return;
  }
  if (Owner.OnBufferPlayed) Owner.OnBufferPlayed(Owner);
  QMetaObject::invokeMethod(&window_, [this] { RefillBuffer(); }, Qt::QueuedConnection);
  DoneIndex = (DoneIndex + 1) % kAudioBuffers;
  QueuedCount -= 1;
  // The last buffer of a stream that has run out brings no refill that could end it.
  PostCloseWhenDrained();
}

void TPlayer::PostCloseWhenDrained() {
  if (PlayStream || QueuedCount > 0 || EndPosted || !IsOpen) return;
  EndPosted = true;
  QMetaObject::invokeMethod(&closeWindow_, [this] { ClosePlayer(); }, Qt::QueuedConnection);
}

void TPlayer::RefillBuffer() {
  if (!IsOpen || !PlayStream) return;
  EndPosted = false;
  if (const int failed = QueueNext(); failed != 0) {
    ReportError(failed, "");
    // With nothing left at the device, no buffer would come back to go on or to end.
    if (QueuedCount == 0) {
      PlayStream.reset();
      PostCloseWhenDrained();
    }
  }
}

int TPlayer::QueueNext() {
  std::istream& stream = *PlayStream;
  stream.clear();
  const std::streampos remembered = stream.tellg();
  WaveHeader& header = *Headers[AddIndex];
  const auto readFrom = [&](std::streamoff position) {
    stream.clear();
    stream.seekg(position);
    stream.read(reinterpret_cast<char*>(header.Data), BufferSize);
    return static_cast<uint32_t>(stream.gcount());
  };
  uint32_t read = readFrom(PlayPosition);
  if (read == 0 && LoopCount > 0) {
    LoopCount -= 1;
    read = readFrom(0);
  }
  stream.clear();
  PlayPosition = static_cast<int64_t>(stream.tellg());
  stream.seekg(remembered);
  if (read == 0) {
    // The buffers still queued play out; the done handler then asks for the close.
    PlayStream.reset();
    PostCloseWhenDrained();
    return 0;
  }
  header.BufferLength = read;
  header.Flags = 0;
  header.Loops = 0;
  IWaveOutput& output = Owner.WaveOut();
  int result = output.PrepareHeader(header);
  if (result == 0) result = output.Write(header);
  if (result != 0) return result;
  AddIndex = (AddIndex + 1) % kAudioBuffers;
  QueuedCount += 1;
  return 0;
}

void TPlayer::ClosePlayer() {
  if (!IsOpen) {
    Owner.ErrorMessage = "Player already closed";
    return;
  }
  IWaveOutput& output = Owner.WaveOut();
  for (int i = 0; i < kAudioBuffers; ++i) {
    if (const int unprepared = output.UnprepareHeader(*Headers[i]); unprepared != 0) {
      ReportError(unprepared, "Error unpreparing header for playing: ");
      closeFailed_ = true;
      return;
    }
  }
  if (const int closed = output.Close(); closed != 0) {
    ReportError(closed, "Error closing output device: ");
    closeFailed_ = true;
    return;
  }
  closeFailed_ = false;
  IsOpen = false;
  if (!PlayStream) RestoreSavedFormat();
  if (Owner.OnPlayed) Owner.OnPlayed(*this);
}

void TPlayer::RestoreSavedFormat() {
  if (!RestoreFormat) return;
  Owner.SetChannels(*this, SavedChannels);
  Owner.SetSampleRate(*this, SavedSampleRate);
  Owner.SetBitsPerSample(*this, SavedBitsPerSample);
  RestoreFormat = false;
}

void TPlayer::Stop() {
  if (!IsOpen) {
    Owner.ErrorMessage = "Player already closed";
    return;
  }
  if (PlayStream) {
    PlayStream.reset();
    AddIndex = DoneIndex.load();
    Owner.ErrorMessage.clear();
  }
  if (!EndPosted) {
    if (Owner.WaveOut().Reset() != 0) {
      Owner.ErrorMessage = "Error in waveOutReset";
      return;
    }
    // Nothing was with the device, so no buffer comes back to ask for the close.
    if (QueuedCount == 0) PostCloseWhenDrained();
  }
  // Until the device is closed too: its buffers must not go while it may still play them. The
  // close and its notification come through the message loop, so the wait sleeps until they
  // arrive, and gives up on a device that never closes rather than hang the program.
  if (!QCoreApplication::instance()) return;
  bool late = false;
  QTimer bound;
  bound.setSingleShot(true);
  QObject::connect(&bound, &QTimer::timeout, [&late] { late = true; });
  bound.start(kCloseWait);
  while ((Active || IsOpen) && !closeFailed_ && !late) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  if (late) Owner.ErrorMessage = "The output device did not close";
}
