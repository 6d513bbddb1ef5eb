// Reading and writing the shipped Tessaril.ini in memory.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

#include "settings_file.h"

namespace {

std::string ShippedSettingsText() {
    std::ifstream in(std::string(TESSARIL_SOURCE_DIR) + "/Tessaril.ini", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void BM_ParseSettings(benchmark::State& state) {
    const std::string text = ShippedSettingsText();
    for (auto _ : state) {
        Settings target;
        ElementTable table;
        ParseSettingsText(text, target, table);
        benchmark::DoNotOptimize(table.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
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

}  // namespace

BENCHMARK_MAIN();
