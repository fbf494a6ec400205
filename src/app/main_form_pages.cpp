// The seven pages of commands across the top of the main window.

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/control_factory.h"
#include "app/main_form.h"

namespace {

constexpr int kGroupHeight = 65;

QWidget* AddPage(QTabWidget* pages, const char* name, const QString& caption) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  auto* row = new QHBoxLayout(page);
  row->setContentsMargins(4, 2, 4, 2);
  row->setSpacing(8);
  pages->addTab(page, caption);
  return page;
}

// A group of the page, in the page's row; returns the group's own row for its controls.
QBoxLayout* AddGroup(QWidget* page, const char* name, const QString& caption) {
  QGroupBox* group = MakeRowGroupBox(page, name, caption);
  group->setFixedHeight(kGroupHeight);
  static_cast<QBoxLayout*>(page->layout())->addWidget(group);
  return static_cast<QBoxLayout*>(group->layout());
}

QGroupBox* GroupOf(QBoxLayout* row) { return static_cast<QGroupBox*>(row->parentWidget()); }

void EndPage(QWidget* page) { static_cast<QBoxLayout*>(page->layout())->addStretch(1); }

QLineEdit* AddCoefficientEdit(QBoxLayout* row, const char* name, const QString& text,
                              const QString& hint) {
  auto* edit = new QLineEdit(text, GroupOf(row));
  edit->setObjectName(QString::fromLatin1(name));
  edit->setFixedWidth(40);
  SetHint(edit, hint);
  row->addWidget(edit);
  return edit;
}

}  // namespace

void TMainForm::BuildPages() {
  MainPageControl = new QTabWidget(this);
  MainPageControl->setObjectName(QStringLiteral("MainPageControl"));
  MainPageControl->setGeometry(8, 8, 777, 105);
  QTabWidget* pages = MainPageControl;
  QStyle* look = style();

  QWidget* page = AddPage(pages, "FileTabSheet", tr("File"));
  QBoxLayout* row = AddGroup(page, "OpenSaveGroupBox", tr("Open/save"));
  NewBitBtn = MakeButton(GroupOf(row), row, "NewBitBtn", tr("&New"));
  NewBitBtn->setIcon(look->standardIcon(QStyle::SP_FileIcon));
  OpenBitBtn = MakeButton(GroupOf(row), row, "OpenBitBtn", tr("&Open"), tr("Opens sound file"));
  OpenBitBtn->setIcon(look->standardIcon(QStyle::SP_DialogOpenButton));
  SaveBitBtn = MakeButton(GroupOf(row), row, "SaveBitBtn", tr("&Save"), tr("Saves sound file"));
  SaveBitBtn->setIcon(look->standardIcon(QStyle::SP_DialogSaveButton));
  row = AddGroup(page, "ExitGroupBox", tr("Exit"));
  ExitButton = MakeButton(GroupOf(row), row, "ExitButton", tr("&Exit"), tr("Exits Velorin"));
  EndPage(page);

  page = AddPage(pages, "ViewTabSheet", tr("View"));
  row = AddGroup(page, "ZoomGroupBox", tr("Zoom"));
  ZoomBitBtn = MakeButton(GroupOf(row), row, "ZoomBitBtn", tr("&Selection"), tr("Zooms in selection"));
  BitBtn1 = MakeButton(GroupOf(row), row, "BitBtn1", tr("&Out"), tr("Zooms out"));
  AllButton = MakeButton(GroupOf(row), row, "AllButton", tr("&All"), tr("Zooms all"));
  row = AddGroup(page, "WindowsGroupBox", tr("Windows"));
  SpectrumCheckBox = new QCheckBox(tr("S&pectrum"), GroupOf(row));
  SpectrumCheckBox->setObjectName(QStringLiteral("SpectrumCheckBox"));
  SetHint(SpectrumCheckBox, tr("Shows spectrum window"));
  row->addWidget(SpectrumCheckBox);
  EndPage(page);

  page = AddPage(pages, "WaveTabSheet", tr("Wave data"));
  row = AddGroup(page, "SampleRateGroupBox", tr("Convert samplerate"));
  DoubleSRButton = MakeButton(GroupOf(row), row, "DoubleSRButton", tr("&Double"));
  // This hint is set but was never shown as a tool tip.
  SetHint(DoubleSRButton, tr("Doubles the samplerate; larger file, higher quality"), false);
  HalveSRButton = MakeButton(GroupOf(row), row, "HalveSRButton", tr("&Halve"),
                             tr("Halves the sampling rate; smaller file, lower quality"));
  row = AddGroup(page, "ResolutionGroupBox", tr("Convert amplitude resolution"));
  bits16Button = MakeButton(GroupOf(row), row, "bits16Button", tr("&16 bits"),
                            tr("Converts to 16 bit amplitude resolution; larger file, higher quality"));
  bits8Button = MakeButton(GroupOf(row), row, "bits8Button", tr("&8 bits"),
                           tr("Converts to 8 bit amplitude resolution; smaller file, lower quality"));
  row = AddGroup(page, "ChannelsGroupBox", tr("Convert to stereo/mono"));
  StereoButton = MakeButton(GroupOf(row), row, "StereoButton", tr("&Stereo"), tr("Converts to stereo"));
  MonoButton = MakeButton(GroupOf(row), row, "MonoButton", tr("&Mono"), tr("Converts to mono"));
  row = AddGroup(page, "SpecialGroupBox", tr("Special"));
  CDFormatButton = MakeButton(GroupOf(row), row, "CDFormatButton", tr("&CD format"),
                              tr("Converts to CD format"));
  EndPage(page);

  page = AddPage(pages, "AmplitudeTabSheet", tr("Amplitude tools"));
  row = AddGroup(page, "VolumeGroupBox", tr("Volume"));
  MuteButton = MakeButton(GroupOf(row), row, "MuteButton", tr("&Mute"), tr("Mutes selection"));
  NormalizeButton = MakeButton(GroupOf(row), row, "NormalizeButton", tr("&Normalize"),
                               tr("Peak normalization of the selection"));
  NormalizeUpDown = new QSpinBox(GroupOf(row));
  NormalizeUpDown->setObjectName(QStringLiteral("NormalizeUpDown"));
  NormalizeUpDown->setRange(0, 100);
  NormalizeUpDown->setValue(100);
  SetHint(NormalizeUpDown, tr("Normalization level"));
  row->addWidget(NormalizeUpDown);
  NormalizeLabel = MakeLabel(GroupOf(row), "NormalizeLabel", QStringLiteral("100 %"));
  row->addWidget(NormalizeLabel);
  Button1 = MakeButton(GroupOf(row), row, "Button1", tr("&Remove DC"), tr("Remove DC offset"));
  row = AddGroup(page, "FadeGroupBox", tr("Windows"));
  FadeInButton = MakeButton(GroupOf(row), row, "FadeInButton", tr("Fade &in"), tr("Fades in the selection"));
  FadeOutButton = MakeButton(GroupOf(row), row, "FadeOutButton", tr("Fade &out"), tr("Fades out the selection"));
  InvertButton = MakeButton(GroupOf(row), row, "InvertButton", tr("&Invert"), tr("Inverts the selection"));
  HanningButton = MakeButton(GroupOf(row), row, "HanningButton", tr("&Hanning"),
                             tr("Applies a Hanning window to the selection"));
  EndPage(page);

  page = AddPage(pages, "LinFiltTabSheet", tr("Linear filters"));
  row = AddGroup(page, "RCFiltersGroupBox", tr("RC filters"));
  LowPassButton = MakeButton(GroupOf(row), row, "LowPassButton", tr("&Low-pass"),
                             tr("Applies a first order low pass filter to the selection"));
  HighPassButton = MakeButton(GroupOf(row), row, "HighPassButton", tr("&High-pass"),
                              tr("Applies a first order high pass filter to the selection"));
  row = AddGroup(page, "CustomIIRGroupBox", tr("Custom IIR"));
  ApplyIIRButton = MakeButton(GroupOf(row), row, "ApplyIIRButton", tr("&Apply"),
                              tr("Applies a custom IIR filter"));
  row->addWidget(MakeLabel(GroupOf(row), nullptr, QStringLiteral("y(n) = ")));
  c0Edit = AddCoefficientEdit(row, "c0Edit", QStringLiteral("1"), tr("c0 parameter"));
  row->addWidget(MakeLabel(GroupOf(row), nullptr, QStringLiteral("x(n) + ")));
  c1Edit = AddCoefficientEdit(row, "c1Edit", QStringLiteral("0"), tr("c1 parameter"));
  row->addWidget(MakeLabel(GroupOf(row), nullptr, QStringLiteral("x(n-1) + ")));
  d1Edit = AddCoefficientEdit(row, "d1Edit", QStringLiteral("0"), tr("d1 parameter"));
  row->addWidget(MakeLabel(GroupOf(row), nullptr, QStringLiteral("y(n-1)")));
  // The two file buttons are small and stacked, at the end of the row.
  auto* fileButtons = new QVBoxLayout;
  fileButtons->setSpacing(1);
  OpenIIRButton = MakeButton(GroupOf(row), fileButtons, "OpenIIRButton", tr("&Open"),
                             tr("Opens custom IIR file"));
  SaveIIRButton = MakeButton(GroupOf(row), fileButtons, "SaveIIRButton", tr("&Save"),
                             tr("Saves custom IIR file"));
  for (QPushButton* small : {OpenIIRButton, SaveIIRButton}) {
    small->setMinimumSize(0, 0);
    small->setFixedSize(45, 19);
  }
  row->addLayout(fileButtons);
  EndPage(page);

  page = AddPage(pages, "NoiseTabSheet", tr("Noise and signals"));
  row = AddGroup(page, "NoiseGroupBox", tr("Noise options"));
  AddNoiseButton = MakeButton(GroupOf(row), row, "AddNoiseButton", tr("&Add"), tr("Adds noise"));
  RemoveNoiseButton = MakeButton(GroupOf(row), row, "RemoveNoiseButton", tr("&Gate"), tr("Noise gate"));
  row = AddGroup(page, "SignalsGroupBox", tr("Signals"));
  SignalGeneratorButton = MakeButton(GroupOf(row), row, "SignalGeneratorButton", tr("&Generator"));
  EndPage(page);

  page = AddPage(pages, "EffectsTabSheet", tr("Effects"));
  row = AddGroup(page, "DelayGroupBox", tr("Delay effects"));
  DelayButton = MakeButton(GroupOf(row), row, "DelayButton", tr("&Delay"),
                           tr("Applies a delay to the selection"));
  TapDelayButton = MakeButton(GroupOf(row), row, "TapDelayButton", tr("&Echo"),
                              tr("Applies a tap delay (single echo) to the selection"));
  EchoRepeatButton = MakeButton(GroupOf(row), row, "EchoRepeatButton", tr("Echo &repeat"), tr("Repeated echo"));
  StereoExpandButton = MakeButton(GroupOf(row), row, "StereoExpandButton", tr("&Stereo expand"),
                                  tr("Expands the stereo image by using multiple delays"));
  row = AddGroup(page, "MiscGroupBox", tr("Misc"));
  ReverseButton = MakeButton(GroupOf(row), row, "ReverseButton", tr("&Reverse"), tr("Reverses the selection"));
  WallButton = MakeButton(GroupOf(row), row, "WallButton", tr("&Wall"), tr("Apply wall filter"));
  EndPage(page);

  pages->setCurrentIndex(0);
}
