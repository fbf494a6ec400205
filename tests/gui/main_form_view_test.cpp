#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QWheelEvent>

#include "gui/widgets/wave_strip_widget.h"

#include "main_form_fixture.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kGrey(128, 128, 128);

// The window with its "View" page in front, as the zoom buttons are used.
class StripTest : public MainFormTest {
 protected:
  void StartWith(const std::string& file) {
    Start({QString::fromStdString(file)});
    Find<QTabWidget>("MainPageControl")->setCurrentIndex(1);
  }

  // A 16-bit stereo sound, each channel constant but for one full-scale frame: the left at the
  // top, the right at the bottom.
  std::string WriteSpikedWave(int frames, int16_t left, int16_t right, int spikeFrame) {
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i) {
      samples.push_back(i == spikeFrame ? int16_t{32767} : left);
      samples.push_back(i == spikeFrame ? int16_t{-32768} : right);
    }
    WriteBytes(dir.File("spiked.wav"), CanonicalWave(2, 44100, 16, Words(samples)));
    return dir.File("spiked.wav");
  }

  std::string WriteMonoWave(int frames, int16_t value) {
    WriteBytes(dir.File("mono.wav"), CanonicalWave(1, 44100, 16, Words(std::vector<int16_t>(frames, value))));
    return dir.File("mono.wav");
  }

  // What the strip shows now, painted afresh.
  QImage Picture(const char* strip) const {
    QWidget* widget = Find<QWidget>(strip);
    return widget ? widget->grab().toImage() : QImage();
  }

  QColor Background() const { return form->palette().color(QPalette::Button); }

  // How many pixels of the picture differ from the background.
  int Drawn(const QImage& picture) const {
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) count += QColor(picture.pixel(x, y)) != Background();
    return count;
  }

  void Press(const char* strip, Qt::MouseButton button, int x) {
    if (QWidget* widget = Find<QWidget>(strip)) QTest::mouseClick(widget, button, {}, QPoint(x, 40));
  }

  std::pair<int32_t, int32_t> Selected() const { return {form->View().Sel.SelStart, form->View().Sel.SelEnd}; }
  std::pair<int32_t, int32_t> Viewed() const { return {form->View().ViewStart, form->View().ViewEnd}; }
};

QColor At(const QImage& picture, int x, int y) { return QColor(picture.pixel(x, y)); }

using StripDrawingTest = StripTest;

// 761 frames fill the 761 columns one to one. Left samples 16384 sit at row 38, right -16384
// at row 114; the spike at frame 350 reaches rows 0 and 152.
TEST_F(StripDrawingTest, SelectionColoursFollowTheChannelBoxes) {
  StartWith(WriteSpikedWave(761, 16384, -16384, 350));
  ASSERT_EQ(Find<QWidget>("LPaintBox")->size(), QSize(761, 153));
  Press("LPaintBox", Qt::LeftButton, 300);
  Press("RPaintBox", Qt::RightButton, 400);
  ASSERT_EQ(Selected(), std::make_pair(300, 400));

  QImage left = Picture("LPaintBox");
  QImage right = Picture("RPaintBox");
  EXPECT_EQ(At(left, 320, 38), kRed);
  EXPECT_EQ(At(left, 350, 0), kRed);
  EXPECT_EQ(At(left, 320, 37), Background());
  EXPECT_EQ(At(left, 320, 39), Background());
  EXPECT_EQ(At(left, 200, 38), kGrey);
  EXPECT_EQ(At(left, 600, 38), kGrey);
  EXPECT_EQ(At(right, 320, 114), kGreen);
  EXPECT_EQ(At(right, 350, 152), kGreen);
  EXPECT_EQ(At(right, 320, 113), Background());
  EXPECT_EQ(At(right, 600, 114), kGrey);

  Click("RightCheckBox");
  ASSERT_FALSE(Checked("RightCheckBox"));
  left = Picture("LPaintBox");
  right = Picture("RPaintBox");
  EXPECT_EQ(At(left, 320, 38), kRed);
  EXPECT_EQ(At(right, 320, 114), kGrey);
  EXPECT_EQ(At(right, 350, 152), kGrey);
  EXPECT_EQ(At(right, 200, 114), kGrey);

  Click("LeftCheckBox");
  ASSERT_FALSE(Checked("LeftCheckBox"));
  EXPECT_EQ(At(Picture("LPaintBox"), 320, 38), kGrey);
}

TEST_F(StripDrawingTest, ZoomingRedrawsTheStripsAtTheNewScale) {
  StartWith(WriteSpikedWave(761, 16384, -16384, 350));
  Press("LPaintBox", Qt::LeftButton, 300);
  Press("LPaintBox", Qt::RightButton, 400);
  Click("ZoomBitBtn");

  // Frames 300..400 over 761 columns: the spike lands at column 380, the whole strip is red.
  const QImage left = Picture("LPaintBox");
  EXPECT_EQ(At(left, 380, 0), kRed);
  EXPECT_EQ(At(left, 10, 38), kRed);
  EXPECT_EQ(At(left, 750, 38), kRed);
  EXPECT_EQ(At(left, 350, 0), Background());
  EXPECT_EQ(At(Picture("RPaintBox"), 380, 152), kGreen);
}

// 761,000 frames, a thousand to a column at full view, so that a column reads whole blocks of
// the summary. The left channel is silent but for a top spike at frame 350,300 (column 350) and
// a bottom one at 500,300 (column 500), which the trace, reading one frame a column, passes
// over; the right channel stays at -16384 (row 114).
TEST_F(StripDrawingTest, PeaksShowTheLowestAndHighestFrameOfEachColumn) {
  std::vector<int16_t> samples;
  for (int i = 0; i < 761000; ++i) {
    samples.push_back(i == 350300 ? int16_t{32767} : i == 500300 ? int16_t{-32768} : int16_t{0});
    samples.push_back(-16384);
  }
  WriteBytes(dir.File("peaks.wav"), CanonicalWave(2, 44100, 16, Words(samples)));
  StartWith(dir.File("peaks.wav"));
  EXPECT_EQ(At(Picture("LPaintBox"), 350, 0), Background());
  Click("PeaksCheckBox");
  struct Column { const char* strip; int x, top, bottom; QColor pen; };
  const auto expectColumns = [&](std::initializer_list<Column> table) {
    for (const Column& row : table) {
      SCOPED_TRACE(testing::Message() << row.strip << " column " << row.x);
      const QImage picture = Picture(row.strip);
      EXPECT_EQ(At(picture, row.x, row.top), row.pen);
      EXPECT_EQ(At(picture, row.x, row.bottom), row.pen);
      if (row.top > 0) {
        EXPECT_EQ(At(picture, row.x, row.top - 1), Background());
      }
      if (row.bottom < 152) {
        EXPECT_EQ(At(picture, row.x, row.bottom + 1), Background());
      }
    }
  };
  expectColumns({{"LPaintBox", 350, 0, 76, kRed}, {"LPaintBox", 500, 76, 152, kRed},
                 {"LPaintBox", 0, 76, 76, kRed}, {"RPaintBox", 350, 114, 114, kGreen}});

  // A command on part of the sound and its undo reach the picture.
  Press("LPaintBox", Qt::LeftButton, 349);
  Press("LPaintBox", Qt::RightButton, 351);
  Find<QTabWidget>("MainPageControl")->setCurrentIndex(3);
  Click("MuteButton");
  expectColumns({{"LPaintBox", 350, 76, 76, kRed}, {"LPaintBox", 500, 76, 152, kGrey}});
  Click("UndoButton");
  expectColumns({{"LPaintBox", 350, 0, 76, kRed}});

  // A view of fewer frames than columns is drawn as the trace.
  Find<QTabWidget>("MainPageControl")->setCurrentIndex(1);
  form->View().Sel.SelEnd = form->View().Sel.SelStart + 700;
  Click("ZoomBitBtn");
  const QImage peaks = Picture("LPaintBox");
  Click("PeaksCheckBox");
  EXPECT_EQ(Picture("LPaintBox"), peaks);
}

TEST_F(StripDrawingTest, FramesPastTheSoundDrawAsTheMiddleLine) {
  StartWith(WriteSpikedWave(761, 16384, -16384, 350));
  Press("LPaintBox", Qt::LeftButton, 760);
  Click("ZoomBitBtn");
  ASSERT_EQ(Viewed(), std::make_pair(760, 761));

  // Columns up to 380 read the last frame, the rest the frame after it.
  const QImage left = Picture("LPaintBox");
  EXPECT_EQ(At(left, 100, 38), kRed);
  EXPECT_EQ(At(left, 600, 76), kRed);
  EXPECT_EQ(At(left, 600, 38), Background());
}

TEST_F(StripDrawingTest, TheRightStripOfAMonoSoundStaysClear) {
  StartWith(WriteMonoWave(500, 16384));
  EXPECT_EQ(Drawn(Picture("RPaintBox")), 0);
  // The left strip is drawn, so the check above is not about an empty window.
  const QImage left = Picture("LPaintBox");
  EXPECT_EQ(At(left, 300, 38), kRed);
  EXPECT_GE(Drawn(left), 760);
}

TEST_F(StripDrawingTest, WithoutASoundBothStripsShowOnlyTheBackground) {
  Start();
  EXPECT_EQ(Drawn(Picture("LPaintBox")), 0);
  EXPECT_EQ(Drawn(Picture("RPaintBox")), 0);
}

using StripMouseTest = StripTest;

TEST_F(StripMouseTest, EndColumnsHitTheEndsOfTheView) {
  StartWith(WriteStereoWave("sound.wav", 1000));
  form->View().ViewStart = 100;
  form->View().ViewEnd = 500;

  Press("LPaintBox", Qt::LeftButton, 0);
  EXPECT_EQ(Selected(), std::make_pair(100, 999));
  Press("RPaintBox", Qt::RightButton, 760);
  EXPECT_EQ(Selected(), std::make_pair(100, 500));
  EXPECT_EQ(LabelText("SelStartLabel"), "0.0023 s");
  EXPECT_EQ(LabelText("SelEndLabel"), "0.0113 s");

  // Either strip serves either end; the middle button acts as the right one.
  Press("RPaintBox", Qt::LeftButton, 380);
  Press("LPaintBox", Qt::MiddleButton, 570);
  EXPECT_EQ(Selected(), std::make_pair(300, 400));
  EXPECT_EQ(Viewed(), std::make_pair(100, 500));
}

TEST_F(StripMouseTest, LabelsShowTheMarkedFramesInSeconds) {
  StartWith(WriteStereoWave("sound.wav", 22050));
  Press("LPaintBox", Qt::LeftButton, 380);  // 11024.5 rounds to 11024
  EXPECT_EQ(Selected(), std::make_pair(11024, 22049));
  EXPECT_EQ(LabelText("SelStartLabel"), "0.25 s");
  Press("LPaintBox", Qt::LeftButton, 0);
  Press("LPaintBox", Qt::RightButton, 760);
  EXPECT_EQ(Selected(), std::make_pair(0, 22049));
  EXPECT_EQ(LabelText("SelStartLabel"), "0 s");
  EXPECT_EQ(LabelText("SelEndLabel"), "0.5 s");
}

TEST_F(StripMouseTest, ADragSelectsFromPressToPointer) {
  StartWith(WriteStereoWave("sound.wav", 1000));
  QWidget* strip = Find<QWidget>("LPaintBox");
  ASSERT_TRUE(strip);
  QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(100, 40));
  QTest::mouseMove(strip, QPoint(300, 40));
  QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(300, 40));
  EXPECT_EQ(Selected(), std::make_pair(131, 394));
  QTest::mouseRelease(strip, Qt::RightButton, {}, QPoint(200, 40));
  EXPECT_EQ(Selected(), std::make_pair(131, 394));
}

using ZoomTest = StripTest;

TEST_F(ZoomTest, MonoKeepsItsFixedChannelBoxes) {
  StartWith(WriteMonoWave(1000, 0));
  for (const char* button : {"AllButton", "SelAllButton"}) {
    Press("LPaintBox", Qt::LeftButton, 300);
    Click(button);
    EXPECT_EQ(Selected(), std::make_pair(0, 999)) << button;
    EXPECT_TRUE(Checked("LeftCheckBox")) << button;
    EXPECT_FALSE(Enabled("LeftCheckBox")) << button;
    EXPECT_FALSE(Checked("RightCheckBox")) << button;
    EXPECT_FALSE(Enabled("RightCheckBox")) << button;
  }
}

// The keys click the buttons whose commands the pages' tables check; Space plays, then stops.
TEST_F(ZoomTest, KeysClickTheirButtons) {
  StartWith(WriteStereoWave("sound.wav", 1000));
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  prompts.CancelOpenFile();
  prompts.CancelSaveFile();
  prompts.CancelInput();
  for (const auto& [key, button] : std::vector<std::pair<QKeyCombination, const char*>>{
           {Qt::CTRL | Qt::Key_O, "OpenBitBtn"}, {Qt::CTRL | Qt::SHIFT | Qt::Key_S, "SaveBitBtn"},
           {Qt::CTRL | Qt::Key_N, "NewBitBtn"}, {Qt::CTRL | Qt::Key_A, "SelAllButton"}, {Qt::Key_Plus, "ZoomBitBtn"},
           {Qt::Key_Minus, "BitBtn1"}, {Qt::CTRL | Qt::Key_C, "CopyButton"}, {Qt::CTRL | Qt::Key_X, "CutButton"},
           {Qt::CTRL | Qt::Key_V, "PasteButton"}, {Qt::Key_Delete, "DeleteButton"}, {Qt::Key_Space, "PlayBitBtn"},
           {Qt::Key_Space, "StopBitBtn"}, {Qt::Key_Space, "PlayBitBtn"}, {Qt::Key_Escape, "StopBitBtn"}}) {
    QSignalSpy clicked(Find<QPushButton>(button), &QPushButton::clicked);
    QTest::keyClick(form.get(), key.key(), key.keyboardModifiers());
    EXPECT_EQ(clicked.count(), 1) << button;
  }
}

// The view's rules reach the window's view; the bar shows while there is somewhere to scroll.
TEST_F(ZoomTest, TheWheelAndTheScrollBarMoveTheView) {
  StartWith(WriteStereoWave("sound.wav", 1000));
  auto* bar = Find<QScrollBar>("ViewScrollBar");
  QWidget* strip = Find<QWidget>("LPaintBox");
  const auto wheel = [strip](int delta, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(QPointF(380, 40), strip->mapToGlobal(QPointF(380, 40)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(strip, &event);
  };
  wheel(120, Qt::ControlModifier);  // frame 500 stays under column 380
  EXPECT_EQ(Viewed(), std::make_pair(100, 899));
  wheel(-120, Qt::NoModifier);  // a tenth of the view toward the end
  EXPECT_EQ(Viewed(), std::make_pair(179, 978));
  EXPECT_EQ(bar->value(), 179);
  bar->setValue(0);
  EXPECT_EQ(Viewed(), std::make_pair(0, 799));
  EXPECT_TRUE(bar->isVisible());
  wheel(-960, Qt::ControlModifier);
  EXPECT_EQ(Viewed(), std::make_pair(0, 999));
  EXPECT_FALSE(bar->isVisible());
}

// Selecting with the mouse, the insert line, Home and End, and the keys after a click on a strip.
class StripSelection : public MainFormTest {
 protected:
  // Press at `from`, move to `to` and release there, with `modifiers` held.
  void Drag(int from, int to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    for (const auto& [type, x] : {std::pair{QEvent::MouseButtonPress, from}, std::pair{QEvent::MouseMove, to},
                                  std::pair{QEvent::MouseButtonRelease, to}}) {
      QMouseEvent event(type, QPointF(x, 50), form->LPaintBox->mapToGlobal(QPointF(x, 50)),
                        type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, modifiers);
      QApplication::sendEvent(form->LPaintBox, &event);
    }
  }
  std::pair<int32_t, int32_t> Sel() const { return {form->View().Sel.SelStart, form->View().Sel.SelEnd}; }
  std::pair<int32_t, int32_t> ViewRange() const { return {form->View().ViewStart, form->View().ViewEnd}; }
  int32_t FrameAt(int x) const { return FrameAtColumn(form->View(), x, form->LPaintBox->width()); }
};

TEST_F(StripSelection, DragShiftClickInsertLineHomeEndAndFocus) {
  Start({QString::fromStdString(WriteStereoWave("a.wav", 2000))});
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  // A hand that shakes by a pixel clicks (the start moves).
  for (const auto& [from, to, shift, sel] : std::vector<std::tuple<int, int, bool, std::pair<int, int>>>{
           {300, 100, false, {100, 300}}, {200, 201, false, {200, 300}}, {280, 280, true, {200, 280}}}) {
    Drag(from, to, shift ? Qt::ShiftModifier : Qt::NoModifier);
    EXPECT_EQ(Sel(), std::make_pair(FrameAt(sel.first), FrameAt(sel.second))) << from << " " << to;
  }

  // Two frames selected: a line at their start in both strips, with Peaks on.
  Find<QCheckBox>("PeaksCheckBox")->click();
  form->View().Sel = {FrameAt(400), FrameAt(400) + 1, true, true};
  for (TWaveStrip* strip : {form->LPaintBox, form->RPaintBox}) {
    const QImage image = strip->grab().toImage();
    EXPECT_EQ(image.pixelColor(400, 2), form->palette().color(QPalette::WindowText));
    EXPECT_EQ(image.pixelColor(400, image.height() - 3), image.pixelColor(400, 2));
    EXPECT_NE(image.pixelColor(402, 2), image.pixelColor(400, 2));
  }

  form->View().ViewStart = 500;
  form->View().ViewEnd = 899;
  QTest::keyClick(form.get(), Qt::Key_End);
  EXPECT_EQ(ViewRange(), std::make_pair(1600, 1999));
  QTest::keyClick(form.get(), Qt::Key_Home);
  EXPECT_EQ(ViewRange(), std::make_pair(0, 399));

  // A click on a strip takes the keys back from an edit field: Space plays.
  form->MainPageControl->setCurrentWidget(Find<QWidget>("LinFiltTabSheet"));
  Find<QLineEdit>("c0Edit")->setFocus();
  QTest::mouseClick(form->LPaintBox, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(QApplication::focusWidget(), form->LPaintBox);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_TRUE(Enabled("StopBitBtn"));
  Click("StopBitBtn");
}

}  // namespace
