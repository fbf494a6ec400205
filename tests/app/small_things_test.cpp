// A file that ends before its header says opens and says so; the normalization level steps by ten
// with Page Up, Page Down and the wheel.

#include <QSpinBox>
#include <QWheelEvent>

#include <cstring>

#include "main_form_fixture.h"

namespace {

using SmallThings = MainFormTest;

TEST_F(SmallThings, AnEarlyEndIsToldAndTheLevelStepsByTen) {
  std::vector<uint8_t> bytes = CanonicalWave(1, 8000, 8, std::vector<uint8_t>(4560, 128));
  const uint32_t promised = 240000;  // 30 s
  std::memcpy(bytes.data() + 40, &promised, sizeof promised);
  WriteBytes(dir.File("short.wav"), bytes);
  Start();
  prompts.ChooseOpenFile(Path("short.wav"));
  Click("OpenBitBtn");
  EXPECT_EQ(prompts.Texts(PromptKind::kInformation),
            QStringList{"short.wav ends early: the header promises 30.00 s, 0.57 s are present."});
  EXPECT_EQ(form->Wave().SampleCount(), 4560u);

  auto* level = Find<QSpinBox>("NormalizeUpDown");
  level->setValue(50);
  QTest::keyClick(level, Qt::Key_PageDown);
  EXPECT_EQ(level->value(), 40);
  QTest::keyClick(level, Qt::Key_PageUp);
  QTest::keyClick(level, Qt::Key_PageUp);
  EXPECT_EQ(level->value(), 60);
  QWheelEvent wheel(QPointF(5, 5), level->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(level, &wheel);
  EXPECT_EQ(level->value(), 50);
}

}  // namespace
