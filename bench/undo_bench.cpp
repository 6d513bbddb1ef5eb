// The undo history on molecules of 1,000 to 100,000 atoms (six-rings chained
// together): recording a step before a command, and undoing and redoing a
// join of two atoms, with the memory one step holds; and what the window pays
// per frame to tell whether the next frame would show anything new (taking
// the drawn state after a frame, comparing against it at a tick).
#include <benchmark/benchmark.h>

#include <string>

#include "atomic_write.h"
#include "bench_molecules.h"
#include "editing.h"
#include "element.h"
#include "molecule.h"
#include "picture_state.h"
#include "settings_file.h"
#include "undo.h"

namespace {

// A molecule of count atoms with the first and the last selected, and an
// empty history.
void Build(int count) {
    BuildGeneratedMolecule(count);
    ClearUndoHistory();
    molecule.nodes.front().selected = molecule.nodes.back().selected = true;
}

void Counters(benchmark::State& state) {
    state.counters["step MB"] = static_cast<double>(SnapshotBytes(TakeSnapshot())) / 1e6;
    state.counters["nodes"] = static_cast<double>(state.range(0));
}

void BM_RecordStep(benchmark::State& state) {
    Build(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        RecordUndoStep("Join Atoms");
        benchmark::DoNotOptimize(undoHistory.undo.back().molecule.atoms.data());
    }
    Counters(state);
}

// The time of Undo alone; the Redo that brings the join back is not counted.
void BM_UndoJoin(benchmark::State& state) {
    Build(static_cast<int>(state.range(0)));
    RecordUndoStep("Join Atoms");
    JoinSelectedNodes();
    for (auto _ : state) {
        if (!Undo()) state.SkipWithError("nothing to undo");
        state.PauseTiming();
        Redo();
        state.ResumeTiming();
    }
    Counters(state);
}

void BM_RedoJoin(benchmark::State& state) {
    Build(static_cast<int>(state.range(0)));
    RecordUndoStep("Join Atoms");
    JoinSelectedNodes();
    for (auto _ : state) {
        state.PauseTiming();
        Undo();
        state.ResumeTiming();
        if (!Redo()) state.SkipWithError("nothing to redo");
    }
    Counters(state);
}

void BM_PictureCheck(benchmark::State& state) {
    Build(static_cast<int>(state.range(0)));
    PictureState drawn;
    for (auto _ : state) {
        CapturePicture(drawn);
        benchmark::DoNotOptimize(PictureChanged(drawn));
    }
    state.counters["nodes"] = static_cast<double>(state.range(0));
}

}  // namespace

BENCHMARK(BM_RecordStep)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UndoJoin)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedoJoin)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PictureCheck)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
