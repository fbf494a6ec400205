// Rec, OK and Stop in the window through real PortAudio and ALSA: the default capture device reads
// a counter at the format's own pace, so the recording must hold it from its first frame on with
// no frame lost or doubled.

#include <QRadioButton>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "gui/dialogs/rec_options_form.h"
#include "audio/alsa_file_home.h"
#include "audio/platform/system_sound_card.h"
#include "main_form_fixture.h"

namespace {

std::vector<uint8_t> Counter(int bits, int channels, uint64_t first, size_t count) {
  std::vector<uint8_t> bytes;
  for (uint64_t k = first; k < first + count; ++k) {
    for (int c = 0; c < channels; ++c) {
      const auto v = static_cast<uint16_t>(c == 0 ? k : ~k);
      bytes.push_back(static_cast<uint8_t>(v));
      if (bits == 16) bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
  }
  return bytes;
}

class TransportDeviceTest : public MainFormTest {
 protected:
  void StartOnTheSoundCard() {
    SoundHome();
    form = std::make_unique<TMainForm>(prompts, QStringList{Path("velorin")}, systemCard.Card());
    form->show();
  }
  SystemSoundCard systemCard;
};

TEST_F(TransportDeviceTest, ARecordingFromTheSoundCardBecomesTheDocument) {
  StartOnTheSoundCard();
  struct Case {
    const char* rate;
    const char* bits;
    const char* channels;
    uint32_t sampleRate;
    int sampleBits, channelCount;
  };
  for (const Case& c : {Case{"sr22RadioButton", "r8RadioButton", "MonoRadioButton", 22050, 8, 1},
                        Case{"sr44RadioButton", "r16RadioButton", "StereoRadioButton", 44100, 16, 2}}) {
    SCOPED_TRACE(c.sampleRate);
    {
      CaptureSource source([&](uint64_t first, size_t count) { return Counter(c.sampleBits, c.channelCount, first, count); },
                           c.sampleRate, 1024);
      if (form->Document().Changes.Changed()) prompts.AnswerSaveQuestion(SaveChoice::Discard);
      Click("RecBitBtn");
      for (const char* choice : {c.rate, c.bits, c.channels}) Click(choice, form->RecOptionsForm);
      Click("OKButton", form->RecOptionsForm);
      // Stopped once two whole buffers have reached the scratch file, however slowly the device
      // started: Stop keeps what the file holds.
      const auto frameBytes = static_cast<uintmax_t>(c.channelCount * c.sampleBits / 8);
      const auto fileBytes = [&] {
        std::error_code ignored;
        const uintmax_t size = std::filesystem::file_size(form->ScratchFileName(), ignored);
        return ignored ? 0 : size;
      };
      ASSERT_TRUE(QTest::qWaitFor([&] { return fileBytes() >= 44 + 2 * 8192 * frameBytes; }, 30000))
          << fileBytes() << " bytes; " << form->Audio.ErrorMessage << "; errors: "
          << prompts.Texts(PromptKind::kError).join(" | ").toStdString();
      Click("StopBitBtn");
    }
    const TWave& wave = form->Wave();
    EXPECT_EQ(wave.SampleRate(), c.sampleRate);
    EXPECT_EQ(wave.BitsPerSample(), c.sampleBits);
    EXPECT_EQ(wave.Channels(), c.channelCount);
    ASSERT_GE(wave.SampleCount(), 8192u);
    const int64_t modulus = c.sampleBits == 8 ? 256 : 65536;
    const auto counter = [&](uint32_t i) {
      const double v = wave.GetSample(i, false);
      return c.sampleBits == 8 ? std::lround((v * 255 + 255) / 2) : std::lround((v * 65535 - 1) / 2) & 0xFFFF;
    };
    for (uint32_t i = 1; i < wave.SampleCount(); ++i) ASSERT_EQ(counter(i), (counter(i - 1) + 1) % modulus) << i;
    EXPECT_TRUE(prompts.Texts(PromptKind::kInformation).isEmpty());
  }
  prompts.AnswerSaveQuestion(SaveChoice::Discard);  // a recording is unsaved work
  form->close();
}

// In a process of its own, which then gives up on the sound system for good.
TEST_F(TransportDeviceTest, ARecordingWhoseDeviceNeverAnswersEndsByItselfSayingSo) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT({
    StartOnTheSoundCard();
    UnansweredCapture unanswered;  // a pipe without a writer
    Click("RecBitBtn");
    Click("OKButton", form->RecOptionsForm);
    std::cerr << (QTest::qWaitFor([&] { return !form->Recording(); }, 10000) ? "ended: " : "recording: ") << prompts.Texts(PromptKind::kError).join(" | ").toStdString() << '\n';
    // _Exit leaves the folders, as it leaves every destructor.
    for (const std::string& folder : {dir.Path().string(), SoundHome()}) std::filesystem::remove_all(folder);
    std::_Exit(0);
  }, testing::ExitedWithCode(0), "\nended: The sound system does not answer\n");
}

}  // namespace
