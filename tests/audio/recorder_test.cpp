#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>

#include "audio/audio_component.h"
#include "audio/message_loop.h"
#include "audio/recorder.h"
#include "audio/recording_file.h"
#include "test_support.h"
#include "test_sound_card.h"

namespace {

// Posted re-queues run on this thread's event loop, as on the window's.
void App() { EnsureMessageLoop(); }

void RunPosted() { QCoreApplication::processEvents(); }

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

class RecorderTest : public ::testing::Test {
 protected:
  RecorderTest() { App(); }
  // 16-bit stereo at the default 8192 frames: buffers of 32768 bytes.
  void StereoSixteen() {
    audio.SetBitsPerSample(recorder(), TBPS::_16);
    audio.SetChannels(recorder(), TChannels::Stereo);
  }
  TRecorder& recorder() { return audio.Recorder(); }

  TestSoundCard card;
  TestWaveInput& input = card.WaveIn;
  TAudio audio{card.Card()};
  TempDir dir;
};

TEST_F(RecorderTest, FormatWritesRebuildTheBuffers) {
  EXPECT_EQ(recorder().BufferSize, 8192);
  StereoSixteen();
  EXPECT_EQ(recorder().BufferSize, 32768);
  recorder().SetSplitChannels(true);
  EXPECT_TRUE(recorder().SplitChannels());
  audio.SetChannels(recorder(), TChannels::Mono);
  EXPECT_FALSE(recorder().SplitChannels());
  recorder().SetSplitChannels(true);
  EXPECT_FALSE(recorder().SplitChannels());
  EXPECT_EQ(recorder().BufferSize, 16384);

  audio.SetSampleRate(recorder(), 22050);
  EXPECT_EQ(recorder().WaveFormat->SamplesPerSec, 22050u);

  const uint8_t* before = recorder().Buffers[0].get();
  audio.SetAudioDeviceID(12);
  EXPECT_EQ(audio.AudioDeviceID(), -1);
  EXPECT_NE(recorder().Buffers[0].get(), nullptr);
  audio.SetVersion("5.0");
  EXPECT_EQ(audio.Version(), "4.1 (32bit)");
  (void)before;

  // 65536 frames of one byte would not fit the 16-bit size: refused, not cut.
  audio.SetNoSamples(65535);
  audio.SetChannels(recorder(), TChannels::Stereo);
  EXPECT_EQ(recorder().WaveFormat, nullptr);
  EXPECT_NE(audio.ErrorMessage.find("larger than 65535"), std::string::npos) << audio.ErrorMessage;

  TestSoundCard none;
  none.WaveIn.Devices = 0;
  TAudio bare(none.Card());
  EXPECT_EQ(bare.Recorder().WaveFormat, nullptr);
}

TEST_F(RecorderTest, ARecordingToFileGrowsByWholeBuffersAndEndsWithItsSizesPatched) {
  StereoSixteen();
  const std::string file = dir.File("rec.wav");
  recorder().RecordToFile(file);
  ASSERT_TRUE(recorder().Start());
  EXPECT_EQ(input.Queued(), 4u);
  EXPECT_EQ(recorder().AddIndex, 0);
  std::vector<uint8_t> block(32768);
  for (int n = 0; n < 6; ++n) {
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(n + i);
    input.Fill(block);
    RunPosted();
  }
  EXPECT_EQ(input.Queued(), 4u);
  // While the device is open its buffers and file stay as they are.
  audio.SetSampleRate(recorder(), 22050);
  EXPECT_EQ(recorder().SampleRate(), 11025);
  recorder().SetSplitChannels(true);
  EXPECT_FALSE(recorder().SplitChannels());
  EXPECT_THROW(recorder().RecordToFile(dir.File("other.wav")), std::runtime_error);
  ASSERT_TRUE(recorder().Stop());
  const std::vector<uint8_t> bytes = ReadBytes(file);
  ASSERT_EQ(bytes.size(), 44u + 6 * 32768);
  EXPECT_EQ(U32At(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(U32At(bytes, 40), bytes.size() - 44);
  EXPECT_EQ(bytes[44 + 5 * 32768 + 1], static_cast<uint8_t>(5 + 1));
  EXPECT_FALSE(recorder().RecordingToFile);

  // Stopping before any buffer came back leaves the bare header. A re-queue posted by the last
  // recording and run only once the next has started is not for it.
  recorder().RecordToFile(file);
  ASSERT_TRUE(recorder().Start());
  input.Fill(block);
  ASSERT_TRUE(recorder().Stop());
  recorder().RecordToFile(file);
  ASSERT_TRUE(recorder().Start());
  RunPosted();
  EXPECT_EQ(input.Queued(), 4u);
  EXPECT_TRUE(recorder().IsOpen);
  ASSERT_TRUE(recorder().Stop());
  const std::vector<uint8_t> empty = ReadBytes(file);
  ASSERT_EQ(empty.size(), 44u);
  EXPECT_EQ(U32At(empty, 4), 36u);
  EXPECT_EQ(U32At(empty, 40), 0u);
  EXPECT_TRUE(recorder().Close());
  EXPECT_EQ(audio.ErrorMessage, "Recorder already closed");
}

TEST_F(RecorderTest, TheTriggerDropsBuffersBelowItsLevelAndPassesTheRestWhole) {
  audio.SetBitsPerSample(recorder(), TBPS::_16);
  recorder().TrigLevel = 1000;
  std::vector<std::pair<uint16_t, int>> events;
  audio.OnRecord = [&](TRecorder&, uint8_t* left, uint8_t*, uint16_t size) {
    int16_t first;
    std::memcpy(&first, left, 2);
    events.emplace_back(size, first);
  };
  ASSERT_TRUE(recorder().Start());
  const auto words = [](int16_t first, int16_t rest) {
    std::vector<uint8_t> bytes(16384);
    for (size_t i = 0; i < bytes.size(); i += 2) {
      const int16_t v = i == 0 ? first : rest;
      std::memcpy(&bytes[i], &v, 2);
    }
    return bytes;
  };
  input.Fill(words(999, -5000));
  input.Fill(words(-3, 1000));  // reaches the level at its second sample: passed on whole
  input.Fill(words(-7, -7));    // once triggered, everything follows
  RunPosted();
  EXPECT_EQ(events, (std::vector<std::pair<uint16_t, int>>{{16384, -3}, {16384, -7}}));
  EXPECT_EQ(input.Queued(), 4u);  // the dropped buffer went back to the device too
  recorder().Stop();

  TestSoundCard eightBitCard;
  TestWaveInput& eightBitInput = eightBitCard.WaveIn;
  TAudio eightBit(eightBitCard.Card());
  ASSERT_TRUE(eightBit.Recorder().Start());
  eightBitInput.Fill(std::vector<uint8_t>(8192, 0));
  EXPECT_TRUE(eightBit.Recorder().Triggered);  // level 0: the first byte
  eightBit.Recorder().Stop();
}

TEST_F(RecorderTest, AStereoBufferSplitsIntoTwoHalvesInPlace) {
  StereoSixteen();
  recorder().SetSplitChannels(true);
  recorder().Triggered = true;
  std::vector<int16_t> left, right;
  audio.OnRecord = [&](TRecorder&, uint8_t* l, uint8_t* r, uint16_t size) {
    left.assign(reinterpret_cast<int16_t*>(l), reinterpret_cast<int16_t*>(l + size));
    right.assign(reinterpret_cast<int16_t*>(r), reinterpret_cast<int16_t*>(r + size));
  };
  ASSERT_TRUE(recorder().Start());
  std::vector<uint8_t> frames(32768);
  for (size_t k = 0; k < 8192; ++k) {
    const int16_t l = static_cast<int16_t>(k), r = static_cast<int16_t>(-static_cast<int>(k));
    std::memcpy(&frames[4 * k], &l, 2);
    std::memcpy(&frames[4 * k + 2], &r, 2);
  }
  input.Fill(frames);
  ASSERT_EQ(left.size(), 8192u);  // 16384 bytes each
  ASSERT_EQ(right.size(), 8192u);
  EXPECT_EQ(left[8191], 8191);
  EXPECT_EQ(right[8191], -8191);
  recorder().Stop();
}

// Each failing step leaves its message and the recorder in the state a user can go on from.
TEST_F(RecorderTest, EveryFailingDeviceCallLeavesItsMessage) {
  struct Case {
    const char* name;
    std::function<void(TestWaveInput&)> arrange;
    std::function<bool(TRecorder&)> act;
    bool result;
    std::string message;
    bool open;
  };
  const auto start = [](TRecorder& r) { return r.Start(); };
  const auto startThenStop = [](TRecorder& r) { return r.Start() && r.Stop(); };
  const Case cases[] = {
      {"open", [](TestWaveInput& i) { i.OpenResult = 5; }, start, false, "Could not open the input device for recording:  test error 5", false},
      {"prepare", [](TestWaveInput& i) { i.FailingHeader = 2, i.PrepareResult = 6; }, start, false, "Error preparing header for recording:  test error 6", false},
      {"first buffer", [](TestWaveInput& i) { i.AddResult = 7; }, start, false, "Error adding next input buffer", false},
      {"start", [](TestWaveInput& i) { i.StartResult = 8; }, start, false, "Error starting wave record:  test error 8", false},
      {"later buffer", [](TestWaveInput& i) { i.AddResult = 7, i.AddFailsFrom = 3; }, start, false, "Error adding next input buffer", false},
      {"reset", [](TestWaveInput& i) { i.ResetResult = 9; }, startThenStop, false, "Error in waveInReset", true},
      {"unprepare", [](TestWaveInput& i) { i.UnprepareResult = 10; }, startThenStop, false, "Error in waveInUnprepareHeader test error 10", true},
      {"close", [](TestWaveInput& i) { i.CloseResult = 11; }, startThenStop, false, "Error closing input device", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSoundCard failing;
    TAudio component(failing.Card());
    c.arrange(failing.WaveIn);
    component.Recorder().RecordToFile(dir.File("f.wav"));
    EXPECT_EQ(c.act(component.Recorder()), c.result);
    EXPECT_EQ(component.ErrorMessage, c.message);
    EXPECT_EQ(component.Recorder().IsOpen, c.open);
    // A device left open may still be writing to the file.
    if (c.open) { EXPECT_TRUE(component.Recorder().RecordingToFile); }
    // Whatever failed, the file is a complete WAV file once the recording is stopped.
    failing.WaveIn.ResetResult = failing.WaveIn.UnprepareResult = failing.WaveIn.CloseResult = 0;
    component.Recorder().Stop();
    EXPECT_EQ(U32At(ReadBytes(dir.File("f.wav")), 4), 36u);
  }

  // Queueing a filled buffer again fails while capturing: the recording stops and its file is done.
  recorder().RecordToFile(dir.File("g.wav"));
  ASSERT_TRUE(recorder().Start());
  input.AddResult = 12;
  input.Fill(std::vector<uint8_t>(8192, 1));
  RunPosted();
  EXPECT_EQ(audio.ErrorMessage, "Error adding input buffer test error 12");
  EXPECT_FALSE(recorder().IsOpen);
  EXPECT_EQ(ReadBytes(dir.File("g.wav")).size(), 44u + 8192);
}

TEST_F(RecorderTest, StreamsAreWrittenAtOnceInterleavedWhenTheyMatch) {
  std::istringstream left(std::string(1001, 'L')), right(std::string(1001, 'R')), shorter(std::string(10, 'S'));
  recorder().RecordToFile(dir.File("s.wav"), &left, &right);
  std::vector<uint8_t> bytes = ReadBytes(dir.File("s.wav"));
  ASSERT_EQ(bytes.size(), 44u + 2002);
  EXPECT_EQ(std::string(bytes.begin() + 44, bytes.begin() + 48), "LRLR");
  EXPECT_EQ(U32At(bytes, 40), 2002u);
  EXPECT_FALSE(recorder().RecordingToFile);
  recorder().RecordToFile(dir.File("s.wav"), &left, &shorter);
  EXPECT_EQ(ReadBytes(dir.File("s.wav")).size(), 44u + 1001);
  EXPECT_THROW(recorder().RecordToFile(dir.File("missing/s.wav")), std::runtime_error);
}

// A recorder killed mid-way leaves a file that loads with all that had reached it.
// Every resolution a recording is made in: the meter reads its codes (silence at -inf, the lowest
// code at full scale with the clip light lit), and what its file holds is offered back whole.
TEST_F(RecorderTest, EveryRecordedFormatIsMeteredAndOfferedBack) {
  for (const SampleFormat& format : kSampleFormats) {
    if (!format.Recorded) continue;
    SCOPED_TRACE(format.Bits);
    audio.SetBitsPerSample(recorder(), static_cast<TBPS>(format.Kind));
    const std::string file = dir.File("rec" + std::to_string(format.Bits) + ".wav");
    recorder().RecordToFile(file);
    ASSERT_TRUE(recorder().Start());
    std::vector<uint8_t> block(recorder().BufferSize, format.SilenceByte);
    input.Fill(block);
    EXPECT_EQ(recorder().Meter.TakePeakDb(0), -INFINITY);
    EXPECT_FALSE(recorder().Meter.Clipped(0));
    std::fill_n(block.begin(), format.Bytes, 0);
    if (format.Bytes > 1) block[format.Bytes - 1] = 0x80;
    input.Fill(block);
    EXPECT_EQ(recorder().Meter.TakePeakDb(0), 0.0);
    EXPECT_TRUE(recorder().Meter.Clipped(0));
    ASSERT_TRUE(recorder().Stop());
    recorder().TakeFile().reset();  // its lock with it, as a process that ended leaves it
    const std::vector<uint8_t> kept = InterruptedRecording(file);
    ASSERT_EQ(kept.size(), 44u + 2 * block.size());
    EXPECT_EQ(kept[34], format.Bits);
  }
}

TEST_F(RecorderTest, TheSizeFieldsFollowEveryBuffer) {
  const std::string file = dir.File("live.wav");
  recorder().RecordToFile(file);
  ASSERT_TRUE(recorder().Start());
  for (uint32_t n = 1; n <= 3; ++n) {
    input.Fill(std::vector<uint8_t>(8192, 3));
    EXPECT_EQ(U32At(ReadBytes(file), 40), n * 8192);
  }
  recorder().Stop();
}

}  // namespace

namespace {

// A link at the file's place is refused, not followed, and the file it points at kept.
TEST(RecordingFileTest, NeverWritesThroughALink) {
  TempDir dir;
  WriteBytes(dir.File("victim"), {1, 2, 3});
  std::filesystem::create_symlink("victim", dir.File("r.wav"));
  const uint8_t header[44] = {};
  std::string refusal;
  try {
    RecordingFile::Create(dir.File("r.wav"), header);
  } catch (const std::runtime_error& e) {
    refusal = e.what();
  }
  EXPECT_EQ(refusal, "Cannot create file " + dir.File("r.wav") + " (it is a symbolic link)");
  EXPECT_EQ(ReadBytes(dir.File("victim")), (std::vector<uint8_t>{1, 2, 3}));
}

// The file takes whole frames up to its limit and then ends, as a whole WAV file.
TEST(RecordingFileTest, StopsAtItsLimitWithWholeFrames) {
  TempDir dir;
  uint8_t header[44] = {};
  header[32] = 4;  // four bytes a frame
  struct Row {
    uint64_t limit;
    std::vector<size_t> appends;
    uint32_t kept;
    bool full;
  };
  for (const Row& row : {Row{10, {4}, 4, false}, Row{10, {4, 4}, 8, true}, Row{10, {12}, 8, true},
                         Row{10, {4, 12, 4}, 8, true}, Row{3, {4}, 0, true}}) {
    SCOPED_TRACE(row.limit + row.appends.size());
    const auto file = RecordingFile::Create(dir.File("r.wav"), header, &std::chrono::steady_clock::now, row.limit);
    for (size_t size : row.appends) file->Append(std::vector<uint8_t>(size, 9).data(), size);
    file->Finish();
    EXPECT_EQ(file->Full(), row.full);
    EXPECT_EQ(file->Ended(), row.full);
    EXPECT_EQ(file->Failure(), "");
    const std::vector<uint8_t> bytes = ReadBytes(dir.File("r.wav"));
    EXPECT_EQ(bytes.size(), 44u + row.kept);
    EXPECT_EQ(U32At(bytes, 40), row.kept);
    EXPECT_EQ(file->Contents(), bytes);
  }
}

}  // namespace
