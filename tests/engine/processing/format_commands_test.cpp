#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "processing/errors.h"
#include "processing/format_commands.h"
#include "state/session.h"
#include "test_support.h"

namespace {

class FormatCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wave.OnProgress = [this](TWave&, int8_t p) { reports.push_back(p); };
  }

  // A sound of `frames` frames, every byte of its data counting up, shown whole with a part
  // of it selected, so that each command must select all by itself.
  void Open(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t frames) {
    std::vector<uint8_t> data(size_t{frames} * channels * bits / 8);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
    wave.LoadFromImage("w.wav", CanonicalWave(channels, rate, bits, data));
    ShowWholeWave(state, wave);
    SelectPart();
    reports.clear();
  }

  void SelectPart() { state.Sel = {1, 2, false, true}; }

  void ExpectAllSelected() const {
    EXPECT_EQ(state.Sel.SelStart, 0);
    EXPECT_EQ(state.Sel.SelEnd, static_cast<int32_t>(wave.SampleCount()) - 1);
    EXPECT_TRUE(state.Sel.Left);
    EXPECT_EQ(state.Sel.Right, wave.Channels() == 2);
  }

  int Ends() const { return static_cast<int>(std::count(reports.begin(), reports.end(), -1)); }

  void ExpectCD(uint32_t frames) {
    EXPECT_EQ(wave.SampleRate(), 44100u);
    EXPECT_EQ(wave.BitsPerSample(), 16);
    EXPECT_EQ(wave.Channels(), 2);
    EXPECT_EQ(wave.Header().BytesPerSec, 176400u);
    EXPECT_EQ(wave.Header().BlockAlign, 4);
    EXPECT_EQ(wave.SampleCount(), frames);
    EXPECT_EQ(std::memcmp(wave.Image().data(), &wave.Header(), 44), 0);
    ExpectAllSelected();
  }

  Session session;
  TWave& wave = session.Wave;
  ViewState& state = session.View;
  std::vector<int> reports;
};

TEST_F(FormatCommandsTest, RateConversionsKeepTheViewOnTheSameStretchOfTime) {
  Open(2, 22050, 16, 1000);
  state.ViewStart = 100;
  state.ViewEnd = 301;
  ConvertFormat(session, FormatConversion::DoubleRate);
  EXPECT_EQ(state.ViewStart, 100);
  EXPECT_EQ(state.ViewEnd, 602);
  EXPECT_EQ(wave.SampleCount(), 1998u);
  ExpectAllSelected();
  SelectPart();
  ConvertFormat(session, FormatConversion::HalveRate);
  ExpectAllSelected();
  ConvertFormat(session, FormatConversion::HalveRate);
  EXPECT_EQ(state.ViewEnd, 150);
  EXPECT_EQ(state.ViewStart, 100);

  // Halving goes toward zero; a view far past the sound stays within 32 bits.
  state.ViewEnd = -7;
  ConvertFormat(session, FormatConversion::HalveRate);
  EXPECT_EQ(state.ViewEnd, -3);
  state.ViewEnd = std::numeric_limits<int32_t>::max() - 1;
  ConvertFormat(session, FormatConversion::DoubleRate);
  EXPECT_EQ(state.ViewEnd, std::numeric_limits<int32_t>::max());
}

TEST_F(FormatCommandsTest, CDFormatDoublesHalvesAndWidensToCDFormat) {
  // 22050 Hz 8-bit mono: one doubling, relabelled, then 16 bits, then stereo.
  Open(1, 22050, 8, 100);
  ConvertToCDFormat(session);
  ExpectCD(198);
  EXPECT_EQ(state.ViewEnd, 198);
  EXPECT_EQ(Ends(), 3);

  // 11025 Hz: two doublings, and the view's end grows with them.
  Open(2, 11025, 16, 100);
  ConvertToCDFormat(session);
  ExpectCD(2 * (2 * 100 - 2) - 2);
  EXPECT_EQ(state.ViewEnd, 99 * 4);
  EXPECT_EQ(Ends(), 2);

  // 176400 Hz: two halvings.
  Open(1, 176400, 16, 1001);
  ConvertToCDFormat(session);
  ExpectCD(250);
  EXPECT_EQ(state.ViewEnd, 1000 / 4);
  EXPECT_EQ(Ends(), 3);

  // 88200 Hz 8-bit stereo: one halving and 16 bits.
  Open(2, 88200, 8, 10);
  ConvertToCDFormat(session);
  ExpectCD(5);
}

TEST_F(FormatCommandsTest, TheOtherConversionsKeepTheViewAndSelectAllAlsoWhenTheFormatIsAtHand) {
  Open(2, 22050, 16, 10);
  state.ViewEnd = 77;
  using enum FormatConversion;
  // The first two and the repeats find their format at hand.
  for (FormatConversion conversion :
       {ToStereo, To16Bit, ToMono, ToMono, To8Bit, To8Bit, ToStereo, To16Bit}) {
    SCOPED_TRACE(static_cast<int>(conversion));
    SelectPart();
    ConvertFormat(session, conversion);
    ExpectAllSelected();
    EXPECT_EQ(state.ViewEnd, 77);
  }
  EXPECT_EQ(wave.Channels(), 2);
  EXPECT_EQ(wave.BitsPerSample(), 16);
}

TEST_F(FormatCommandsTest, CDFormatOfACDSoundChangesNothingButTheSelection) {
  Open(2, 44100, 16, 500);
  const std::vector<uint8_t> image = wave.Image();
  ConvertToCDFormat(session);
  EXPECT_EQ(wave.Image(), image);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(state.ViewEnd, 499);
  ExpectAllSelected();
}

TEST_F(FormatCommandsTest, CDFormatRefusesOtherRatesBeforeChangingAnything) {
  for (uint32_t rate : {48000u, 32000u, 8000u, 5512u, 1u}) {
    SCOPED_TRACE(rate);
    Open(1, rate, 8, 10);
    const std::vector<uint8_t> image = wave.Image();
    try {
      ConvertToCDFormat(session);
      FAIL() << "converted";
    } catch (const InputRefused& refusal) {
      EXPECT_STREQ(refusal.what(),
                   "Incompatible samplerate; use SoundRec to convert manually to 44 kHz 16 bit stereo PCM wave.");
    }
    EXPECT_EQ(wave.Image(), image);
    EXPECT_EQ(wave.Channels(), 1);
    EXPECT_EQ(state.ViewEnd, 9);
    EXPECT_EQ(state.Sel.SelEnd, 2);
    EXPECT_TRUE(reports.empty());
  }
}

TEST_F(FormatCommandsTest, CDFormatRefusesAResultTooLargeBeforeTheFirstStep) {
  // 256 MiB of 11025 Hz 8-bit mono would grow sixteenfold, past the WAV limit.
  wave.CreateSilent("long.wav", 24348);
  SelectPart();
  const TWaveHeader header = wave.Header();
  try {
    ConvertToCDFormat(session);
    ADD_FAILURE() << "converted";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("(4294987176 bytes, "), std::string::npos) << e.what();
  }
  EXPECT_EQ(std::memcmp(&wave.Header(), &header, 44), 0);
  EXPECT_EQ(state.Sel.SelEnd, 2);
  EXPECT_TRUE(reports.empty());
}

}  // namespace
