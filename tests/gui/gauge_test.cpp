#include <QEvent>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/widgets/gauge.h"
#include "main_form_fixture.h"

namespace {

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST(GaugeTest, ClampsAndShowsItsPercentage) {
  TGauge gauge;
  EXPECT_EQ(gauge.minimum(), 0);
  EXPECT_EQ(gauge.maximum(), 100);
  gauge.SetProgress(40);
  EXPECT_EQ(gauge.value(), 40);
  EXPECT_EQ(gauge.text(), "40%");
  gauge.SetProgress(250);
  EXPECT_EQ(gauge.value(), 100);
  gauge.SetProgress(-7);
  EXPECT_EQ(gauge.value(), 0);
  EXPECT_EQ(gauge.text(), "0%");
}

// A long operation holds the event loop, so a repaint left to the loop would never show.
TEST(GaugeTest, PaintsAtOnceWhenItsValueChanges) {
  TGauge gauge;
  gauge.resize(200, 17);
  gauge.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
  PaintCounter counter;
  gauge.installEventFilter(&counter);

  gauge.SetProgress(30);
  EXPECT_GT(counter.paints, 0);
  const int afterFirst = counter.paints;
  Progress& engineView = gauge;
  engineView.SetProgress(60);
  EXPECT_GT(counter.paints, afterFirst);
  EXPECT_EQ(gauge.value(), 60);
}

using WaveProgressTest = MainFormTest;

TEST_F(WaveProgressTest, DrivesCaptionAndGaugeUntilTheEnd) {
  const std::string file = WriteStereoWave("tone.wav", 100);
  Start({QString::fromStdString(file)});
  auto* gauge = Find<TGauge>("Gauge");
  TWave& wave = form->Wave();
  ASSERT_TRUE(wave.OnProgress);

  wave.OnProgress(wave, 0);
  EXPECT_EQ(Caption(), "Wait.. 0 %");
  wave.OnProgress(wave, 45);
  EXPECT_EQ(Caption(), "Wait.. 45 %");
  EXPECT_EQ(gauge->value(), 45);
  wave.OnProgress(wave, 100);
  EXPECT_EQ(gauge->value(), 100);

  wave.OnProgress(wave, -1);
  EXPECT_EQ(Caption(), "Velorin II - tone.wav");
  EXPECT_EQ(gauge->value(), 0);

  // The end restores the document's name whatever the caption showed before.
  form->setWindowTitle("Recording.. time: 3 S");
  wave.OnProgress(wave, -1);
  EXPECT_EQ(Caption(), "Velorin II - tone.wav");
}

}  // namespace
