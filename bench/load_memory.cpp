// The memory a load of an own-format file takes at its peak, per byte of the
// file: a file of bare "(0)C" lines, the worst case (a 104-byte node for
// every 5 bytes), and a generated molecule with positions and links. Each
// load runs in a child whose peak resident size is reset just before it:
//   load_memory [MEGABYTES]        (10 by default)
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_molecules.h"
#include "molecule_file.h"

namespace {

// A /proc/self/status field in kB.
long StatusKilobytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == key) {
            long value = 0;
            status >> value;
            return value;
        }
    return -1;
}

// Loads path in a child and prints the peak it added per byte of the file.
void Measure(const char* label, const std::string& path, size_t bytes) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        std::ofstream("/proc/self/clear_refs") << "5";  // peak resident size := current
        const long before = StatusKilobytes("VmRSS:");
        const FileResult load = LoadMoleculeFile(path);
        const long peak = StatusKilobytes("VmHWM:");
        const bool loaded = load.ok;
        for (const Notice& notice : load.notices)
            std::fprintf(stderr, "%s: %s\n", notice.caption.c_str(), notice.text.c_str());
        std::printf("%-28s %7.1f MB  %9d nodes  peak +%8.1f MB  %5.1f bytes per file byte%s\n",
                    label, bytes / 1e6, NodeCount(), (peak - before) / 1024.0,
                    (peak - before) * 1024.0 / static_cast<double>(bytes),
                    loaded ? "" : "  (not loaded)");
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10;
    const size_t size = megabytes << 20;
    LoadShippedElements();
    char folder[] = "/tmp/tessaril-load-memory-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string bare = std::string(folder) + "/bare.dat";
    const std::string generated = std::string(folder) + "/generated.dat";
    {
        std::string text;
        text.reserve(size);
        while (text.size() + 5 <= size) text += "(0)C\n";
        std::ofstream(bare) << text;
    }
    BuildGeneratedMolecule(static_cast<int>(size / 33));
    const std::string text = FormatMoleculeText();
    molecule = Molecule{};
    std::ofstream(generated) << text;
    Measure("(0)C lines", bare, size);
    Measure("positions and links", generated, text.size());
    std::remove(bare.c_str());
    std::remove(generated.c_str());
    rmdir(folder);
    return 0;
}
