// The undo history on molecules of 1,000 to 100,000 atoms (six-rings chained
// together): recording a step before a command, and undoing and redoing a
// join of two atoms, with the memory one step holds.
#include <benchmark/benchmark.h>

#include <string>

#include "atomic_write.h"
#include "editing.h"
#include "element.h"
#include "molecule.h"
#include "settings_file.h"
#include "undo.h"

namespace {

void LoadElements() {
    if (ElementCount() > 0) return;
    std::string text;
    ReadWholeFile(std::string(TESSARIL_SOURCE_DIR) + "/Tessaril.ini", text);
    ParseSettingsText(text, settings, elementTable);
}

void Link(int a, int b, int order) {
    molecule.nodes[a].neighbours.push_back(b);
    molecule.nodes[a].linkOrders.push_back(order);
    molecule.nodes[b].neighbours.push_back(a);
    molecule.nodes[b].linkOrders.push_back(order);
}

// A molecule of count atoms with the first and the last selected, and an
// empty history.
void Build(int count) {
    LoadElements();
    molecule = Molecule{};
    ClearUndoHistory();
    for (int i = 0; i < count; ++i) {
        Node node;
        node.id = i;
        node.element = ElementAt(i % 7 == 3 ? 7 : 5);
        node.position = {static_cast<float>(i % 100) * 61.25f, static_cast<float>(i / 100) * 0.5f,
                         static_cast<float>(i % 13) - 6.125f};
        AppendNode(node);
    }
    for (int i = 0; i + 1 < count; ++i) Link(i, i + 1, i % 2 == 0 ? 2 : 1);
    for (int i = 5; i < count; i += 6) Link(i, i - 5, 1);
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

}  // namespace

BENCHMARK(BM_RecordStep)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UndoJoin)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedoJoin)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
