#pragma once

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "app/main_form_controls.h"
#include "app/prompts.h"
#include "processing/errors.h"
#include "views/view_state.h"
#include "wave/wave_document.h"

// The editor's main window: the pages of commands, the two strips, the gauge and the three
// information groups, and the one document with the state every command shares.
class TMainForm : public QWidget, public TMainFormControls {
  Q_OBJECT

 public:
  // `arguments` is the command line with the program's own path first; the second, when
  // present, names the wave opened at start.
  TMainForm(Prompts& prompts, const QStringList& arguments, QWidget* parent = nullptr);

  TWave& Wave() { return wave_; }
  ViewState& View() { return view_; }
  bool Recording() const { return recording_; }
  void SetRecording(bool recording) { recording_ = recording; }
  int32_t RecordSeconds() const { return recordSeconds_; }
  // Where the IIR files and the scratch file live, without a trailing separator.
  const std::string& ProgramDir() const { return programDir_; }
  std::string ScratchFileName() const { return programDir_ + "/velorin_temp.wav"; }

  // Brings every display up to date with the document, the selection and the channel flags.
  void RefreshAll();
  void ShowWaveInfo();
  void ShowSelection();
  void SelectAll();
  void DrawWaves();
  void ClearWaves();

  void OpenWave(const std::string& fileName);
  void SaveWave(const std::string& fileName);
  void NewWave(const std::string& fileName, double seconds);
  void WaveProgress(TWave& sender, int8_t progress);

  // A command on the document: nothing without one; otherwise the action, then the refresh.
  // An action that fails leaves the window unrefreshed, as the error box takes over.
  template <class Routine>
  void RunWithDocument(Routine&& routine) {
    Guarded([&] {
      if (!wave_.Loaded()) return;
      routine();
      RefreshAll();
    });
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

 public slots:
  void NewBitBtnClick();
  void OpenBitBtnClick();
  void SaveBitBtnClick();
  void ReloadButtonClick();
  void ExitButtonClick();
  void SelAllButtonClick();
  void LeftCheckBoxClick();
  void RightCheckBoxClick();

  // The strips and the "View" page.
  void LPaintBoxMouseDown(Qt::MouseButton button, int x, int y);
  void RPaintBoxMouseDown(Qt::MouseButton button, int x, int y);
  void ZoomBitBtnClick();
  void BitBtn1Click();
  void AllButtonClick();

  // The "Amplitude tools" page and Reverse on "Effects".
  void MuteButtonClick();
  void NormalizeButtonClick();
  void NormalizeUpDownClick();
  void Button1Click();
  void FadeInButtonClick();
  void FadeOutButtonClick();
  void HanningButtonClick();
  void InvertButtonClick();
  void ReverseButtonClick();

  // The "Wave data" page.
  void DoubleSRButtonClick();
  void HalveSRButtonClick();
  void bits16ButtonClick();
  void bits8ButtonClick();
  void StereoButtonClick();
  void MonoButtonClick();
  void CDFormatButtonClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate(const QStringList& arguments);
  void BuildPages();
  void BuildBottom();
  void ConnectHandlers();
  void ConnectViewHandlers();
  void ConnectToolHandlers();
  void ConnectFormatHandlers();
  // A "Wave data" command: nothing without a document; otherwise the conversion, the refresh and
  // everything selected, also when the sound already had the format asked for.
  void ConvertDocument(const std::function<void()>& conversion);
  // What Open, New and Save share once the document is in place.
  void ShowNewDocument();
  void SyncChannelBoxes();
  void DeleteScratchFile();
  QString DocumentCaption() const;

  Prompts& prompts_;
  TWave wave_;
  ViewState view_;
  bool recording_ = false;
  int32_t recordSeconds_ = 0;
  std::string programDir_;
  // Set once Exit has been confirmed, so the close that follows does not ask again.
  bool exitConfirmed_ = false;
};
