// Undo and Redo in the window: the keys bring the strips back, and the buttons are there only
// when there is something to undo or redo and nothing plays.

#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

#include "gui/widgets/wave_strip_widget.h"
#include "processing/amplitude_tools.h"
#include "processing/command_registry.h"

#include "main_form_fixture.h"

namespace {

class UndoWindow : public MainFormTest {
 protected:
  QImage Strips() const { return form->LPaintBox->grab().toImage(); }
  std::string Buttons() const { return std::to_string(Enabled("UndoButton")) + std::to_string(Enabled("RedoButton")); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers) { QTest::keyClick(form.get(), key, modifiers); }
};

TEST_F(UndoWindow, KeysRestoreTheStripsAndTheButtonsFollowTheHistory) {
  const std::string file = WriteStereoWave("in.wav", 2000);
  Start({QString::fromStdString(file)});
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  EXPECT_EQ(Buttons(), "00");
  const QImage opened = Strips();
  const std::vector<uint8_t> image = form->Wave().Image();

  Click("MonoButton");
  EXPECT_EQ(Buttons(), "10");
  EXPECT_EQ(form->UndoButton->toolTip(), "Undo Mono");
  const QImage mono = Strips();
  EXPECT_NE(mono, opened);

  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Buttons(), "01");
  EXPECT_EQ(Strips(), opened);
  EXPECT_EQ(form->Wave().Image(), image);
  EXPECT_EQ(LabelText("NumChannelsLabel"), "2");
  EXPECT_TRUE(Enabled("RightCheckBox"));

  Key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Strips(), mono);
  Key(Qt::Key_Z, Qt::ControlModifier);
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Strips(), mono);
  EXPECT_EQ(Buttons(), "10");

  // Nothing is undone while the sound plays, by button or key.
  Click("PlayBitBtn");
  EXPECT_EQ(Buttons(), "00");
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Strips(), mono);
  Click("StopBitBtn");
  EXPECT_EQ(Buttons(), "10");

  // A click on Undo and a key that reached the queue while a command ran are dropped when it
  // ends, rather than taking the command back.
  form->RunWithDocument([&] {
    form->Recorded(CommandId::Mute, "Mute", [&] { MuteSelection(form->Wave(), form->View().Sel, *form->Gauge); });
    const QPoint at = form->UndoButton->rect().center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
      QCoreApplication::postEvent(form->UndoButton, new QMouseEvent(type, at, form->UndoButton->mapToGlobal(at),
                                                                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(form.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier));
  });
  QCoreApplication::processEvents();
  EXPECT_EQ(form->UndoButton->toolTip(), "Undo Mute");

  form->OpenWave(file);
  EXPECT_EQ(Buttons(), "00");
  EXPECT_TRUE(prompts.Shown().empty());
}

}  // namespace
