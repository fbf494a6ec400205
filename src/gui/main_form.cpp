#include "gui/main_form.h"

#include <filesystem>

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>

#include <clocale>
#include <filesystem>

#include "gui/local_path.h"
#include "gui/pages/main_form_amplitude.h"
#include "gui/pages/main_form_edit.h"
#include "gui/pages/main_form_effects.h"
#include "gui/pages/main_form_file.h"
#include "gui/pages/main_form_filters.h"
#include "gui/pages/main_form_noise.h"
#include "gui/pages/main_form_view.h"
#include "gui/pages/main_form_wave_data.h"
#include "gui/dialogs/rec_options_form.h"
#include "audio/recording_file.h"
#include "processing/document_commands.h"
#include "gui/dialogs/echo_repeat_form.h"
#include "gui/dialogs/loudness_form.h"
#include "gui/dialogs/resample_form.h"
#include "gui/dialogs/signal_generator_form.h"
#include "gui/dialogs/wall_filter_form.h"
#include "gui/dialogs/spectrum_form.h"

namespace {

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 563;
constexpr int kFontPixels = 11;
const QString kTitle = QStringLiteral("Velorin II");

}  // namespace

TMainForm::TMainForm(Prompts& prompts, const QStringList& arguments, const SoundCard& card,
                     ISystemSoundPlayer* player, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      Audio(card),
      prompts_(prompts) {
  setObjectName(QStringLiteral("MainForm"));
  setMinimumSize(kClientWidth, kClientHeight);
  resize(kClientWidth, kClientHeight);
  // The layout is planned for a small dialog font, 11 pixels high, whatever the desktop's is.
  QFont small = font();
  small.setPixelSize(kFontPixels);
  setFont(small);
  BuildPages();
  BuildBottom();
  BuildDialogs();
  BuildNavigation();
  setAcceptDrops(true);
  session_.Wave.SetSoundPlayer(player);
  session_.Wave.OnProgress = [this](TWave& sender, int8_t progress) { WaveProgress(sender, progress); };
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  FormCreate(arguments);
}

void TMainForm::FormCreate(const QStringList& arguments) {
  // Lengths, coefficients and labels use "." whatever the user's locale; QApplication has just
  // taken the C library's numeric conventions from the environment.
  QLocale::setDefault(QLocale::c());
  std::setlocale(LC_NUMERIC, "C");
  recording_ = false;

  const QString dir = arguments.isEmpty() ? QCoreApplication::applicationDirPath()
                                          : QFileInfo(arguments.first()).absolutePath();
  session_.Program.ProgramDir = WritableProgramDir(LocalPath(QDir::cleanPath(dir)));

  setWindowTitle(kTitle);
  // A recording that the program lost on its way out is offered first; taken, it is the document
  // rather than the file named at start.
  if (OfferInterruptedRecording()) return;
  if (arguments.size() > 1) Guarded([&] { OpenWave(LocalPath(arguments.at(1))); });
}

void TMainForm::BuildPages() {
  MainPageControl = new QTabWidget(this);
  MainPageControl->setObjectName(QStringLiteral("MainPageControl"));
  MainPageControl->setGeometry(8, 8, 777, 105);
  MainPageControl->addTab(FileTabSheet = new TFilePage(*this), tr("File"));
  MainPageControl->addTab(ViewTabSheet = new TViewPage(*this), tr("View"));
  MainPageControl->addTab(EditTabSheet = new TEditPage(*this), tr("Edit"));
  MainPageControl->addTab(WaveTabSheet = new TWaveDataPage(*this), tr("Wave data"));
  MainPageControl->addTab(AmplitudeTabSheet = new TAmplitudePage(*this), tr("Amplitude tools"));
  MainPageControl->addTab(LinFiltTabSheet = new TFiltersPage(*this), tr("Linear filters"));
  MainPageControl->addTab(NoiseTabSheet = new TNoisePage(*this), tr("Noise and signals"));
  MainPageControl->addTab(EffectsTabSheet = new TEffectsPage(*this), tr("Effects"));
  MainPageControl->setCurrentIndex(0);
}

void TMainForm::BuildDialogs() {
  SpectrumForm = new TSpectrumForm(session_.Wave, session_.View, this);
  SpectrumForm->OnClose = [this] { ViewTabSheet->SpectrumCheckBox->setChecked(false); };
  WallFilterForm = new TWallFilterForm(this);
  WallFilterForm->OnOK = [this] { EffectsTabSheet->WallFilterFormOK(); };
  EchoRepeatForm = new TEchoRepeatForm(this);
  EchoRepeatForm->OnOK = [this] { EffectsTabSheet->EchoRepeatFormOK(); };
  LoudnessForm = new TLoudnessForm(this);
  LoudnessForm->OnOK = [this] { AmplitudeTabSheet->LoudnessFormOK(); };
  ResampleForm = new TResampleForm(this);
  ResampleForm->OnOK = [this] { WaveTabSheet->ResampleFormOK(); };
  SignalGeneratorForm = new TSignalGeneratorForm(this);
  SignalGeneratorForm->OnOK = [this] { NoiseTabSheet->SignalGeneratorFormOK(); };
  RecOptionsForm = new TRecOptionsForm(this);
  RecOptionsForm->OnOK = [this] { RecOptionsFormOK(); };
}

QString TMainForm::DocumentCaption() const {
  return (session_.Changes.Changed() ? QStringLiteral("*") : QString()) + kTitle + QStringLiteral(" - ") + QFileInfo(DisplayPath(session_.Wave.FileName())).fileName();
}

void TMainForm::RefreshAll() {
  ShowSelection();
  ShowWaveInfo();
  DrawWaves();
  ShowScrollBar();
  RedrawSpectrum();
}

void TMainForm::RedrawSpectrum() {
  if (ViewTabSheet->SpectrumCheckBox->isChecked()) SpectrumForm->DrawSpectrum();
}

void TMainForm::SelectAll() {
  ::SelectAll(session_.View, session_.Wave);
  SyncChannelBoxes();
  RefreshAll();
}

void TMainForm::SoundChanged(const UndoRecord* record) { ViewTabSheet->SoundChanged(record); }

void TMainForm::ShowNewDocument() {
  SoundChanged(nullptr);
  setWindowTitle(DocumentCaption());
  SelAllButton->setEnabled(true);
  EditTabSheet->setEnabled(true);
  PlayBitBtn->setEnabled(true);
  PlaySelBitBtn->setEnabled(true);
  RefreshAll();
  ShowCommandState();
}

void TMainForm::OpenWave(const std::string& fileName) {
  // The document keeps where the file is, whatever the working folder later: Save goes there.
  OpenDocument(session_, fileName.empty() ? fileName : std::filesystem::absolute(fileName).string());
  ShowNewDocument();
  const std::string notice = EndsEarlyNotice(session_);
  if (!notice.empty()) prompts_.ShowInformation(QString::fromStdString(notice));
}

void TMainForm::WaveProgress(TWave&, int8_t progress) {
  if (progress == -1) {
    setWindowTitle(DocumentCaption());
    Gauge->SetProgress(0);
  } else {
    setWindowTitle(QStringLiteral("Wait.. %1 %").arg(static_cast<int>(progress)));
    Gauge->SetProgress(progress);
  }
}

// Exit and the window manager's close button both end here. The scratch file goes whatever the
// answer to "Exit now?", unless a recording holds it; a changed sound is asked about instead,
// and its Cancel leaves everything as it was.
void TMainForm::closeEvent(QCloseEvent* event) {
  bool confirmed = false;
  Guarded([&] {
    if (session_.Wave.Loaded() && session_.Changes.Changed()) {
      confirmed = FileTabSheet->SettleChanges();
      if (!confirmed) return;
    } else {
      confirmed = prompts_.AskYesNo(tr("Exit now?"));
    }
    DeleteScratchFile();
  });
  if (confirmed) {
    event->accept();
  } else {
    event->ignore();
  }
}

// Only when the program shows the window: a window manager restoring it moves nothing.
void TMainForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) SpectrumForm->move(pos() + QPoint(450, 150));
}

// A running recording, this window's or another program's, still writes the scratch file; Linux
// would let it be deleted underneath.
void TMainForm::DeleteScratchFile() { RemoveUnlessRecording(ScratchFileName()); }
