// Selecting with the mouse in the strips, the insert line, Home and End, and the keys after a
// click on a strip.

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabWidget>

#include "state/view_state.h"
#include "views/wave_strip_widget.h"

#include "main_form_fixture.h"

namespace {

class StripSelection : public MainFormTest {
 protected:
  void Mouse(QEvent::Type type, int x, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPointF at(x, 50);
    QMouseEvent event(type, at, form->LPaintBox->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held, modifiers);
    QApplication::sendEvent(form->LPaintBox, &event);
  }
  // Press at `from`, move through `to`, release there.
  void Drag(int from, int to) {
    Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    Mouse(QEvent::MouseMove, to, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
  }
  std::pair<int32_t, int32_t> Sel() const { return {form->View().Sel.SelStart, form->View().Sel.SelEnd}; }
  std::pair<int32_t, int32_t> ViewRange() const { return {form->View().ViewStart, form->View().ViewEnd}; }
  int32_t FrameAt(int x) const { return FrameAtColumn(form->View(), x, form->LPaintBox->width()); }
};

TEST_F(StripSelection, DragShiftClickInsertLineHomeEndAndFocus) {
  Start({QString::fromStdString(WriteStereoWave("a.wav", 2000))});
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

  Drag(100, 300);
  EXPECT_EQ(Sel(), std::make_pair(FrameAt(100), FrameAt(300)));
  Drag(300, 100);
  EXPECT_EQ(Sel(), std::make_pair(FrameAt(100), FrameAt(300)));
  // A hand that shakes by a pixel clicks: the start moves, the end stays.
  Drag(200, 201);
  EXPECT_EQ(Sel(), std::make_pair(FrameAt(200), FrameAt(300)));
  Mouse(QEvent::MouseButtonPress, 280, Qt::LeftButton, Qt::ShiftModifier);
  Mouse(QEvent::MouseButtonRelease, 280, Qt::NoButton, Qt::ShiftModifier);
  EXPECT_EQ(Sel(), std::make_pair(FrameAt(200), FrameAt(280)));

  // Two frames selected: a line at their start in both strips, with Peaks on.
  Find<QCheckBox>("PeaksCheckBox")->click();
  form->View().Sel.SelStart = FrameAt(400);
  form->View().Sel.SelEnd = FrameAt(400) + 1;
  const QColor line = form->palette().color(QPalette::WindowText);
  for (TWaveStrip* strip : {form->LPaintBox, form->RPaintBox}) {
    const QImage image = strip->grab().toImage();
    EXPECT_EQ(image.pixelColor(400, 2), line);
    EXPECT_EQ(image.pixelColor(400, image.height() - 3), line);
    EXPECT_NE(image.pixelColor(402, 2), line);
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
