#include "gui/pages/main_form_effects.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "gui/control_factory.h"
#include "gui/main_form.h"
#include "processing/amplitude_tools.h"
#include "processing/delay_effects.h"
#include "gui/dialogs/echo_repeat_form.h"
#include "processing/linear_filters.h"
#include "gui/dialogs/wall_filter_form.h"

namespace {

// The passes of one command share the gauge, each its part in turn, so that it only moves forward.
class PassGauge final : public Progress {
 public:
  explicit PassGauge(Progress& gauge) : gauge_(gauge) {}
  void StartPass(int pass, int passes) {
    done_ = pass - 1;
    passes_ = passes;
  }
  void SetProgress(int percent) override { gauge_.SetProgress((100 * done_ + percent) / passes_); }

 private:
  Progress& gauge_;
  int done_ = 0;
  int passes_ = 1;
};

}  // namespace

TEffectsPage::TEffectsPage(TMainForm& form) : TMainFormPage(form, "EffectsTabSheet") {
  QBoxLayout* row = AddGroup("DelayGroupBox", tr("Delay effects"));
  DelayButton = MakeButton(GroupOf(row), row, "DelayButton", tr("Dela&y"), tr("Applies a delay to the selection"));
  TapDelayButton = MakeButton(GroupOf(row), row, "TapDelayButton", tr("Ec&ho"),
                              tr("Applies a tap delay (single echo) to the selection"));
  EchoRepeatButton = MakeButton(GroupOf(row), row, "EchoRepeatButton", tr("Ech&o repeat"), tr("Repeated echo"));
  StereoExpandButton = MakeButton(GroupOf(row), row, "StereoExpandButton", tr("Stereo e&xpand"),
                                  tr("Expands the stereo image by using multiple delays"));
  row = AddGroup("MiscGroupBox", tr("Misc"));
  ReverseButton = MakeButton(GroupOf(row), row, "ReverseButton", tr("Re&verse"), tr("Reverses the selection"));
  WallButton = MakeButton(GroupOf(row), row, "WallButton", tr("&Wall"), tr("Apply wall filter"));
  EndPage();

  connect(DelayButton, &QPushButton::clicked, this, &TEffectsPage::DelayButtonClick);
  connect(TapDelayButton, &QPushButton::clicked, this, &TEffectsPage::TapDelayButtonClick);
  connect(EchoRepeatButton, &QPushButton::clicked, this, &TEffectsPage::EchoRepeatButtonClick);
  connect(StereoExpandButton, &QPushButton::clicked, this, &TEffectsPage::StereoExpandButtonClick);
  connect(ReverseButton, &QPushButton::clicked, this, &TEffectsPage::ReverseButtonClick);
  connect(WallButton, &QPushButton::clicked, this, &TEffectsPage::WallButtonClick);
}

bool TEffectsPage::AskDelay(std::string& delayText) {
  return AskText(tr("Delay"), tr("Specify delay [mS]"), QStringLiteral("100"), delayText);
}

void TEffectsPage::DelayButtonClick() {
  form_.RunWithDocument([this] {
    std::string delay;
    if (!AskDelay(delay)) return;
    form_.Recorded(CommandId::Delay, tr("Delay"), [&] { DelayCommand(form_.Wave(), form_.View().Sel, *form_.Gauge, delay); },
                   std::span(&delay, 1));
  });
}

// The amplitude is asked only once the delay has passed its check, and both before the echo is
// recorded for Undo, so that a cancelled question leaves nothing to undo.
void TEffectsPage::TapDelayButtonClick() {
  form_.RunWithDocument([this] {
    std::string delay;
    if (!AskDelay(delay)) return;
    ParseDelayMs(delay);
    std::string amplitude;
    if (!AskText(tr("Delay"), tr("Specify echo amplitude [%]"), QStringLiteral("50"), amplitude)) return;
    form_.Recorded(CommandId::Echo, tr("Echo"), [&] {
      EchoCommand(form_.Wave(), form_.View().Sel, *form_.Gauge, delay, [&](std::string& text) {
        text = amplitude;
        return true;
      });
    });
  });
}

void TEffectsPage::EchoRepeatButtonClick() {
  if (form_.Wave().Loaded()) form_.EchoRepeatForm->ShowCentredOn(form_);
}

// A refused value goes back to its default, and every failure keeps the dialog open for a
// correction. The dialog is modeless, so the document may have gone while it was shown.
void TEffectsPage::EchoRepeatFormOK() {
  TEchoRepeatForm& dialog = *form_.EchoRepeatForm;
  form_.RunWithDocument([&] {
    EchoRepeatPlan plan;
    try {
      plan = PlanEchoRepeat(dialog.EchoPeriodEdit->text().toStdString(),
                            dialog.EchoAmplitudeEdit->text().toStdString());
    } catch (const EchoPeriodRefused&) {
      dialog.ResetEchoPeriod();
      throw;
    } catch (const EchoAmplitudeRefused&) {
      dialog.ResetEchoAmplitude();
      throw;
    }
    // Up to 28 passes over the selection: the caption tells how far they have come.
    PassGauge gauge(*form_.Gauge);
    form_.Recorded(CommandId::EchoRepeat, tr("Echo repeat"), [&] {
      EchoRepeat(form_.Wave(), form_.View().Sel, gauge, plan, [&](int pass, int passes) {
        gauge.StartPass(pass, passes);
        dialog.setWindowTitle(tr("Echo nr %1 of %2").arg(pass).arg(passes));
      });
    });
    form_.Gauge->SetProgress(0);
    dialog.close();
  });
}

// The expand leaves the sound stereo with everything selected on both channels; the refresh
// brings the channel boxes and the wave information in line with that.
void TEffectsPage::StereoExpandButtonClick() {
  form_.RunWithDocument([this] {
    form_.Recorded(CommandId::StereoExpand, tr("Stereo expand"), [this] { StereoExpand(form_.Document(), *form_.Gauge); });
  });
}

void TEffectsPage::ReverseButtonClick() {
  form_.RunWithDocument([this] {
    form_.Recorded(CommandId::Reverse, tr("Reverse"), [&] { ReverseSelection(form_.Wave(), form_.View().Sel, *form_.Gauge); });
  });
}

void TEffectsPage::WallButtonClick() {
  if (form_.Wave().Loaded()) form_.WallFilterForm->ShowCentredOn(form_);
}

// Input the filter cannot take keeps the dialog open for a correction. The dialog is modeless, so
// the document may have gone while it was shown.
void TEffectsPage::WallFilterFormOK() {
  TWallFilterForm& dialog = *form_.WallFilterForm;
  form_.Guarded([&] {
    const double mass = WallMass(dialog.WallThicknessEdit->text().toStdString(),
                                 dialog.WallDensityEdit->text().toStdString());
    dialog.close();
    form_.RunOnSelection(CommandId::Wall, tr("Wall"), [mass](TWave& wave, const Selection& sel, Progress& gauge) {
      ApplyWallFilter(wave, sel, gauge, mass);
    });
  });
}
