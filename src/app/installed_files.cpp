// Finding the installed files relative to the running executable, so that an
// installed tree works wherever its prefix was chosen at install time.
#include "installed_files.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "settings.h"

namespace fs = std::filesystem;

namespace {

// relative (from the executable's folder to an installed file) as a full
// path when that file exists; empty for a program that is not installed.
std::string InstalledFile(std::string_view relative) {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const fs::path file = (executable.parent_path() / relative).lexically_normal();
    return fs::is_regular_file(file, error) ? file.string() : std::string();
}

// The launcher's folder: $XDG_CONFIG_HOME/tessaril where that is an absolute
// path, ~/.config/tessaril otherwise; empty when neither can be named.
fs::path PerUserFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return fs::path(config) / "tessaril";
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    return fs::path(home) / ".config" / "tessaril";
}

// Copies shipped to folder/Tessaril.ini unless that exists. The copy is made
// under a temporary name and linked into place, so an interrupted copy leaves
// no half file and one made meanwhile by a second start is kept (where the
// folder allows no links, the copy is moved instead). A failure leaves the
// file missing, and start-up then says so.
void SeedSettings(const fs::path& folder, const std::string& shipped) {
    const fs::path target = folder / "Tessaril.ini";
    std::error_code error;
    if (fs::exists(target, error)) return;
    const fs::path partial = folder / (".Tessaril.ini." + std::to_string(getpid()));
    if (fs::copy_file(shipped, partial, fs::copy_options::overwrite_existing, error)) {
        fs::create_hard_link(partial, target, error);
        if (error && !fs::exists(target, error)) fs::rename(partial, target, error);
    }
    fs::remove(partial, error);
}

}  // namespace

void UsePerUserSettingsWhereNeeded() {
    std::error_code error;
    if (fs::exists("Tessaril.ini", error)) return;
    const std::string shipped = InstalledFile(TESSARIL_BIN_TO_DATA "/Tessaril.ini");
    if (shipped.empty()) return;
    const fs::path folder = PerUserFolder();
    if (folder.empty() || (!fs::create_directories(folder, error) && error)) return;
    SeedSettings(folder, shipped);
    settings.startDirectory = folder.string();
}

std::string WebsiteAddress() {
    if (*TESSARIL_WEBSITE) return TESSARIL_WEBSITE;
    const std::string installed = InstalledFile(TESSARIL_BIN_TO_DOC "/README.md");
    return "file://" + (installed.empty() ? std::string(TESSARIL_SOURCE_README) : installed);
}
