#include "app/main_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>

#include <clocale>
#include <filesystem>

#include "app/gauge.h"
#include "processing/document_commands.h"
#include "processing/number_text.h"

namespace {

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 563;
constexpr int kFontPixels = 11;
const QString kTitle = QStringLiteral("Velorin II");
const QString kWaveFilter = QStringLiteral("Wave files (*.wav)");

// File names travel between Qt and the engine in the file system's own encoding.
std::string LocalPath(const QString& name) { return QFile::encodeName(name).toStdString(); }

QString FileNamePart(const std::string& path) {
  return QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TMainForm::TMainForm(Prompts& prompts, const QStringList& arguments, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      prompts_(prompts) {
  setObjectName(QStringLiteral("MainForm"));
  setFixedSize(kClientWidth, kClientHeight);
  // The layout is planned for a small dialog font, 11 pixels high, whatever the desktop's is.
  QFont small = font();
  small.setPixelSize(kFontPixels);
  setFont(small);
  BuildPages();
  BuildBottom();
  ConnectHandlers();
  wave_.OnProgress = [this](TWave& sender, int8_t progress) { WaveProgress(sender, progress); };
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

  QString dir = arguments.isEmpty() ? QCoreApplication::applicationDirPath()
                                    : QFileInfo(arguments.first()).absolutePath();
  // An installed program cannot write beside itself; its IIR and scratch files go to the user's
  // data folder instead.
  if (!QFileInfo(dir).isWritable()) {
    dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
  }
  programDir_ = LocalPath(QDir::cleanPath(dir));

  setWindowTitle(kTitle);
  if (arguments.size() > 1) Guarded([&] { OpenWave(LocalPath(arguments.at(1))); });
}

void TMainForm::ConnectHandlers() {
  connect(NewBitBtn, &QPushButton::clicked, this, &TMainForm::NewBitBtnClick);
  connect(OpenBitBtn, &QPushButton::clicked, this, &TMainForm::OpenBitBtnClick);
  connect(SaveBitBtn, &QPushButton::clicked, this, &TMainForm::SaveBitBtnClick);
  connect(ReloadButton, &QPushButton::clicked, this, &TMainForm::ReloadButtonClick);
  connect(ExitButton, &QPushButton::clicked, this, &TMainForm::ExitButtonClick);
  connect(SelAllButton, &QPushButton::clicked, this, &TMainForm::SelAllButtonClick);
  connect(LeftCheckBox, &QCheckBox::clicked, this, &TMainForm::LeftCheckBoxClick);
  connect(RightCheckBox, &QCheckBox::clicked, this, &TMainForm::RightCheckBoxClick);
  ConnectViewHandlers();
  ConnectToolHandlers();
  ConnectFormatHandlers();
}

QString TMainForm::DocumentCaption() const {
  return kTitle + QStringLiteral(" - ") + FileNamePart(wave_.FileName());
}

void TMainForm::RefreshAll() {
  ShowSelection();
  ShowWaveInfo();
  DrawWaves();
}

void TMainForm::ShowWaveInfo() {
  if (!wave_.Loaded()) return;
  SampleRateLabel->setText(QString::number(wave_.SampleRate()) + QStringLiteral(" Hz"));
  AmpResLabel->setText(QString::number(wave_.BitsPerSample()) + QStringLiteral(" bits"));
  NumChannelsLabel->setText(QString::number(wave_.Channels()));
  LengthLabel->setText(Text(FormatRounded(wave_.Duration(), 2)) + QStringLiteral(" s"));
}

void TMainForm::ShowSelection() {
  if (!wave_.Loaded()) return;
  const double rate = wave_.SampleRate();
  SelStartLabel->setText(Text(FormatRounded(view_.Sel.SelStart / rate, 4)) + QStringLiteral(" s"));
  SelEndLabel->setText(Text(FormatRounded(view_.Sel.SelEnd / rate, 4)) + QStringLiteral(" s"));
  ApplyChannelRules(view_, wave_);
  SyncChannelBoxes();
}

void TMainForm::SelectAll() {
  ::SelectAll(view_, wave_);
  SyncChannelBoxes();
  RefreshAll();
}

void TMainForm::SyncChannelBoxes() {
  LeftCheckBox->setChecked(view_.Sel.Left);
  RightCheckBox->setChecked(view_.Sel.Right);
  LeftCheckBox->setEnabled(view_.LeftEnabled);
  RightCheckBox->setEnabled(view_.RightEnabled);
}

void TMainForm::ShowNewDocument() {
  setWindowTitle(DocumentCaption());
  SelAllButton->setEnabled(true);
  PlayBitBtn->setEnabled(true);
  RefreshAll();
}

void TMainForm::OpenWave(const std::string& fileName) {
  OpenDocument(wave_, view_, fileName);
  ShowNewDocument();
}

void TMainForm::SaveWave(const std::string& fileName) {
  SaveDocument(wave_, view_, fileName);
  ShowNewDocument();
}

void TMainForm::NewWave(const std::string& fileName, double seconds) {
  NewDocument(wave_, view_, fileName, seconds);
  ShowNewDocument();
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

void TMainForm::NewBitBtnClick() {
  Guarded([this] {
    QString text = QStringLiteral("1");
    if (!prompts_.InputQuery(tr("Length of wave"), tr("Specify length of wave, in seconds:"), text))
      return;
    const double seconds = ParseNewWaveLength(text.toStdString());
    QString fileName;
    if (!prompts_.SaveFileName(kWaveFilter, fileName)) return;
    NewWave(LocalPath(fileName), seconds);
  });
}

void TMainForm::OpenBitBtnClick() {
  Guarded([this] {
    QString fileName;
    if (prompts_.OpenFileName(kWaveFilter, fileName)) OpenWave(LocalPath(fileName));
  });
}

void TMainForm::SaveBitBtnClick() {
  Guarded([this] {
    if (!wave_.Loaded()) return;
    QString fileName;
    if (prompts_.SaveFileName(kWaveFilter, fileName)) SaveWave(LocalPath(fileName));
  });
}

void TMainForm::ReloadButtonClick() {
  Guarded([this] {
    if (!wave_.Loaded()) return;
    if (!prompts_.AskYesNo(tr("Reload the wave file?"))) return;
    const std::string fileName = wave_.FileName();
    OpenWave(fileName);
  });
}

void TMainForm::ExitButtonClick() {
  Guarded([this] {
    if (prompts_.AskYesNo(tr("Exit now?"))) {
      exitConfirmed_ = true;
      close();
      exitConfirmed_ = false;
    }
    DeleteScratchFile();
  });
}

// The window manager's close button is another way to Exit.
void TMainForm::closeEvent(QCloseEvent* event) {
  if (exitConfirmed_) {
    event->accept();
    return;
  }
  bool confirmed = false;
  Guarded([&] {
    confirmed = prompts_.AskYesNo(tr("Exit now?"));
    DeleteScratchFile();
  });
  if (confirmed) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TMainForm::SelAllButtonClick() {
  Guarded([this] {
    SelectAll();
    RefreshAll();
  });
}

void TMainForm::LeftCheckBoxClick() {
  Guarded([this] {
    view_.Sel.Left = LeftCheckBox->isChecked();
    RefreshAll();
  });
}

void TMainForm::RightCheckBoxClick() {
  Guarded([this] {
    view_.Sel.Right = RightCheckBox->isChecked();
    RefreshAll();
  });
}

// A running recording still writes the scratch file; Linux would let it be deleted underneath.
void TMainForm::DeleteScratchFile() {
  if (recording_) return;
  std::error_code ignored;
  std::filesystem::remove(ScratchFileName(), ignored);
}
