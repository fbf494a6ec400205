// What undo costs on the 10-minute sound: each command plain and recorded for undo (the
// difference is the recording's share), and its undo and its redo.

#include <benchmark/benchmark.h>

#include <functional>
#include <vector>

#include "bench_sound.h"
#include "processing/amplitude_tools.h"
#include "processing/command_registry.h"
#include "processing/edit_commands.h"
#include "processing/linear_filters.h"
#include "processing/undo_commands.h"
#include "state/session.h"

namespace {

// A command recorded as its entry in the command table says; one that changes the sound's size or
// format is run on a fresh sound every time.
struct Command {
  CommandId Id;
  bool Fresh;
  std::function<void(Session&, Progress&)> Run;
};

const Command kNormalize{CommandId::Normalize, false, [](Session& s, Progress& p) { NormalizeSelection(s.Wave, s.View.Sel, p, 90); }};
const Command kReverse{CommandId::Reverse, false, [](Session& s, Progress& p) { ReverseSelection(s.Wave, s.View.Sel, p); }};
const Command kInvert{CommandId::Invert, false, [](Session& s, Progress& p) { ApplyWindow(s.Wave, s.View.Sel, p, WindowKind::Invert); }};
const Command kLowPass{CommandId::LowPass, false, [](Session& s, Progress& p) { RCFilterCommand(s.Wave, s.View.Sel, p, FilterKind::LowPass, "1000"); }};
const Command kToMono{CommandId::ToMono, true, [](Session& s, Progress&) { s.Wave.ConvertToMono(); }};
// A minute from the middle deleted: the selection is set before the command is recorded.
constexpr int32_t kMinute = 44100 * 60;
const Command kDelete{CommandId::Delete, true, [](Session& s, Progress&) { DeleteSelection(s); }};

// The sound is made once; a command that changes its size or format starts from a copy.
void LoadSession(Session& session, const Command& command) {
  static const std::vector<uint8_t> image = [] {
    TWave wave;
    LoadBenchSound(wave);
    return wave.Image();
  }();
  session.Wave.LoadFromImage("bench.wav", image);
  SelectAll(session.View, session.Wave);
  if (command.Id == CommandId::Delete) session.View.Sel = {9 * kMinute / 2, 11 * kMinute / 2 - 1, true, true};
}

void RunRecordedCommand(Session& session, const Command& command, Progress& gauge) {
  RunRecorded(session, RecordOf(command.Id, session), [&] { command.Run(session, gauge); });
}

// The command over the whole sound, recorded for undo or not. A conversion is run on the stereo
// sound every time: it is brought back untimed.
void BM_Command(benchmark::State& state, const Command& command, bool recorded) {
  Session session;
  LoadSession(session, command);
  NoProgress gauge;
  for (auto _ : state) {
    if (recorded) {
      RunRecordedCommand(session, command, gauge);
    } else {
      command.Run(session, gauge);
    }
    state.PauseTiming();
    // What the entry holds, in megabytes.
    state.counters["entry_MB"] = static_cast<double>(session.Undo.Held()) / 1e6;
    if (command.Fresh) LoadSession(session, command);
    session.Undo.Clear();
    state.ResumeTiming();
  }
}

// Undo, or redo, of the command's entry over the whole sound; the other way is run untimed.
void BM_UndoRedo(benchmark::State& state, const Command& command, bool redo) {
  Session session;
  LoadSession(session, command);
  NoProgress gauge;
  RunRecordedCommand(session, command, gauge);
  for (auto _ : state) {
    if (redo) {
      state.PauseTiming();
      Undo(session);
      state.ResumeTiming();
      Redo(session);
    } else {
      Undo(session);
      state.PauseTiming();
      Redo(session);
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(session.Wave.Image().data());
  }
}

}  // namespace

BENCHMARK_CAPTURE(BM_Command, Normalize, kNormalize, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, NormalizeRecorded, kNormalize, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, Reverse, kReverse, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, ReverseRecorded, kReverse, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, LowPass, kLowPass, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, LowPassRecorded, kLowPass, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, ToMono, kToMono, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, ToMonoRecorded, kToMono, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, Invert, kInvert, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, InvertRecorded, kInvert, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, DeleteMinute, kDelete, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, DeleteMinuteRecorded, kDelete, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, UndoNormalize, kNormalize, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, RedoNormalize, kNormalize, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, UndoInvert, kInvert, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, RedoInvert, kInvert, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, UndoReverse, kReverse, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, RedoReverse, kReverse, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, UndoLowPass, kLowPass, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, RedoLowPass, kLowPass, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, UndoToMono, kToMono, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, RedoToMono, kToMono, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, UndoDeleteMinute, kDelete, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, RedoDeleteMinute, kDelete, true)->Unit(benchmark::kMillisecond);
