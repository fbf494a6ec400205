#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QWheelEvent>

#include <cmath>

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

TEST_F(StripMouseTest, OnlyPressesSelect) {
  StartWith(WriteStereoWave("sound.wav", 1000));
  QWidget* strip = Find<QWidget>("LPaintBox");
  ASSERT_TRUE(strip);
  QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(100, 40));
  QTest::mouseMove(strip, QPoint(300, 40));
  QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(300, 40));
  EXPECT_EQ(Selected(), std::make_pair(131, 999));
  QTest::mouseRelease(strip, Qt::RightButton, {}, QPoint(200, 40));
  EXPECT_EQ(Selected(), std::make_pair(131, 999));
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
  for (const auto& [key, modifiers, button] : std::vector<std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*>>{
           {Qt::Key_O, Qt::ControlModifier, "OpenBitBtn"},
           {Qt::Key_S, Qt::ControlModifier, "SaveBitBtn"},
           {Qt::Key_N, Qt::ControlModifier, "NewBitBtn"},
           {Qt::Key_A, Qt::ControlModifier, "SelAllButton"},
           {Qt::Key_Plus, Qt::NoModifier, "ZoomBitBtn"},
           {Qt::Key_Minus, Qt::NoModifier, "BitBtn1"},
           {Qt::Key_Space, Qt::NoModifier, "PlayBitBtn"},
           {Qt::Key_Space, Qt::NoModifier, "StopBitBtn"},
       }) {
    QSignalSpy clicked(Find<QPushButton>(button), &QPushButton::clicked);
    QTest::keyClick(form.get(), key, modifiers);
    EXPECT_EQ(clicked.count(), 1) << button;
  }
}

// The wheel and the scroll bar run the view's rules on the window's view, and the bar is there
// only while the view is narrower than the sound.
TEST_F(ZoomTest, TheWheelAndTheScrollBarMoveTheView) {
  StartWith(WriteStereoWave("sound.wav", 1000));
  auto* bar = Find<QScrollBar>("ViewScrollBar");
  QWidget* strip = Find<QWidget>("LPaintBox");
  const auto wheel = [&](int x, int delta, Qt::KeyboardModifiers modifiers) {
    const QPointF at(x, 40);
    QWheelEvent event(at, strip->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(strip, &event);
  };
  ViewState expected = form->View();
  for (const auto& [x, delta, modifiers] : std::vector<std::tuple<int, int, Qt::KeyboardModifiers>>{
           {380, 120, Qt::ControlModifier},   // in, around the middle
           {100, 240, Qt::ControlModifier},
           {0, -120, Qt::NoModifier},          // toward the end
           {0, 360, Qt::NoModifier},
           {700, -960, Qt::ControlModifier},  // out to the whole sound
       }) {
    SCOPED_TRACE(testing::Message() << x << " " << delta << " " << modifiers);
    if (modifiers) {
      ZoomAround(expected, form->Wave(), FrameAtColumn(expected, x, 761), x, 761, std::pow(0.8, delta / 120.0));
    } else {
      ScrollView(expected, form->Wave(), expected.ViewStart - delta / 120 * (expected.ViewEnd - expected.ViewStart) / 10);
    }
    wheel(x, delta, modifiers);
    EXPECT_EQ(Viewed(), std::make_pair(expected.ViewStart, expected.ViewEnd));
    EXPECT_EQ(bar->isVisible(), ViewNarrowerThanWave(expected, form->Wave()));
    EXPECT_EQ(bar->value(), bar->isVisible() ? expected.ViewStart : bar->value());
  }
  Press("LPaintBox", Qt::LeftButton, 300);
  Click("ZoomBitBtn");
  bar->setValue(10);
  EXPECT_EQ(Viewed(), std::make_pair(10, 10 + 999 - 394));
}

}  // namespace
