// What undo costs on the 10-minute sound: each command plain and recorded for undo (the
// difference is the recording's share), and its undo and its redo.

#include <benchmark/benchmark.h>

#include <functional>

#include "bench_sound.h"
#include "processing/amplitude_tools.h"
#include "processing/linear_filters.h"
#include "processing/undo_commands.h"
#include "state/session.h"

namespace {

struct Command {
  bool WholeImage;
  std::function<void(Session&, Progress&)> Run;
  // How the command is recorded, where not as the selection's frames or the whole image.
  UndoRecord (*Record)(std::string, const Session&) = nullptr;
};

const Command kNormalize{false, [](Session& s, Progress& p) { NormalizeSelection(s.Wave, s.View.Sel, p, 90); }};
// The sound made quieter: two old codes may lead to one new one, and undo keeps a bit for each sample.
const Command kNormalizeQuieter{false, [](Session& s, Progress& p) { NormalizeSelection(s.Wave, s.View.Sel, p, 30); }};
const Command kReverse{false, [](Session& s, Progress& p) { ReverseSelection(s.Wave, s.View.Sel, p); }, ReverseRecord};
const Command kLowPass{false, [](Session& s, Progress& p) { RCFilterCommand(s.Wave, s.View.Sel, p, FilterKind::LowPass, "1000"); }};
const Command kToMono{true, [](Session& s, Progress&) { s.Wave.ConvertToMono(); }};

void LoadSession(Session& session) {
  LoadBenchSound(session.Wave);
  SelectAll(session.View, session.Wave);
}

UndoRecord RecordOf(const Command& command, const Session& session) {
  if (command.Record) return command.Record("bench", session);
  return command.WholeImage ? WholeImageRecord("bench") : SelectionRecord("bench", session.Wave, session.View.Sel);
}

// The command over the whole sound, recorded for undo or not. A conversion is run on the stereo
// sound every time: it is brought back untimed.
void BM_Command(benchmark::State& state, const Command& command, bool recorded) {
  Session session;
  LoadSession(session);
  NoProgress gauge;
  for (auto _ : state) {
    if (recorded) {
      RunRecorded(session, RecordOf(command, session), [&] { command.Run(session, gauge); });
    } else {
      command.Run(session, gauge);
    }
    state.PauseTiming();
    if (command.WholeImage) LoadSession(session);
    session.Undo.Clear();
    state.ResumeTiming();
  }
}

// Undo, or redo, of the command's entry over the whole sound; the other way is run untimed.
void BM_UndoRedo(benchmark::State& state, const Command& command, bool redo) {
  Session session;
  LoadSession(session);
  NoProgress gauge;
  RunRecorded(session, RecordOf(command, session), [&] { command.Run(session, gauge); });
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
BENCHMARK_CAPTURE(BM_Command, NormalizeQuieter, kNormalizeQuieter, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, NormalizeQuieterRecorded, kNormalizeQuieter, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, UndoNormalize, kNormalize, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, RedoNormalize, kNormalize, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, UndoNormalizeQuieter, kNormalizeQuieter, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, RedoNormalizeQuieter, kNormalizeQuieter, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, UndoReverse, kReverse, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, RedoReverse, kReverse, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, UndoLowPass, kLowPass, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, RedoLowPass, kLowPass, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, UndoToMono, kToMono, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, RedoToMono, kToMono, true)->Unit(benchmark::kMillisecond);
