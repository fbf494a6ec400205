#pragma once

#include <QElapsedTimer>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <exception>
#include <span>
#include <string>

#include "gui/widgets/gauge.h"
#include "gui/prompts.h"
#include "audio/audio_component.h"
#include "audio/recording_session.h"
#include "processing/command_registry.h"
#include "processing/errors.h"
#include "processing/undo_commands.h"
#include "state/session.h"

class ISystemSoundPlayer;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMimeData;
class QPushButton;
class QScrollBar;
class QWheelEvent;
class QTabWidget;
class QTimer;
class TAmplitudePage;
class TEchoRepeatForm;
class TLoudnessForm;
class TEditPage;
class TEffectsPage;
class TFilePage;
class TFiltersPage;
class TNoisePage;
class TRecOptionsForm;
class TResampleForm;
class TSignalGeneratorForm;
class TSpectrumForm;
class TViewPage;
class TWallFilterForm;
class TWaveDataPage;
class TLevelMeterWidget;
class TTimeRuler;
class TWaveStrip;

// The editor's main window: the pages of commands, the two strips, the gauge and the three
// information groups, and the session every command works on. Each page is its own widget with
// its controls and handlers (main_form_<page>.cpp); the window itself holds what is below the
// pages (main_form_bottom.cpp) and what every command shares.
class TMainForm : public QWidget {
  Q_OBJECT

 public:
  // `arguments` is the command line with the program's own path first; the second, when
  // present, names the wave opened at start. Rec records from `card`, whose devices must
  // outlive the window; Play hands the sound to `player` (none: no sound).
  TMainForm(Prompts& prompts, const QStringList& arguments, const SoundCard& card,
            ISystemSoundPlayer* player = nullptr, QWidget* parent = nullptr);

  Session& Document() { return session_; }
  TWave& Wave() { return session_.Wave; }
  ViewState& View() { return session_.View; }
  Prompts& Ask() { return prompts_; }
  bool Recording() const { return recording_; }
  int32_t RecordSeconds() const { return recordSeconds_; }
  const std::string& ProgramDir() const { return session_.Program.ProgramDir; }
  std::string ScratchFileName() const { return ::ScratchFileName(session_.Program); }

  // Brings every display up to date with the document, the selection and the channel flags.
  void RefreshAll();
  void ShowWaveInfo();
  void ShowSelection();
  void SelectAll();
  void DrawWaves();
  void ClearWaves();

  // What follows a command that put a new document in place: caption, controls, displays.
  void ShowNewDocument();
  void OpenWave(const std::string& fileName);
  void WaveProgress(TWave& sender, int8_t progress);

  // A command on the document: nothing without one; otherwise the action, then the refresh.
  // An action that fails leaves the window unrefreshed, as the error box takes over.
  // Undo and Redo follow what it left, also when it failed.
  template <class Routine>
  void RunWithDocument(Routine&& routine) {
    ++commandDepth_;
    Guarded([&] {
      if (!session_.Wave.Loaded()) return;
      routine();
      RefreshAll();
    });
    ShowCommandState();
    if (--commandDepth_ == 0) DropInputQueuedMeanwhile();
  }

  // A command that changes the sound, inside RunWithDocument once its questions are answered:
  // `command()` recorded for Undo under `name` as the entry `id` of the command table says, with
  // the arguments `args` that entry takes.
  template <class Command>
  void Recorded(CommandId id, const QString& name, Command&& command, std::span<const std::string> args = {}) {
    UndoRecord record = RecordOf(id, session_, args);
    record.Name = name.toStdString();
    try {
      RunRecorded(session_, record, command);
    } catch (...) {
      SoundChanged(&record);
      throw;
    }
    SoundChanged(&record);
  }
  // What is kept beside the sound follows a change to it: `record` states which frames a command
  // may have changed; none, that the whole sound may be another.
  void SoundChanged(const UndoRecord* record);

  // A processing routine over the selection: `routine(wave, selection, gauge)` on the document,
  // recorded for Undo as the entry `id` says, under `name`.
  template <class Routine>
  void RunOnSelection(CommandId id, const QString& name, Routine&& routine) {
    RunWithDocument([&] { Recorded(id, name, [&] { routine(session_.Wave, session_.View.Sel, *Gauge); }); });
  }

  // Runs a command so that its failure is reported and the window goes on: a refused input as
  // information, any other error in the error box.
  template <class Command>
  void Guarded(Command&& command) {
    try {
      command();
    } catch (const InputRefused& refusal) {
      prompts_.ShowInformation(QString::fromStdString(refusal.what()));
    } catch (const std::exception& error) {
      prompts_.ShowError(QString::fromStdString(error.what()));
    }
  }

  // The pages, in the order of their tabs.
  QTabWidget* MainPageControl = nullptr;
  TFilePage* FileTabSheet = nullptr;
  TViewPage* ViewTabSheet = nullptr;
  TEditPage* EditTabSheet = nullptr;
  TWaveDataPage* WaveTabSheet = nullptr;
  TAmplitudePage* AmplitudeTabSheet = nullptr;
  TFiltersPage* LinFiltTabSheet = nullptr;
  TNoisePage* NoiseTabSheet = nullptr;
  TEffectsPage* EffectsTabSheet = nullptr;

  // Below the pages, each named as its objectName.
  TTimeRuler* TimeRuler = nullptr;
  TWaveStrip* LPaintBox = nullptr;
  TWaveStrip* RPaintBox = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label8 = nullptr;
  QPushButton* ReloadButton = nullptr;
  QPushButton* UndoButton = nullptr;
  QPushButton* RedoButton = nullptr;
  TGauge* Gauge = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* Label11 = nullptr;

  QGroupBox* SoundControlGroupBox = nullptr;
  QPushButton* RecBitBtn = nullptr;
  QPushButton* PlayBitBtn = nullptr;
  // Beside Play: plays the selected frames only.
  QPushButton* PlaySelBitBtn = nullptr;
  QPushButton* StopBitBtn = nullptr;

  QGroupBox* WaveInfoGroupBox = nullptr;
  QLabel* SampleRateLabel = nullptr;
  QLabel* AmpResLabel = nullptr;
  QLabel* NumChannelsLabel = nullptr;
  QLabel* LengthLabel = nullptr;

  QGroupBox* SelectionGroupBox = nullptr;
  QLabel* SelStartLabel = nullptr;
  QLabel* SelEndLabel = nullptr;
  QCheckBox* LeftCheckBox = nullptr;
  QCheckBox* RightCheckBox = nullptr;
  QPushButton* SelAllButton = nullptr;

  QTimer* PlayTimer = nullptr;
  QTimer* RecordTimer = nullptr;
  // Moves the play cursor while a sound plays.
  QTimer* CursorTimer = nullptr;
  // The input's levels, from the first recording on, where the title labels were; brought up to
  // date by MeterTimer while a recording runs.
  TLevelMeterWidget* LevelMeterBox = nullptr;
  QTimer* MeterTimer = nullptr;

  // Under the strips while the view is narrower than the sound (main_form_navigation.cpp).
  QScrollBar* ViewScrollBar = nullptr;

  // The sound card, through which Rec records into the scratch file.
  TAudio Audio;

  // Made once at start, hidden; shown and hidden by the "View" page's Spectrum box.
  TSpectrumForm* SpectrumForm = nullptr;

  // The dialogs, made once at start and shown over the window when asked for.
  TWallFilterForm* WallFilterForm = nullptr;
  TEchoRepeatForm* EchoRepeatForm = nullptr;
  TLoudnessForm* LoudnessForm = nullptr;
  TResampleForm* ResampleForm = nullptr;
  TSignalGeneratorForm* SignalGeneratorForm = nullptr;
  TRecOptionsForm* RecOptionsForm = nullptr;

 public slots:
  // Below the pages.
  void ReloadButtonClick();
  void UndoButtonClick();
  void RedoButtonClick();
  void SelAllButtonClick();
  void LeftCheckBoxClick();
  void RightCheckBoxClick();
  void LPaintBoxMouseDown(Qt::MouseButton button, int x, int y);
  void RPaintBoxMouseDown(Qt::MouseButton button, int x, int y);
  void ViewScrollBarChange(int position);

  // The sound control (main_form_transport.cpp).
  void RecBitBtnClick();
  void PlayBitBtnClick();
  void PlaySelBitBtnClick();
  void StopBitBtnClick();
  void PlayTimerTimer();
  void RecordTimerTimer();
  void CursorTimerTimer();

 public:
  // OK in the recording options dialog: records into the scratch file in the chosen format.
  void RecOptionsFormOK();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // The strips, the ruler and the pages take the width and height beyond the smallest size
  // (main_form_layout.cpp).
  void resizeEvent(QResizeEvent* event) override;
  // The wheel over the strips.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A click or key that arrived while a command ran was meant for a window that did not answer:
  // acting on it now would change a sound the user has not seen, so it is taken from the queue
  // and dropped.
  void DropInputQueuedMeanwhile();
  // A wave file dropped on the window (main_form_drop.cpp).
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FormCreate(const QStringList& arguments);
  void BuildPages();
  void BuildBottom();
  void BuildStrips();
  void BuildHistoryCorner();
  void BuildSoundControl();
  void BuildWaveInformation();
  void BuildSelectionGroup();
  void BuildTitleAndMeter();
  void BuildTimers();
  void BuildDialogs();
  // The scroll bar, the wheel over the strips and the keys of the commonest buttons.
  void BuildNavigation();
  void ShowScrollBar();
  bool AcceptsDrop(const QMimeData* data) const;
  void StripWheel(const QWidget& strip, const QWheelEvent& wheel);
  // A drag with the left button over a strip, and Shift+click on one (main_form_bottom.cpp).
  void StripDrag(const QWidget& strip, int fromX, int toX);
  void StripShiftClick(const QWidget& strip, int x);
  // Home and End: the view to the start or the end of the sound, as wide as it was.
  void ScrollToEnd(bool end);
  // Draws the spectrum when its box is checked (which needs a document).
  void RedrawSpectrum();
  void SyncChannelBoxes();
  // A click on a channel box: its state becomes the channel's flag, and the displays follow.
  void TakeChannelBox(const QCheckBox& box, bool& flag);
  void DeleteScratchFile();
  // What may be done now, after a command, or as playing or recording starts or ends: the three
  // below, with "idle" meaning that nothing plays or records.
  void ShowCommandState();
  // The dialogs' OK enabled only while idle: it would change the image the player or the
  // recording reads.
  void EnableDialogOKs(bool idle);
  // Undo and Redo enabled while idle when there is something to undo or redo, their hints naming
  // it, or why nothing can be undone.
  void ShowUndoButtons(bool idle);
  // The document's caption, which says when the last command could not be recorded.
  void ShowDocumentCaption();
  // Undo or Redo: `step` on the session, then every display.
  void StepHistory(void (*step)(Session&));
  // Plays frames first..last (cut to the sound), the gauge running over their duration.
  void PlayFrames(int64_t first, int64_t last);
  // Nothing plays: the gauge back at 0, the pages, Play and Reload enabled, Stop disabled.
  void ShowTransportIdle();
  // Stops a recording that has ended by itself (its file taking nothing more, or its device
  // silent); true when it did.
  bool StopRecordingThatEnded();
  // After a recording is opened: what went wrong with the capture, when something did.
  void ReportRecordingTrouble(const RecordingOutcome& outcome, bool hasSound);
  // At start: offers to open what a recording that did not finish left in the scratch file; true
  // when it was opened.
  bool OfferInterruptedRecording();
  QString DocumentCaption() const;

  Prompts& prompts_;
  Session session_;
  bool recording_ = false;
  // Commands under way, and whether input is being dropped after the outermost one ended.
  int commandDepth_ = 0;
  bool droppingInput_ = false;
  // Where the gauge lies while the scroll bar is hidden.
  QRect gaugePlace_;
  int32_t recordSeconds_ = 0;
  // What plays, and since when: the cursor follows the time where the device tells no frame.
  QElapsedTimer playClock_;
  int64_t playFirst_ = 0;
  int64_t playLast_ = -1;
};
