// Reading and writing molecule files of 1,000 to 100,000 nodes (six-rings
// chained together, alternating double and single links), next to the floor
// of reading the same bytes line by line with std::getline; and reading
// texts of 1 to 100 MB in shapes no writer makes, where the time must grow
// in step with the size.
#include <benchmark/benchmark.h>

#include <array>
#include <sstream>

#include "atomic_write.h"
#include "bench_molecules.h"
#include "element.h"
#include "molecule.h"
#include "molecule_file.h"
#include "settings_file.h"

namespace {

// The text of a molecule of count nodes.
std::string GeneratedFile(int count) {
    BuildGeneratedMolecule(count);
    molecule.name = "Generated";
    return FormatMoleculeText();
}

const std::string& File(int count) {
    static std::string files[3];
    const int slot = count == 1000 ? 0 : (count == 10000 ? 1 : 2);
    if (files[slot].empty()) files[slot] = GeneratedFile(count);
    return files[slot];
}

void Report(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}

void BM_GetlineFloor(benchmark::State& state) {
    const std::string& text = File(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::istringstream in(text);
        std::string line;
        size_t characters = 0;
        while (std::getline(in, line)) characters += line.size();
        benchmark::DoNotOptimize(characters);
    }
    Report(state, text.size());
}

void BM_ParseMolecule(benchmark::State& state) {
    const std::string& text = File(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ParseMoleculeText(text);
        benchmark::DoNotOptimize(molecule.nodes.data());
    }
    Report(state, text.size());
}

void BM_FormatMolecule(benchmark::State& state) {
    const std::string& text = File(static_cast<int>(state.range(0)));
    ParseMoleculeText(text);
    for (auto _ : state) {
        const std::string written = FormatMoleculeText();
        benchmark::DoNotOptimize(written.data());
    }
    Report(state, text.size());
}

// Texts of megabytes MB: one node line with a huge link list, one name
// line, no line end at all, empty lines, and lines ended by a lone CR.
std::string OddText(int shape, int megabytes) {
    const size_t size = static_cast<size_t>(megabytes) << 20;
    std::string text;
    text.reserve(size + 16);
    switch (shape) {
        case 0:
            text = "(0)C{";
            while (text.size() < size) text += "1,";
            text += "}[1,2,3]\n";
            break;
        case 1:
            text = "[" + std::string(size, 'x') + "]\n";
            break;
        case 2:
            text.assign(size, 'x');
            break;
        case 3:
            text.assign(size, '\n');
            break;
        default:
            while (text.size() < size) text += "# a comment\r";
            break;
    }
    return text;
}

void BM_ParseOddShapes(benchmark::State& state) {
    LoadShippedElements();
    const std::string text =
        OddText(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        ParseMoleculeText(text);
        benchmark::DoNotOptimize(molecule.nodes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.SetLabel(std::array{"one link line", "one name line", "no line end", "empty lines",
                              "CR lines"}[static_cast<size_t>(state.range(0))]);
}

}  // namespace

BENCHMARK(BM_ParseOddShapes)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {1, 10, 100}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetlineFloor)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseMolecule)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatMolecule)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
