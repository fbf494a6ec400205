#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>
#include <string>
#include <vector>

#include "gui/main_form.h"
#include "audio/test_sound_card.h"
#include "state/progress.h"
#include "scripted_prompts.h"
#include "test_support.h"

// A main window started in a temporary program folder, with scripted prompts and a wave input
// the test feeds.
class MainFormTest : public ::testing::Test {
 protected:
  // Starts the window with the program file in the temporary folder and `arguments` after it.
  void Start(const QStringList& arguments = {}) {
    form = std::make_unique<TMainForm>(prompts, QStringList{Path("velorin")} + arguments, soundCard.Card(),
                                       soundPlayer);
    form->show();
  }

  QString Path(const std::string& name) const { return QString::fromStdString(dir.File(name)); }

  // The dialogs share control names such as OKButton: theirs are found inside `within`.
  template <class Control>
  Control* Find(const char* name, const QWidget* within = nullptr) const {
    auto* control = (within ? within : form.get())->findChild<Control*>(QString::fromLatin1(name));
    if (!control) ADD_FAILURE() << "no control " << name;
    return control;
  }

  QString LabelText(const char* name) const {
    QLabel* label = Find<QLabel>(name);
    return label ? label->text() : QString();
  }

  bool Enabled(const char* name) const {
    QWidget* control = Find<QWidget>(name);
    return control && control->isEnabled();
  }

  bool Checked(const char* name) const {
    QAbstractButton* box = Find<QAbstractButton>(name);
    return box && box->isChecked();
  }

  // A real mouse click, so disabled controls ignore it as they would for the user.
  void Click(const char* name, const QWidget* within = nullptr) {
    if (QAbstractButton* button = Find<QAbstractButton>(name, within)) QTest::mouseClick(button, Qt::LeftButton);
  }

  QString Caption() const { return form->windowTitle(); }

  // A 16-bit stereo wave of `frames` frames whose left samples count up from 1000.
  std::string WriteStereoWave(const std::string& name, int frames, uint32_t rate = 44100) {
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i) {
      samples.push_back(static_cast<int16_t>(1000 + i));
      samples.push_back(static_cast<int16_t>(-1000 - i));
    }
    WriteBytes(dir.File(name), CanonicalWave(2, rate, 16, Words(samples)));
    return dir.File(name);
  }

  // A copy of the window's session as it stands, for the engine to run a command on beside it.
  std::unique_ptr<Session> Twin() const {
    auto twin = std::make_unique<Session>();
    twin->Wave.LoadFromImage(form->Wave().FileName(), form->Wave().Image());
    twin->View = form->View();
    twin->Program = form->Document().Program;
    return twin;
  }

  // A control and the engine command it must run on the window's session.
  struct Wiring {
    const char* control;
    std::function<void(Session&, Progress&)> command;
  };

  // Clicks each control in turn on the open document and expects exactly what its engine command
  // does to a copy taken just before: the same sound, view and selection, shown in the labels and
  // channel boxes, and the gauge back at 0.
  void ExpectWired(const std::vector<Wiring>& table) {
    for (const Wiring& row : table) {
      SCOPED_TRACE(row.control);
      std::unique_ptr<Session> twin = Twin();
      NoProgress quiet;
      row.command(*twin, quiet);
      Click(row.control);
      const ViewState& view = form->View();
      EXPECT_EQ(form->Wave().Image(), twin->Wave.Image());
      EXPECT_EQ(std::tie(view.ViewStart, view.ViewEnd, view.Sel.SelStart, view.Sel.SelEnd, view.Sel.Left,
                         view.Sel.Right),
                std::tie(twin->View.ViewStart, twin->View.ViewEnd, twin->View.Sel.SelStart,
                         twin->View.Sel.SelEnd, twin->View.Sel.Left, twin->View.Sel.Right));
      EXPECT_EQ(Checked("LeftCheckBox"), view.Sel.Left);
      EXPECT_EQ(Checked("RightCheckBox"), view.Sel.Right);
      EXPECT_EQ(LabelText("NumChannelsLabel"), QString::number(twin->Wave.Channels()));
      EXPECT_EQ(LabelText("SampleRateLabel"), QString::number(twin->Wave.SampleRate()) + " Hz");
      EXPECT_EQ(Find<QProgressBar>("Gauge")->value(), 0);
      EXPECT_TRUE(prompts.Shown().empty());
    }
  }

  TempDir dir;
  ScriptedPrompts prompts;
  TestSoundCard soundCard;
  TestWaveInput& waveInput = soundCard.WaveIn;
  // What Play hands the sound to, when the test sets one before Start; it must outlive `form`.
  ISystemSoundPlayer* soundPlayer = nullptr;
  std::unique_ptr<TMainForm> form;
};
