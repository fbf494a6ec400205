// The sound control: Play hands the document to the system's sound player and runs the gauge
// over its duration, with a cursor in the strips at the frame being heard; Rec records from the sound card into the scratch file, counting seconds in
// the title, and Stop opens what was recorded as the document.

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>

#include "gui/widgets/level_meter_widget.h"
#include "gui/main_form.h"
#include "gui/dialogs/rec_options_form.h"
#include "gui/pages/main_form_file.h"
#include "audio/recorder.h"
#include "audio/platform/sound_system_watch.h"
#include "audio/recording_file.h"
#include "audio/recording_session.h"
#include "processing/document_commands.h"
#include "processing/number_text.h"
#include "gui/widgets/wave_strip_widget.h"

namespace {

// The gauge crosses the sound in twenty steps of 5 %: a step every fiftieth of its duration.
constexpr int kGaugeStep = 5;
constexpr double kStepMillisecondsPerSecond = 50.0;

}  // namespace

// A new recording takes the document's place: a changed one is settled first.
void TMainForm::RecBitBtnClick() {
  Guarded([this] {
    if (FileTabSheet->SettleChanges()) RecOptionsForm->ShowCentredOn(*this);
  });
}

void TMainForm::PlayBitBtnClick() {
  if (session_.Wave.Loaded()) PlayFrames(0, int64_t{session_.Wave.SampleCount()} - 1);
}

void TMainForm::PlaySelBitBtnClick() {
  if (session_.Wave.Loaded()) PlayFrames(session_.View.Sel.SelStart, session_.View.Sel.SelEnd);
}

void TMainForm::PlayFrames(int64_t first, int64_t last) {
  Guarded([&] {
    const int64_t frames = session_.Wave.SampleCount();
    first = std::max<int64_t>(first, 0);
    last = std::min(last, frames - 1);
    // A selection wholly past the sound has nothing to play; an empty sound plays as it did.
    if (last < first && frames > 0) return;
    const double seconds = static_cast<double>(std::max<int64_t>(last - first + 1, 0)) / session_.Wave.SampleRate();
    // A long sound at a low rate would pass the timer's int milliseconds.
    PlayTimer->setInterval(static_cast<int>(std::min(std::trunc(seconds * kStepMillisecondsPerSecond), double{INT_MAX})));
    playFirst_ = first;
    playLast_ = last;
    playClock_.start();
    if (!session_.Wave.PlayFrames(first, last) && !SoundSystemAnswers()) throw std::runtime_error(kSoundSystemSilentText);
    // A sound shorter than a fiftieth of a second gives no interval at all. A Qt timer of 0 ms
    // would fire at every turn of the event loop; such a sound stays playing until Stop.
    if (PlayTimer->interval() > 0) PlayTimer->start();
    CursorTimer->start();
    MainPageControl->setEnabled(false);
    PlayBitBtn->setEnabled(false);
    PlaySelBitBtn->setEnabled(false);
    StopBitBtn->setEnabled(true);
    ReloadButton->setEnabled(false);
    ShowCommandState();
  });
}

// The end of playback is taken from the gauge alone; the player is not asked.
void TMainForm::PlayTimerTimer() {
  Gauge->SetProgress(Gauge->value() + kGaugeStep);
  if (Gauge->value() >= Gauge->maximum()) ShowTransportIdle();
}

// The cursor follows the player's own position where it has a true one, the time otherwise.
void TMainForm::CursorTimerTimer() {
  const int64_t frame = PlayCursorFrame(session_.Wave.PlayingFrame(), static_cast<double>(playClock_.nsecsElapsed()) / 1e9,
                                        session_.Wave.SampleRate(), playFirst_, playLast_);
  LPaintBox->ShowCursor(frame);
  RPaintBox->ShowCursor(frame);
}

void TMainForm::ShowTransportIdle() {
  PlayTimer->stop();
  CursorTimer->stop();
  LPaintBox->ShowCursor(-1);
  RPaintBox->ShowCursor(-1);
  Gauge->SetProgress(0);
  MainPageControl->setEnabled(true);
  PlayBitBtn->setEnabled(true);
  PlaySelBitBtn->setEnabled(true);
  StopBitBtn->setEnabled(false);
  ReloadButton->setEnabled(true);
  ShowCommandState();
}

void TMainForm::StopBitBtnClick() {
  Guarded([this] {
    ShowTransportIdle();
    session_.Wave.Stop();
    if (!recording_) return;
    RecordingOutcome outcome = StopRecording(Audio);
    RecordTimer->stop();
    MeterTimer->stop();
    LevelMeterBox->Refresh();
    recordSeconds_ = 0;
    recording_ = false;
    RecBitBtn->setEnabled(true);
    const bool hasSound = outcome.Image.size() > kWaveHeaderSize;
    if (!outcome.Image.empty()) {
      OpenDocumentImage(session_, ScratchFileName(), std::move(outcome.Image));
      // Until it is saved, a recording lives only in the scratch file, which the next one overwrites.
      session_.Changes.Unsaved();
      ShowNewDocument();
    } else {
      // A device given up on still holds the file: the document stays as it was, and says so.
      ShowDocumentCaption();
    }
    ReportRecordingTrouble(outcome, hasSound);
  });
}

// A recording cut short by its file says why, whatever it holds. A device failure is told only
// for an empty recording, and drops only for one with sound: the device counts them from its last
// successful opening, which for a failed one was an earlier recording.
void TMainForm::ReportRecordingTrouble(const RecordingOutcome& outcome, bool hasSound) {
  if (!SoundSystemAnswers()) {
    prompts_.ShowError(kSoundSystemSilentText);
    return;
  }
  if (!outcome.FileError.empty()) prompts_.ShowError(QString::fromStdString(outcome.FileError));
  if (!outcome.Notice.empty()) prompts_.ShowInformation(QString::fromStdString(outcome.Notice));
  if (!hasSound && !outcome.DeviceError.empty()) {
    prompts_.ShowInformation(QString::fromStdString(outcome.DeviceError));
    return;
  }
  if (outcome.DroppedFrames > 0) {
    prompts_.ShowInformation(
        tr("The recording misses %1 frames: the sound card delivered them while no buffer was free.")
            .arg(outcome.DroppedFrames));
  }
}

void TMainForm::RecOptionsFormOK() {
  Guarded([this] {
    PlayBitBtn->setEnabled(false);
    PlaySelBitBtn->setEnabled(false);
    StopBitBtn->setEnabled(true);
    ShowCommandState();
    // "Cannot create file …" and "Another recording is using …" end OK here, with the dialog
    // still open and nothing recording. A device that cannot be opened still makes a recording,
    // an empty one, whose Stop says why.
    StartRecording(Audio, ScratchFileName(),
                   {RecOptionsForm->SampleRate(), RecOptionsForm->BitsPerSample(), RecOptionsForm->Channels()});
    recording_ = true;
    LevelMeterBox->Reset();
    for (QLabel* title : {Label9, Label10, Label11}) title->hide();
    LevelMeterBox->show();
    MeterTimer->start();
    // The device may be open now: a second OK must neither change its format nor re-create the
    // file it writes.
    RecBitBtn->setEnabled(false);
    RecordTimer->start();
    RecOptionsForm->close();
    // An open that the sound system did not answer has taken the whole bound already.
    StopRecordingThatEnded();
  });
}

bool TMainForm::OfferInterruptedRecording() {
  bool opened = false;
  Guarded([&] {
    std::vector<uint8_t> image = InterruptedRecording(ScratchFileName());
    if (image.empty()) return;
    const TWaveHeader header = ReadWaveHeader(image.data());
    const double seconds = static_cast<double>(header.DataSize / header.BlockAlign) / header.SampleRate;
    if (!prompts_.AskYesNo(tr("A recording was interrupted: %1 s were kept. Open it?")
                               .arg(QString::fromStdString(FormatRounded(seconds, 2)))))
      return;
    OpenDocumentImage(session_, ScratchFileName(), std::move(image));
    session_.Changes.Unsaved();
    ShowNewDocument();
    opened = true;
  });
  return opened;
}

// Rather than a title that goes on counting seconds that are not recorded, Stop at once opens
// what the recording holds and says why.
bool TMainForm::StopRecordingThatEnded() {
  const TRecorder& recorder = Audio.Recorder();
  if (recorder.FileEnded()) {
    StopBitBtnClick();
    return true;
  }
  // A device that has handed back nothing for as long as any call to the sound system may take
  // counts as not answering, as such a call would.
  if (std::chrono::steady_clock::now() - recorder.LastDelivery() < kSoundSystemBound) return false;
  const bool capturing = recorder.IsOpen;
  StopBitBtnClick();
  // A stop that answered leaves the silence untold; a device that never opened has said why.
  if (capturing && SoundSystemAnswers()) prompts_.ShowError(kSoundSystemSilentText);
  return true;
}

void TMainForm::RecordTimerTimer() {
  if (StopRecordingThatEnded()) return;
  ++recordSeconds_;
  setWindowTitle(tr("Recording.. time: %1 S").arg(recordSeconds_));
  RecBitBtn->setEnabled(false);
}
