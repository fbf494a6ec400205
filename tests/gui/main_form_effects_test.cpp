// The delay, noise and signal controls and their dialogs reach their engine commands on what was
// typed; refused input changes nothing, and a dialog stays open until its input is accepted.

#include <QLineEdit>
#include <QRadioButton>

#include <map>

#include "main_form_fixture.h"
#include "processing/delay_effects.h"
#include "gui/dialogs/echo_repeat_form.h"
#include "processing/noise_signals.h"
#include "gui/dialogs/signal_generator_form.h"

namespace {

using Command = std::function<void(Session&, Progress&)>;
using Typed = std::vector<const char*>;  // the input boxes' answers; nullptr cancels

class EffectsWindow : public MainFormTest {
 protected:
  // 8000 Hz, so that 10 ms is 80 frames; the left channel over a stretch inside the sound.
  void StartWithWave() {
    Start({QString::fromStdString(WriteStereoWave("s.wav", 2000, 8000))});
    Click("RightCheckBox");
    form->View().Sel = {37, 1411, true, false};
  }

  // Clicks `control` with `typed` answering its input boxes and expects the sound and random
  // sequence that `command` makes of a copy taken just before, and the messages shown.
  void ExpectRun(const char* control, const Typed& typed, const Command& command,
                 const QStringList& information, const QStringList& errors = {},
                 const QWidget* within = nullptr) {
    SCOPED_TRACE(control);
    prompts.ClearShown();
    for (const char* answer : typed) answer ? prompts.AnswerInput(answer) : prompts.CancelInput();
    std::unique_ptr<Session> twin = Twin();
    NoProgress quiet;
    if (command) command(*twin, quiet);
    Click(control, within);
    EXPECT_EQ(form->Wave().Image(), twin->Wave.Image());
    EXPECT_EQ(form->Document().Program.Random.Seed, twin->Program.Random.Seed);
    EXPECT_EQ(prompts.Texts(PromptKind::kInput).size(), typed.size());
    EXPECT_EQ(prompts.Texts(PromptKind::kInformation), information);
    EXPECT_EQ(prompts.Texts(PromptKind::kError), errors);
  }
};

TEST_F(EffectsWindow, DelayAndNoiseButtonsRunTheirCommandOnWhatWasTyped) {
  StartWithWave();
  using Engine = std::function<void(Session&, Progress&, const Typed&)>;
  const std::map<std::string, Engine> engine = {
      {"DelayButton",
       [](Session& s, Progress& p, const Typed& t) { DelayCommand(s.Wave, s.View.Sel, p, t[0]); }},
      {"TapDelayButton",
       [](Session& s, Progress& p, const Typed& t) {
         EchoCommand(s.Wave, s.View.Sel, p, t[0],
                     [&](std::string& amplitude) { return amplitude = t[1], true; });
       }},
      {"AddNoiseButton",
       [](Session& s, Progress& p, const Typed& t) {
         AddNoiseCommand(s.Wave, s.View.Sel, p, s.Program.Random, t[0]);
       }},
      {"RemoveNoiseButton", [](Session& s, Progress& p,
                               const Typed& t) { NoiseGateCommand(s.Wave, s.View.Sel, p, t[0]); }},
  };
  const QStringList refused = {kAbortingOperation};
  // The window's noise starts where every start of the program does, and goes on from there.
  EXPECT_EQ(form->Document().Program.Random.Seed, 0u);
  // The control, its answers, whether its command runs, and the refusal shown.
  for (const auto& [control, typed, runs, information] :
       std::vector<std::tuple<const char*, Typed, bool, QStringList>>{
           {"DelayButton", {"10"}, true, {}},
           {"TapDelayButton", {"7", "30"}, true, {}},
           {"AddNoiseButton", {"40"}, true, {}},
           {"AddNoiseButton", {"100"}, true, {}},
           {"RemoveNoiseButton", {"30"}, true, {}},
           {"DelayButton", {"-1"}, false, refused},
           {"TapDelayButton", {"-1"}, false, refused},
           {"TapDelayButton", {"10", "101"}, false, refused},
           {"AddNoiseButton", {"101"}, false, refused},
           {"RemoveNoiseButton", {"-1"}, false, refused},
           {"DelayButton", {nullptr}, false, {}},
           {"TapDelayButton", {nullptr}, false, {}},
           {"TapDelayButton", {"10", nullptr}, false, {}},
           {"AddNoiseButton", {nullptr}, false, {}},
           {"RemoveNoiseButton", {nullptr}, false, {}},
       }) {
    const Engine& run = engine.at(control);
    const Typed& answers = typed;
    ExpectRun(control, typed,
              runs ? Command([&](Session& s, Progress& p) { run(s, p, answers); }) : nullptr,
              information);
  }
}

TEST_F(EffectsWindow, TheEchoRepeatDialogKeepsRefusedInputOpenAndHidesOnceTheEchoesAreDone) {
  StartWithWave();
  Click("EchoRepeatButton");
  TEchoRepeatForm* dialog = form->EchoRepeatForm;
  ASSERT_TRUE(dialog->isVisible());
  const auto edits = [dialog] {
    return QStringList{dialog->EchoPeriodEdit->text(), dialog->EchoAmplitudeEdit->text()};
  };
  // What was typed, the messages, and what the edits hold afterwards.
  for (const auto& [typed, information, errors, kept] :
       std::vector<std::tuple<QStringList, QStringList, QStringList, QStringList>>{
           {{"-10", "60"}, {"The echo period must be positive."}, {}, {"100", "60"}},
           {{"20", "90.5"},
            {"The amplitude factor should be in the interval 0 to 90."},
            {},
            {"20", "50"}},
           {{"20", "0"}, {}, {kDivisionByZero}, {"20", "0"}},
       }) {
    dialog->EchoPeriodEdit->setText(typed[0]);
    dialog->EchoAmplitudeEdit->setText(typed[1]);
    ExpectRun("OKButton", {}, nullptr, information, errors, dialog);
    EXPECT_EQ(edits(), kept);
    EXPECT_TRUE(dialog->isVisible());
  }

  dialog->EchoAmplitudeEdit->setText("50");
  const Command echoes = [](Session& s, Progress& p) {
    EchoRepeat(s.Wave, s.View.Sel, p, PlanEchoRepeat("20", "50"));
  };
  ExpectRun("OKButton", {}, echoes, {}, {}, dialog);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), "Echo nr 4 of 4");
  Click("EchoRepeatButton");
  EXPECT_EQ(dialog->windowTitle(), "Echo Repeat");
}

TEST_F(EffectsWindow, TheSignalGeneratorRefusesNegativeInputAndAddsTheChosenSignal) {
  StartWithWave();
  Click("SignalGeneratorButton");
  TSignalGeneratorForm* dialog = form->SignalGeneratorForm;
  ASSERT_TRUE(dialog->isVisible());
  dialog->f0Edit->setText("441");
  dialog->AmplitudeEdit->setText("-1");
  ExpectRun("OKButton", {}, nullptr, {"Error, negative input."}, {}, dialog);
  EXPECT_TRUE(dialog->isVisible());

  dialog->AmplitudeEdit->setText("30");
  for (SignalKind kind : {SignalKind::Sine, SignalKind::Square}) {
    SCOPED_TRACE(static_cast<int>(kind));
    Click("SignalGeneratorButton");
    if (kind == SignalKind::Square) Click("SquareRadioButton", dialog);
    EXPECT_NE(dialog->SinusRadioButton->isChecked(), dialog->SquareRadioButton->isChecked());
    const Command signal = [kind](Session& s, Progress& p) {
      GenerateSignal(s.Wave, s.View.Sel, p, PlanSignal(kind, "441", "30"));
    };
    ExpectRun("OKButton", {}, signal, {}, {}, dialog);
    EXPECT_FALSE(dialog->isVisible());
  }
}

TEST_F(EffectsWindow, StereoExpandLeavesAStereoSoundSelectedOnBothChannels) {
  std::vector<int16_t> samples;
  for (int i = 0; i < 1000; ++i) samples.push_back(static_cast<int16_t>(i % 50 * 400));
  WriteBytes(dir.File("m.wav"), Wave16(samples));
  Start({Path("m.wav")});
  form->View().Sel = {100, 200, true, false};
  ExpectWired({{"StereoExpandButton", [](Session& s, Progress& p) { StereoExpand(s, p); }}});
  EXPECT_EQ(form->Wave().Channels(), 2);
  EXPECT_EQ(std::tie(form->View().Sel.SelStart, form->View().Sel.SelEnd), std::make_tuple(0, 999));
  for (const char* box : {"LeftCheckBox", "RightCheckBox"})
    EXPECT_TRUE(Checked(box) && Enabled(box)) << box;
}

}  // namespace
