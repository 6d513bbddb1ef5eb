// The layout step: the program's SimulationStep against the plain reference
// step on the same random molecules, as steps and pair interactions per second.
// Times are wall-clock times, since the program's step of a big molecule runs
// on more than one thread; SimulationStep/threads:1 is that step kept to the
// calling thread.
#include <benchmark/benchmark.h>

#include "element.h"
#include "molecule.h"
#include "reference_step.h"
#include "settings.h"
#include "simulation.h"

namespace {

// Carbon, nitrogen, oxygen and hydrogen with the radii the reader gives them.
const std::vector<Element*>& BenchElements() {
    static ElementTable table = [] {
        ElementTable t(4);
        const float masses[] = {12.011f, 14.007f, 15.999f, 1.008f};
        for (size_t i = 0; i < t.size(); ++i) t[i].radius = ElementRadius(masses[i], 0);
        return t;
    }();
    static std::vector<Element*> pointers = {&table[0], &table[1], &table[2], &table[3]};
    return pointers;
}

void CountSteps(benchmark::State& state, int count) {
    const double pairs = static_cast<double>(count) * (count - 1) / 2;
    state.counters["steps/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["pairs/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * pairs,
                                                   benchmark::Counter::kIsRate);
}

void BM_ReferenceStep(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::vector<Node> nodes = RandomChainMolecule(count, 7, BenchElements());
    const ReferenceConditions conditions;
    for (auto _ : state) {
        ReferenceSimulationStep(nodes, conditions);
        benchmark::DoNotOptimize(nodes.data());
    }
    CountSteps(state, count);
}
BENCHMARK(BM_ReferenceStep)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(10000)
    ->UseRealTime();

void StepWithThreads(benchmark::State& state, int threads) {
    const int count = static_cast<int>(state.range(0));
    molecule = Molecule{};
    settings = Settings{};
    molecule.nodes = RandomChainMolecule(count, 7, BenchElements());
    SetLayoutThreads(threads);
    for (auto _ : state) {
        SimulationStep();
        benchmark::DoNotOptimize(molecule.nodes.data());
    }
    SetLayoutThreads(0);
    CountSteps(state, count);
}

void BM_SimulationStep(benchmark::State& state) {
    StepWithThreads(state, 0);
}
BENCHMARK(BM_SimulationStep)
    ->Arg(10)
    ->Arg(100)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(10000)
    ->UseRealTime();

void BM_SimulationStepOneThread(benchmark::State& state) {
    StepWithThreads(state, 1);
}
BENCHMARK(BM_SimulationStepOneThread)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(10000)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
