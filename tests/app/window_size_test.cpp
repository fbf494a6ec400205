// The window grows from its smallest size, today's, and the ruler and strips take the room.

#include <QCoreApplication>
#include <QGroupBox>

#include "views/time_ruler_widget.h"
#include "views/wave_strip_widget.h"

#include "main_form_fixture.h"

namespace {

using WindowSize = MainFormTest;

TEST_F(WindowSize, TheStripsAndRulerTakeTheExtraRoomAndClicksFollowTheirWidth) {
  Start({QString::fromStdString(WriteStereoWave("a.wav", 2000))});
  EXPECT_EQ(form->minimumSize(), QSize(792, 563));
  form->resize(1200, 800);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->LPaintBox->geometry(), QRect(24, 126, 1169, 271));
  EXPECT_EQ(form->RPaintBox->geometry(), QRect(24, 397, 1169, 272));
  EXPECT_EQ(form->TimeRuler->width(), 1169);
  EXPECT_EQ(form->height() - Find<QGroupBox>("SelectionGroupBox")->geometry().bottom(), 563 - 552);
  EXPECT_GT(Find<QWidget>("Gauge")->y(), form->RPaintBox->geometry().bottom());

  // The last column is the view's last frame, however wide the strip.
  QTest::mouseClick(form->RPaintBox, Qt::RightButton, {}, QPoint(1168, 20));
  EXPECT_EQ(form->View().Sel.SelEnd, 1999);
  form->resize(792, 563);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->RPaintBox->geometry(), QRect(24, 279, 761, 153));
}

}  // namespace
