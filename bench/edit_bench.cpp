// The length-changing commands on the 10-minute sound, each beside a memmove of as many bytes as
// it moves, which is the least such a command can cost.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench_sound.h"
#include "processing/command_registry.h"
#include "processing/document_commands.h"
#include "processing/edit_commands.h"
#include "processing/undo_commands.h"
#include "state/session.h"
#include "wave/image_memory.h"

namespace {

constexpr int32_t kMinute = 44100 * 60;
constexpr int32_t kMiddle = 9 * kMinute / 2;  // minute 4.5 to 5.5 of 10
constexpr size_t kFrameBytes = 4;

const std::vector<uint8_t>& SourceImage() {
  static const std::vector<uint8_t> image = [] {
    TWave wave;
    LoadBenchSound(wave);
    return wave.Image();
  }();
  return image;
}

// The sound in memory taken as opening a file takes it (NewImage, in large pages where the system
// has them), so that freeing it, which a command without undo does, costs what it costs there.
std::vector<uint8_t> OpenedImage() {
  std::vector<uint8_t> image = NewImage(SourceImage().size());
  std::memcpy(image.data(), SourceImage().data(), image.size());
  return image;
}

enum class Edit { Delete, Cut, Crop, Paste };

// velorin-cli without a later undo runs the command alone; the window keeps what it removes,
// or where it inserted, for Undo.
void BM_Edit(benchmark::State& state, Edit edit, bool undoable) {
  Session session;
  if (!undoable) session.Undo.LimitDepth(0);
  for (auto _ : state) {
    state.PauseTiming();
    OpenDocumentImage(session, "bench.wav", OpenedImage());
    session.View.Sel = {kMiddle, kMiddle + kMinute - 1, true, true};
    if (edit == Edit::Paste) {
      CopySelection(session);
      session.View.Sel.SelEnd = kMiddle;
    }
    state.ResumeTiming();
    static constexpr CommandId kIds[] = {CommandId::Delete, CommandId::Cut, CommandId::Crop, CommandId::Paste};
    RunRecorded(session, RecordOf(kIds[static_cast<int>(edit)], session), [&] {
      switch (edit) {
        case Edit::Delete: DeleteSelection(session); break;
        case Edit::Cut: CutSelection(session); break;
        case Edit::Crop: CropToSelection(session); break;
        case Edit::Paste: PasteClipboard(session); break;
      }
    });
    benchmark::DoNotOptimize(session.Wave.Image().data());
  }
}

// A memmove of `range(0)` half minutes of the sound's bytes, one minute further on within one
// buffer. The commands find their bytes out of the cache, after the sound was loaded afresh;
// so does this, after a write over more memory than the cache holds.
void BM_Memmove(benchmark::State& state) {
  const auto bytes = static_cast<size_t>(state.range(0)) * kMinute * kFrameBytes / 2;
  std::vector<uint8_t> buffer = NewImage(bytes + size_t{kMinute} * kFrameBytes, 1);  // memory as a sound's
  std::vector<uint8_t> elsewhere(size_t{kMinute} * kFrameBytes * 8);
  for (auto _ : state) {
    state.PauseTiming();
    std::memset(elsewhere.data(), static_cast<int>(state.iterations()), elsewhere.size());
    benchmark::DoNotOptimize(elsewhere.data());
    state.ResumeTiming();
    std::memmove(buffer.data(), buffer.data() + size_t{kMinute} * kFrameBytes, bytes);
    benchmark::DoNotOptimize(buffer.data());
  }
}

void Timed(benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5); }

}  // namespace

// In place the delete moves the 4.5 minutes after the cut, the cut one minute more into the
// clipboard, the crop the one minute it keeps; the paste builds an 11-minute image either way.
BENCHMARK_CAPTURE(BM_Edit, DeleteMiddleMinute, Edit::Delete, false)->Apply(Timed);
BENCHMARK_CAPTURE(BM_Edit, CutMiddleMinute, Edit::Cut, false)->Apply(Timed);
BENCHMARK_CAPTURE(BM_Edit, CropToOneMinute, Edit::Crop, false)->Apply(Timed);
BENCHMARK_CAPTURE(BM_Edit, PasteOneMinuteInTheMiddle, Edit::Paste, false)->Apply(Timed);
// With undo the same, with the minute removed or the nine cropped away kept.
BENCHMARK_CAPTURE(BM_Edit, DeleteMiddleMinuteUndoable, Edit::Delete, true)->Apply(Timed);
BENCHMARK_CAPTURE(BM_Edit, CutMiddleMinuteUndoable, Edit::Cut, true)->Apply(Timed);
BENCHMARK_CAPTURE(BM_Edit, CropToOneMinuteUndoable, Edit::Crop, true)->Apply(Timed);
BENCHMARK_CAPTURE(BM_Edit, PasteOneMinuteInTheMiddleUndoable, Edit::Paste, true)->Apply(Timed);
// Half minutes: 1, 4.5, 5.5, 9 and 11 minutes.
BENCHMARK(BM_Memmove)->Arg(2)->Arg(9)->Arg(11)->Arg(18)->Arg(22)->Apply(Timed);
