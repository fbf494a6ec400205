#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/main_form.h"
#include "scripted_prompts.h"
#include "test_support.h"

// A main window started in a temporary program folder, with scripted prompts.
class MainFormTest : public ::testing::Test {
 protected:
  // Starts the window with the program file in the temporary folder and `arguments` after it.
  void Start(const QStringList& arguments = {}) {
    form = std::make_unique<TMainForm>(prompts, QStringList{Path("velorin")} + arguments);
    form->show();
  }

  QString Path(const std::string& name) const { return QString::fromStdString(dir.File(name)); }

  template <class Control>
  Control* Find(const char* name) const {
    auto* control = form->findChild<Control*>(QString::fromLatin1(name));
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
  void Click(const char* name) {
    if (QAbstractButton* button = Find<QAbstractButton>(name)) QTest::mouseClick(button, Qt::LeftButton);
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

  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<TMainForm> form;
};
