// Importing a 10,000-atom PDB file without bonds (caffeine molecules on a
// grid, so every bond and bond order is perceived): the library's own read
// and perception alone, and the whole import with the mapping to the model;
// building caffeine in 3D from SMILES; and exporting a long chain of carbons
// as SDF, with the library's own stereo perception (time cubic in the chain's
// length) beside the program's, and the whole export through a child process.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <sstream>

#include "atomic_write.h"
#include "bench_molecules.h"
#include "chemical_formats.h"
#include "element.h"
#include "settings_file.h"

namespace {

// Copies of the corpus caffeine, 9 Å apart, until atoms atoms are written.
const std::string& GridPdb(int atoms) {
    static std::string pdb;
    if (!pdb.empty()) return pdb;
    std::string sdf;
    ReadWholeFile(std::string(TESSARIL_SOURCE_DIR) + "/tests/data/caffeine.sdf", sdf);
    std::istringstream in(sdf);
    std::string line;
    for (int i = 0; i < 4; ++i) std::getline(in, line);
    struct Atom {
        double x, y, z;
        std::string symbol;
    };
    std::vector<Atom> caffeine(24);
    for (Atom& atom : caffeine)
        in >> atom.x >> atom.y >> atom.z >> atom.symbol, std::getline(in, line);
    char record[96];
    int serial = 0;
    for (int copy = 0; serial < atoms; ++copy) {
        const double ox = (copy % 8) * 9.0, oy = (copy / 8 % 8) * 9.0, oz = (copy / 64) * 9.0;
        for (const Atom& atom : caffeine) {
            if (serial == atoms) break;
            ++serial;
            std::snprintf(record, sizeof record,
                          "HETATM%5d %-4s UNL %5d    %8.3f%8.3f%8.3f  1.00  0.00          %2s\n",
                          serial % 100000, atom.symbol.c_str(), copy % 10000, atom.x + ox,
                          atom.y + oy, atom.z + oz, atom.symbol.c_str());
            pdb += record;
        }
    }
    pdb += "END\n";
    return pdb;
}

void BM_LibraryReadAndPerceive(benchmark::State& state) {
    LoadShippedElements();
    const std::string& text = GridPdb(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ReadWithLibraryOnly(text, ChemicalFormat::Pdb));
    state.counters["atoms"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_LibraryReadAndPerceive)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ImportWithMapping(benchmark::State& state) {
    LoadShippedElements();
    const std::string& text = GridPdb(static_cast<int>(state.range(0)));
    size_t links = 0;
    for (auto _ : state) {
        ImportResult result = ImportMoleculeText(text, ChemicalFormat::Pdb);
        if (!result.error.empty()) state.SkipWithError(result.error.c_str());
        links = 0;
        for (const Node& node : result.molecule.nodes) links += node.neighbours.size();
    }
    state.counters["atoms"] = static_cast<double>(state.range(0));
    state.counters["links"] = static_cast<double>(links / 2);
}
BENCHMARK(BM_ImportWithMapping)->Arg(10000)->Unit(benchmark::kMillisecond);

// A small file: the cost of reading in a child process stands out here.
void BM_ImportSmallFile(benchmark::State& state) {
    LoadShippedElements();
    const std::string water = "3\nwater\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n";
    for (auto _ : state) {
        ImportResult result = ImportMoleculeText(water, ChemicalFormat::Xyz);
        if (!result.error.empty()) state.SkipWithError(result.error.c_str());
    }
}
BENCHMARK(BM_ImportSmallFile)->Unit(benchmark::kMillisecond);

// Builder and force-field clean-up, on the one thread the library is given.
void BM_BuildFromSmiles(benchmark::State& state) {
    LoadShippedElements();
    for (auto _ : state) {
        ImportResult result = BuildFromSmiles("CN1C=NC2=C1C(=O)N(C(=O)N2C)C");
        if (!result.error.empty()) state.SkipWithError(result.error.c_str());
    }
}
BENCHMARK(BM_BuildFromSmiles)->Unit(benchmark::kMillisecond);

// A zigzag chain of atoms carbons, 1.25 Å apart along x.
Molecule Chain(int atoms) {
    Molecule chain;
    for (int i = 0; i < atoms; ++i) {
        Node node;
        node.id = i;
        node.element = FindElement("C");
        node.position = {i * 1.25f * kUnitsPerAngstrom, (i % 2) * 0.9f * kUnitsPerAngstrom, 0};
        if (i > 0) {
            node.neighbours = {i - 1};
            node.linkOrders = {1};
            chain.nodes.back().neighbours.push_back(i);
            chain.nodes.back().linkOrders.push_back(1);
        }
        chain.nodes.push_back(std::move(node));
    }
    return chain;
}

// In this process, as exports were written before they moved to a child:
// with the library's own stereo perception (the second argument 1, as
// before) and with the program's. The library's recursion along the chain
// needs more than the usual stack beyond some tens of thousands of atoms,
// so the sizes stop short of that.
void BM_ExportSdfInProcess(benchmark::State& state) {
    LoadShippedElements();
    const Molecule chain = Chain(static_cast<int>(state.range(0)));
    const bool libraryStereo = state.range(1) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            WriteWithLibraryOnly(chain, ChemicalFormat::Molfile, libraryStereo));
    state.counters["atoms"] = static_cast<double>(state.range(0));
    state.SetLabel(libraryStereo ? "library's stereo perception" : "program's stereo perception");
}
BENCHMARK(BM_ExportSdfInProcess)
    ->ArgsProduct({{2000, 5000, 10000}, {1, 0}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The export as the program runs it: in a child process with a deep stack,
// so 100,000 atoms too.
void BM_ExportSdfInChild(benchmark::State& state) {
    LoadShippedElements();
    const Molecule chain = Chain(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const ExportResult result = ExportMoleculeText(chain, ChemicalFormat::Molfile);
        if (!result.error.empty()) state.SkipWithError(result.error.c_str());
    }
    state.counters["atoms"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_ExportSdfInChild)
    ->Arg(2000)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
