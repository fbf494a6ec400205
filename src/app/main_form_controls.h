#pragma once

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class TGauge;
class TWaveStrip;

// The main window's controls, each named as its objectName. The window owns them through Qt's
// parent chain; these are plain references for the handlers.
struct TMainFormControls {
  QTabWidget* MainPageControl = nullptr;

  // "File"
  QPushButton* NewBitBtn = nullptr;
  QPushButton* OpenBitBtn = nullptr;
  QPushButton* SaveBitBtn = nullptr;
  QPushButton* ExitButton = nullptr;

  // "View"
  QPushButton* ZoomBitBtn = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* AllButton = nullptr;
  QCheckBox* SpectrumCheckBox = nullptr;

  // "Wave data"
  QPushButton* DoubleSRButton = nullptr;
  QPushButton* HalveSRButton = nullptr;
  QPushButton* bits16Button = nullptr;
  QPushButton* bits8Button = nullptr;
  QPushButton* StereoButton = nullptr;
  QPushButton* MonoButton = nullptr;
  QPushButton* CDFormatButton = nullptr;

  // "Amplitude tools"
  QPushButton* MuteButton = nullptr;
  QPushButton* NormalizeButton = nullptr;
  QSpinBox* NormalizeUpDown = nullptr;
  QLabel* NormalizeLabel = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* FadeInButton = nullptr;
  QPushButton* FadeOutButton = nullptr;
  QPushButton* InvertButton = nullptr;
  QPushButton* HanningButton = nullptr;

  // "Linear filters"
  QPushButton* LowPassButton = nullptr;
  QPushButton* HighPassButton = nullptr;
  QPushButton* ApplyIIRButton = nullptr;
  QLineEdit* c0Edit = nullptr;
  QLineEdit* c1Edit = nullptr;
  QLineEdit* d1Edit = nullptr;
  QPushButton* OpenIIRButton = nullptr;
  QPushButton* SaveIIRButton = nullptr;

  // "Noise and signals"
  QPushButton* AddNoiseButton = nullptr;
  QPushButton* RemoveNoiseButton = nullptr;
  QPushButton* SignalGeneratorButton = nullptr;

  // "Effects"
  QPushButton* DelayButton = nullptr;
  QPushButton* TapDelayButton = nullptr;
  QPushButton* EchoRepeatButton = nullptr;
  QPushButton* StereoExpandButton = nullptr;
  QPushButton* ReverseButton = nullptr;
  QPushButton* WallButton = nullptr;

  // Below the pages
  TWaveStrip* LPaintBox = nullptr;
  TWaveStrip* RPaintBox = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label8 = nullptr;
  QPushButton* ReloadButton = nullptr;
  TGauge* Gauge = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* Label11 = nullptr;

  QGroupBox* SoundControlGroupBox = nullptr;
  QPushButton* RecBitBtn = nullptr;
  QPushButton* PlayBitBtn = nullptr;
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
};
