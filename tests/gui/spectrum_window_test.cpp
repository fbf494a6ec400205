// The spectrum window draws the document's spectrum from the selection start with its own scale,
// origin and size, reads frequencies off its surface, and is shown and hidden by the View page.

#include <QApplication>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "main_form_fixture.h"
#include "analysis/spectrum.h"
#include "gui/dialogs/spectrum_form.h"

namespace {

constexpr int kFrames = 4096;

class SpectrumWindowTest : public MainFormTest {
 protected:
  // Left a sine at 1/8 of the rate (bin 128), right one at 1/32 (bin 32), both at half scale.
  void StartWithSines(bool open = true) {
    std::vector<int16_t> samples;
    for (int i = 0; i < kFrames; ++i)
      for (const int period : {8, 32})
        samples.push_back(static_cast<int16_t>(std::lround(16384 * std::sin(2 * std::numbers::pi * i / period))));
    WriteBytes(dir.File("sines.wav"), CanonicalWave(2, 44100, 16, Words(samples)));
    Start(open ? QStringList{Path("sines.wav")} : QStringList{});
    Find<QTabWidget>("MainPageControl")->setCurrentIndex(1);
  }

  QWidget* Window() const { return form->SpectrumForm; }
  QWidget* Surface() const { return Find<QWidget>("SpectrumPaintBox", Window()); }
  QSpinBox* UpDown(const char* name) const { return Find<QSpinBox>(name, Window()); }
  std::pair<bool, bool> CheckedAndShown() const { return {Checked("SpectrumCheckBox"), Window()->isVisible()}; }

  // The highest pixel of `colour` on the surface, leftmost first; none when it is not drawn.
  std::optional<QPoint> Top(const QColor& colour) const {
    const QImage picture = Surface()->grab().toImage();
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x)
        if (QColor(picture.pixel(x, y)) == colour) return QPoint(x, y);
    return std::nullopt;
  }

  // Where the engine puts the highest point of a curve on the surface as it is now.
  std::optional<QPoint> EngineTop(bool drawn, const std::array<double, kSpectrumBins>& powers) const {
    const auto points = SpectrumPoints(powers, Surface()->width(), Surface()->height(),
                                       UpDown("YScaleUpDown")->value(), UpDown("Y0UpDown")->value());
    const auto top = std::min_element(points.begin(), points.end(), [](auto& a, auto& b) { return a.Y < b.Y; });
    return drawn ? std::optional(QPoint(top->X, top->Y)) : std::nullopt;
  }
};

TEST_F(SpectrumWindowTest, CurvesFollowStartScaleOriginAndFlagsAndTheMouseReadsTheFrequency) {
  StartWithSines();
  Click("SpectrumCheckBox");
  // The left peak, bin 128, at x = round(128 / 511 * 295).
  ASSERT_EQ(Top(QColor(255, 0, 0)).value_or(QPoint()).x(), 74);
  // From the last frame on all is silence, drawn on the bottom row, where green would hide red.
  for (const auto& [selStart, yScale, y0, left, right] : std::vector<std::tuple<int32_t, int, int, bool, bool>>{
           {0, 5, 10, true, true}, {0, 5, 10, true, false}, {0, 5, 10, false, false},
           {1000, 2, 30, true, true}, {kFrames - 1, 5, 10, true, false}, {kFrames + 500, 5, 10, false, true}}) {
    SCOPED_TRACE(testing::Message() << selStart << " " << yScale << " " << y0 << " " << left << right);
    form->View().Sel.SelStart = selStart;
    UpDown("YScaleUpDown")->setValue(yScale);
    UpDown("Y0UpDown")->setValue(y0);
    if (Checked("LeftCheckBox") != left) Click("LeftCheckBox");
    if (Checked("RightCheckBox") != right) Click("RightCheckBox");
    const SpectrumPowers powers = ComputeSpectrum(form->Wave(), selStart);
    EXPECT_EQ(Top(QColor(255, 0, 0)), EngineTop(left, powers.Left));
    EXPECT_EQ(Top(QColor(0, 255, 0)), EngineTop(right, powers.Right));
  }
  EXPECT_TRUE(prompts.Shown().empty());
  // The readout takes the sound's rate and the surface's width.
  for (const auto& [x, caption] : std::vector<std::pair<int, QString>>{
           {0, "Spectrum - 0 Hz"}, {59, "Spectrum - 4410 Hz"}, {295, "Spectrum - 22050 Hz"}}) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, 60), Surface()->mapToGlobal(QPointF(x, 60)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Surface(), &move);
    EXPECT_EQ(Window()->windowTitle(), caption);
  }
  // A sound of another rate: the readout follows the spectrum without the mouse moving.
  form->OpenWave(WriteStereoWave("slower.wav", 2000, 22050));
  EXPECT_EQ(Window()->windowTitle(), "Spectrum - 11025 Hz");
}

TEST_F(SpectrumWindowTest, TheBoxShowsTheWindowOnlyWithADocumentAndClosingItUnchecksTheBox) {
  StartWithSines(false);
  Click("SpectrumCheckBox");
  EXPECT_EQ(CheckedAndShown(), std::make_pair(false, false));
  form->OpenWave(dir.File("sines.wav"));
  Click("SpectrumCheckBox");
  UpDown("YScaleUpDown")->setValue(7);
  UpDown("Y0UpDown")->setValue(3);
  Window()->close();
  EXPECT_EQ(CheckedAndShown(), std::make_pair(false, false));
  // Shown again as it was left.
  Click("SpectrumCheckBox");
  EXPECT_EQ(CheckedAndShown(), std::make_pair(true, true));
  EXPECT_EQ(std::make_pair(UpDown("YScaleUpDown")->value(), UpDown("Y0UpDown")->value()), std::make_pair(7, 3));
  Click("SpectrumCheckBox");
  EXPECT_EQ(CheckedAndShown(), std::make_pair(false, false));
  EXPECT_TRUE(prompts.Shown().empty());
}

}  // namespace
