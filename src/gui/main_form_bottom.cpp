// Everything of the main window below the pages: the strips, the gauge, the sound control,
// wave information and selection groups, the title labels and the two timers, with what shows
// the document there and the handlers of these controls.

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>

#include <initializer_list>
#include <utility>

#include "gui/control_factory.h"
#include "gui/widgets/level_meter_widget.h"
#include "gui/main_form.h"
#include "audio/recorder.h"
#include "processing/document_commands.h"
#include "gui/dialogs/echo_repeat_form.h"
#include "gui/dialogs/loudness_form.h"
#include "gui/dialogs/resample_form.h"
#include "gui/dialogs/signal_generator_form.h"
#include "gui/dialogs/wall_filter_form.h"
#include "processing/number_text.h"
#include "gui/widgets/time_ruler_widget.h"
#include "gui/widgets/wave_strip_widget.h"

namespace {

constexpr int kStripWidth = 761;
constexpr int kStripHeight = 153;
// Between the pages and the strips, in a smaller font.
constexpr int kRulerTop = 114;
constexpr int kRulerHeight = 12;
constexpr int kRulerFontPixels = 9;
constexpr int kRecordInterval = 1000;
// About thirty moves a second: smooth to the eye, and little work beside the sound.
constexpr int kCursorInterval = 33;
constexpr int kMeterInterval = 50;

TWaveStrip* MakeStrip(QWidget* parent, const TWave& wave, const ViewState& view, bool right,
                      const char* name, int top) {
  auto* strip = new TWaveStrip(wave, view, right, parent);
  strip->setObjectName(QString::fromLatin1(name));
  strip->setGeometry(24, top, kStripWidth, kStripHeight);
  return strip;
}

QLabel* MakePlacedLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
  QLabel* label = MakeLabel(parent, name, text);
  label->move(left, top);
  label->adjustSize();
  return label;
}

// The grid of an information group: captions and values in tight rows.
QGridLayout* MakeLabelGrid(QGroupBox* box) {
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(6, 2, 6, 4);
  grid->setVerticalSpacing(0);
  grid->setHorizontalSpacing(4);
  return grid;
}

// The values of the information groups are written in red.
QLabel* MakeValueLabel(QWidget* parent, const char* name) {
  QLabel* label = MakeLabel(parent, name, QStringLiteral("-"));
  QPalette colours = label->palette();
  colours.setColor(QPalette::WindowText, Qt::red);
  label->setPalette(colours);
  return label;
}

QGroupBox* MakePlacedGroupBox(QWidget* parent, const char* name, const QString& caption,
                              const QRect& place) {
  auto* group = new QGroupBox(caption, parent);
  group->setObjectName(QString::fromLatin1(name));
  group->setGeometry(place);
  return group;
}

// The style has no record symbol: a red dot, as on a tape recorder.
QIcon RecordIcon() {
  QPixmap dot(20, 20);
  dot.fill(Qt::transparent);
  QPainter painter(&dot);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(220, 0, 0));
  painter.drawEllipse(QRectF(3, 3, 14, 14));
  return QIcon(dot);
}

QPushButton* MakeTransportButton(QGroupBox* group, QBoxLayout* row, const char* name,
                                 const QString& caption, const QIcon& icon) {
  auto* button = new QPushButton(icon, caption, group);
  button->setObjectName(QString::fromLatin1(name));
  button->setFixedSize(53, 57);
  button->setIconSize(QSize(20, 20));
  row->addWidget(button);
  return button;
}

}  // namespace

// The area below the pages, group by group.
void TMainForm::BuildBottom() {
  BuildStrips();
  BuildHistoryCorner();
  BuildSoundControl();
  BuildWaveInformation();
  BuildSelectionGroup();
  BuildTitleAndMeter();
  BuildTimers();
}

// The time ruler over the two strips, and the strips' mouse.
void TMainForm::BuildStrips() {
  TimeRuler = new TTimeRuler(session_.Wave, session_.View, this);
  TimeRuler->setObjectName(QStringLiteral("TimeRuler"));
  TimeRuler->setGeometry(24, kRulerTop, kStripWidth, kRulerHeight);
  QFont rulerFont = TimeRuler->font();
  rulerFont.setPixelSize(kRulerFontPixels);
  TimeRuler->setFont(rulerFont);
  LPaintBox = MakeStrip(this, session_.Wave, session_.View, false, "LPaintBox", kRulerTop + kRulerHeight);
  RPaintBox = MakeStrip(this, session_.Wave, session_.View, true, "RPaintBox", kRulerTop + kRulerHeight + kStripHeight);
  Label7 = MakePlacedLabel(this, "Label7", QStringLiteral("L"), 8, 198);
  Label8 = MakePlacedLabel(this, "Label8", QStringLiteral("R"), 8, 343);
  connect(LPaintBox, &TWaveStrip::MouseDown, this, &TMainForm::LPaintBoxMouseDown);
  connect(RPaintBox, &TWaveStrip::MouseDown, this, &TMainForm::RPaintBoxMouseDown);
  for (TWaveStrip* strip : {LPaintBox, RPaintBox}) {
    connect(strip, &TWaveStrip::MouseDrag, this, [this, strip](int fromX, int toX) { StripDrag(*strip, fromX, toX); });
    connect(strip, &TWaveStrip::ShiftClick, this, [this, strip](int x) { StripShiftClick(*strip, x); });
  }
}

void TMainForm::BuildHistoryCorner() {
  // Beside the pages' tabs, clear of the strips: Reload, and the way back and forth through the
  // commands since the sound was opened.
  auto* corner = new QWidget(MainPageControl);
  auto* cornerRow = new QHBoxLayout(corner);
  cornerRow->setContentsMargins(0, 0, 2, 2);
  cornerRow->setSpacing(3);
  ReloadButton = new QPushButton(tr("Reloa&d"), corner);
  ReloadButton->setObjectName(QStringLiteral("ReloadButton"));
  ReloadButton->setFixedSize(49, 17);
  SetHint(ReloadButton, tr("Reload the wave file"));
  UndoButton = new QPushButton(tr("Undo"), corner);
  UndoButton->setObjectName(QStringLiteral("UndoButton"));
  RedoButton = new QPushButton(tr("Redo"), corner);
  RedoButton->setObjectName(QStringLiteral("RedoButton"));
  ClickOnKeys(this, {{QKeySequence(Qt::CTRL | Qt::Key_Z), UndoButton},
                     {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), RedoButton},
                     {QKeySequence(Qt::CTRL | Qt::Key_Y), RedoButton}});
  cornerRow->addWidget(ReloadButton);
  for (QPushButton* button : {UndoButton, RedoButton}) {
    button->setFixedSize(45, 17);
    button->setEnabled(false);
    cornerRow->addWidget(button);
  }
  MainPageControl->setCornerWidget(corner, Qt::TopRightCorner);
  connect(ReloadButton, &QPushButton::clicked, this, &TMainForm::ReloadButtonClick);
  connect(UndoButton, &QPushButton::clicked, this, &TMainForm::UndoButtonClick);
  connect(RedoButton, &QPushButton::clicked, this, &TMainForm::RedoButtonClick);
}

// The gauge and the transport buttons.
void TMainForm::BuildSoundControl() {
  Gauge = new TGauge(this);
  Gauge->setObjectName(QStringLiteral("Gauge"));
  Gauge->setGeometry(16, 434, 761, 17);

  SoundControlGroupBox =
      MakePlacedGroupBox(this, "SoundControlGroupBox", tr("Sound control"), QRect(16, 456, 241, 97));
  auto* sound = new QHBoxLayout(SoundControlGroupBox);
  sound->setContentsMargins(6, 4, 6, 6);
  sound->setSpacing(4);
  RecBitBtn = MakeTransportButton(SoundControlGroupBox, sound, "RecBitBtn", tr("&Rec"), RecordIcon());
  PlayBitBtn = MakeTransportButton(SoundControlGroupBox, sound, "PlayBitBtn", tr("&Play"),
                                   style()->standardIcon(QStyle::SP_MediaPlay));
  PlaySelBitBtn = MakeTransportButton(SoundControlGroupBox, sound, "PlaySelBitBtn", tr("Sel."),
                                      style()->standardIcon(QStyle::SP_MediaPlay));
  SetHint(PlaySelBitBtn, tr("Play the selection (Shift+Space)"));
  StopBitBtn = MakeTransportButton(SoundControlGroupBox, sound, "StopBitBtn", tr("&Stop"),
                                   style()->standardIcon(QStyle::SP_MediaStop));
  PlayBitBtn->setEnabled(false);
  PlaySelBitBtn->setEnabled(false);
  StopBitBtn->setEnabled(false);
  connect(RecBitBtn, &QPushButton::clicked, this, &TMainForm::RecBitBtnClick);
  connect(PlayBitBtn, &QPushButton::clicked, this, &TMainForm::PlayBitBtnClick);
  connect(PlaySelBitBtn, &QPushButton::clicked, this, &TMainForm::PlaySelBitBtnClick);
  connect(StopBitBtn, &QPushButton::clicked, this, &TMainForm::StopBitBtnClick);
}

void TMainForm::BuildWaveInformation() {
  WaveInfoGroupBox =
      // Up to the selection's group: "32 bits float" beside "Amplitude resolution:" takes the room.
      MakePlacedGroupBox(this, "WaveInfoGroupBox", tr("Wave information"), QRect(272, 456, 207, 97));
  QGridLayout* info = MakeLabelGrid(WaveInfoGroupBox);
  const QString captions[] = {tr("Samplerate: "), tr("Amplitude resolution:"),
                              tr("Number of channels:"), tr("Length:")};
  QLabel** values[] = {&SampleRateLabel, &AmpResLabel, &NumChannelsLabel, &LengthLabel};
  const char* valueNames[] = {"SampleRateLabel", "AmpResLabel", "NumChannelsLabel", "LengthLabel"};
  for (int i = 0; i < 4; ++i) {
    QLabel* caption = MakeLabel(WaveInfoGroupBox, nullptr, captions[i]);
    caption->setMinimumWidth(caption->sizeHint().width());
    info->addWidget(caption, i, 0, Qt::AlignRight);
    *values[i] = MakeValueLabel(WaveInfoGroupBox, valueNames[i]);
    info->addWidget(*values[i], i, 1);
  }
  info->setColumnStretch(1, 1);
}

void TMainForm::BuildSelectionGroup() {
  SelectionGroupBox =
      MakePlacedGroupBox(this, "SelectionGroupBox", tr("Selection"), QRect(480, 456, 169, 97));
  QGridLayout* selection = MakeLabelGrid(SelectionGroupBox);
  selection->addWidget(MakeLabel(SelectionGroupBox, nullptr, tr("Start:")), 0, 0, Qt::AlignRight);
  SelStartLabel = MakeValueLabel(SelectionGroupBox, "SelStartLabel");
  // The values reach over the button's column, so that a long time never pushes it aside.
  selection->addWidget(SelStartLabel, 0, 1, 1, 2);
  selection->addWidget(MakeLabel(SelectionGroupBox, nullptr, tr("End:")), 1, 0, Qt::AlignRight);
  SelEndLabel = MakeValueLabel(SelectionGroupBox, "SelEndLabel");
  selection->addWidget(SelEndLabel, 1, 1, 1, 2);
  LeftCheckBox = new QCheckBox(tr("&Left"), SelectionGroupBox);
  LeftCheckBox->setObjectName(QStringLiteral("LeftCheckBox"));
  RightCheckBox = new QCheckBox(tr("Righ&t"), SelectionGroupBox);
  RightCheckBox->setObjectName(QStringLiteral("RightCheckBox"));
  for (QCheckBox* box : {LeftCheckBox, RightCheckBox}) {
    box->setChecked(true);
    box->setEnabled(false);
  }
  selection->addWidget(LeftCheckBox, 2, 0, 1, 2);
  selection->addWidget(RightCheckBox, 3, 0, 1, 2);
  SelAllButton = MakeButton(SelectionGroupBox, nullptr, "SelAllButton", tr("S&elect all"));
  SelAllButton->setEnabled(false);
  selection->addWidget(SelAllButton, 2, 2, 2, 1, Qt::AlignBottom);
  selection->setColumnStretch(1, 1);
  connect(SelAllButton, &QPushButton::clicked, this, &TMainForm::SelAllButtonClick);
  connect(LeftCheckBox, &QCheckBox::clicked, this, &TMainForm::LeftCheckBoxClick);
  connect(RightCheckBox, &QCheckBox::clicked, this, &TMainForm::RightCheckBoxClick);
}

// The program's name, which the level meter takes the place of from the first recording on.
void TMainForm::BuildTitleAndMeter() {
  Label9 = MakeLabel(this, "Label9", QStringLiteral("Velorin II"));
  QFont titleFont = Label9->font();
  titleFont.setBold(true);
  titleFont.setPixelSize(16);
  Label9->setFont(titleFont);
  Label9->move(672, 480);
  Label9->adjustSize();
  Label10 = MakePlacedLabel(this, "Label10", tr("A PCM wave editor"), 672, 504);
  Label11 = MakePlacedLabel(this, "Label11", QStringLiteral("velorin.example.org"), 672, 520);

  LevelMeterBox = new TLevelMeterWidget(Audio.Recorder().Meter, this);
  LevelMeterBox->setObjectName(QStringLiteral("LevelMeterBox"));
  LevelMeterBox->setGeometry(658, 462, 127, 88);
  LevelMeterBox->hide();
  MeterTimer = new QTimer(this);
  MeterTimer->setObjectName(QStringLiteral("MeterTimer"));
  MeterTimer->setInterval(kMeterInterval);
  connect(MeterTimer, &QTimer::timeout, LevelMeterBox, &TLevelMeterWidget::Refresh);
}

void TMainForm::BuildTimers() {
  PlayTimer = new QTimer(this);
  PlayTimer->setObjectName(QStringLiteral("PlayTimer"));
  RecordTimer = new QTimer(this);
  RecordTimer->setObjectName(QStringLiteral("RecordTimer"));
  RecordTimer->setInterval(kRecordInterval);
  CursorTimer = new QTimer(this);
  CursorTimer->setObjectName(QStringLiteral("CursorTimer"));
  CursorTimer->setInterval(kCursorInterval);
  connect(PlayTimer, &QTimer::timeout, this, &TMainForm::PlayTimerTimer);
  connect(RecordTimer, &QTimer::timeout, this, &TMainForm::RecordTimerTimer);
  connect(CursorTimer, &QTimer::timeout, this, &TMainForm::CursorTimerTimer);
}

void TMainForm::ShowWaveInfo() {
  const TWave& wave = session_.Wave;
  if (!wave.Loaded()) return;
  SampleRateLabel->setText(QString::number(wave.SampleRate()) + QStringLiteral(" Hz"));
  AmpResLabel->setText(QString::number(wave.BitsPerSample()) +
                       (wave.FloatSamples() ? QStringLiteral(" bits float") : QStringLiteral(" bits")));
  NumChannelsLabel->setText(QString::number(wave.Channels()));
  LengthLabel->setText(QString::fromStdString(FormatRounded(wave.Duration(), 2)) + QStringLiteral(" s"));
}

void TMainForm::ShowSelection() {
  if (!session_.Wave.Loaded()) return;
  const double rate = session_.Wave.SampleRate();
  const Selection& sel = session_.View.Sel;
  SelStartLabel->setText(QString::fromStdString(FormatRounded(sel.SelStart / rate, 4)) + QStringLiteral(" s"));
  SelEndLabel->setText(QString::fromStdString(FormatRounded(sel.SelEnd / rate, 4)) + QStringLiteral(" s"));
  ApplyChannelRules(session_.View, session_.Wave);
  SyncChannelBoxes();
}

void TMainForm::SyncChannelBoxes() {
  LeftCheckBox->setChecked(session_.View.Sel.Left);
  RightCheckBox->setChecked(session_.View.Sel.Right);
  LeftCheckBox->setEnabled(session_.View.LeftEnabled);
  RightCheckBox->setEnabled(session_.View.RightEnabled);
}

// Commands end by drawing, and the user should see the result before the next one starts, so
// the strips paint now rather than when the event loop comes round.
void TMainForm::DrawWaves() {
  TimeRuler->repaint();
  LPaintBox->repaint();
  RPaintBox->repaint();
}

void TMainForm::ClearWaves() {
  LPaintBox->Clear();
  RPaintBox->Clear();
}

void TMainForm::ReloadButtonClick() {
  Guarded([this] {
    if (!session_.Wave.Loaded()) return;
    if (!prompts_.AskYesNo(tr("Reload the wave file?"))) return;
    ReloadDocument(session_);
    ShowNewDocument();
  });
}

void TMainForm::UndoButtonClick() { StepHistory(Undo); }

void TMainForm::RedoButtonClick() { StepHistory(Redo); }

void TMainForm::StepHistory(void (*step)(Session&)) {
  // The keys reach here only through the buttons, which are disabled while a sound plays.
  Guarded([&] {
    step(session_);
    SoundChanged(nullptr);
    RefreshAll();
  });
  ShowCommandState();
}

void TMainForm::ShowCommandState() {
  // Stop is enabled exactly while a sound plays or records.
  const bool idle = !StopBitBtn->isEnabled();
  EnableDialogOKs(idle);
  ShowUndoButtons(idle);
  ShowDocumentCaption();
}

void TMainForm::EnableDialogOKs(bool idle) {
  for (TToolForm* dialog : std::initializer_list<TToolForm*>{WallFilterForm, EchoRepeatForm, SignalGeneratorForm, LoudnessForm, ResampleForm})
    dialog->OKButton->setEnabled(idle);
}

void TMainForm::ShowUndoButtons(bool idle) {
  const UndoHistory& history = session_.Undo;
  UndoButton->setEnabled(idle && history.CanUndo());
  RedoButton->setEnabled(idle && history.CanRedo());
  // Why there is nothing to undo, when the last command was too large to keep.
  const QString notKept = QString::fromStdString(history.NotKept());
  UndoButton->setToolTip(history.CanUndo() ? tr("Undo %1").arg(QString::fromStdString(history.UndoName())) : notKept);
  RedoButton->setToolTip(history.CanRedo() ? tr("Redo %1").arg(QString::fromStdString(history.RedoName())) : QString());
}

void TMainForm::ShowDocumentCaption() {
  if (recording_ || !session_.Wave.Loaded()) return;
  const QString notKept = QString::fromStdString(session_.Undo.NotKept());
  setWindowTitle(notKept.isEmpty() ? DocumentCaption() : DocumentCaption() + QStringLiteral(" - ") + notKept);
}

void TMainForm::SelAllButtonClick() {
  Guarded([this] { SelectAll(); });
}

void TMainForm::LeftCheckBoxClick() { TakeChannelBox(*LeftCheckBox, session_.View.Sel.Left); }

void TMainForm::RightCheckBoxClick() { TakeChannelBox(*RightCheckBox, session_.View.Sel.Right); }

void TMainForm::TakeChannelBox(const QCheckBox& box, bool& flag) {
  Guarded([&] {
    flag = box.isChecked();
    RefreshAll();
  });
}

namespace {

// A press on either strip; the strip's own width sets how its columns map to frames.
void MarkFromStrip(TMainForm& form, const QWidget& strip, Qt::MouseButton button, int x) {
  form.RunWithDocument([&] {
    MarkSelection(form.View(), button == Qt::LeftButton, FrameAtColumn(form.View(), x, strip.width()));
  });
}

}  // namespace

// The spectrum is taken from the selection's start, which a press may move: it is drawn here
// as well as in the refresh, so that a press always leaves it current.
void TMainForm::LPaintBoxMouseDown(Qt::MouseButton button, int x, int) {
  MarkFromStrip(*this, *LPaintBox, button, x);
  RedrawSpectrum();
}

void TMainForm::RPaintBoxMouseDown(Qt::MouseButton button, int x, int) {
  MarkFromStrip(*this, *RPaintBox, button, x);
  RedrawSpectrum();
}

void TMainForm::StripDrag(const QWidget& strip, int fromX, int toX) {
  RunWithDocument([&] {
    ViewState& view = session_.View;
    DragSelection(view, FrameAtColumn(view, fromX, strip.width()), FrameAtColumn(view, toX, strip.width()));
  });
  RedrawSpectrum();
}

void TMainForm::StripShiftClick(const QWidget& strip, int x) {
  RunWithDocument([&] { ExtendSelection(session_.View, FrameAtColumn(session_.View, x, strip.width())); });
  RedrawSpectrum();
}
