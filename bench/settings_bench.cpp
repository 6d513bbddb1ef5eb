// Reading and writing the shipped Tessaril.ini in memory, and reading texts
// of 1 to 100 MB in shapes no writer makes, where the time must grow in step
// with the size.
#include <benchmark/benchmark.h>

#include <array>

#include "atomic_write.h"
#include "settings_file.h"

namespace {

std::string ShippedSettingsText() {
    std::string text;
    ReadWholeFile(std::string(TESSARIL_SOURCE_DIR) + "/Tessaril.ini", text);
    return text;
}

// Reads text into fresh settings and elements once per iteration.
void ParseEachIteration(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        Settings target;
        ElementTable table;
        ParseSettingsText(text, target, table);
        benchmark::DoNotOptimize(table.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_ParseSettings(benchmark::State& state) {
    const std::string text = ShippedSettingsText();
    ParseEachIteration(state, text);
}
BENCHMARK(BM_ParseSettings);

void BM_FormatSettings(benchmark::State& state) {
    Settings source;
    ElementTable table;
    ParseSettingsText(ShippedSettingsText(), source, table);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = FormatSettingsText(source, table);
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_FormatSettings);

// Texts of megabytes MB: one key line, one line of commas, many key lines.
void BM_ParseOddShapes(benchmark::State& state) {
    const size_t size = static_cast<size_t>(state.range(1)) << 20;
    std::string text;
    if (state.range(0) == 0) text = "@Shadows=0" + std::string(size, 'x') + "\n";
    if (state.range(0) == 1) text = "Name,Sy" + std::string(size, ',') + "\n";
    while (state.range(0) == 2 && text.size() < size) text += "@Cohesion=5\r\n";
    ParseEachIteration(state, text);
    state.SetLabel(std::array{"one key line", "one comma line",
                              "key lines"}[static_cast<size_t>(state.range(0))]);
}
BENCHMARK(BM_ParseOddShapes)->ArgsProduct({{0, 1, 2}, {1, 10, 100}})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
