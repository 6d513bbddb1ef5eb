// The Recent Files list and its submenu.
#include "recent_files.h"

#include <QMenu>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <string_view>

#include "atomic_write.h"
#include "format_io.h"
#include "prompts.h"
#include "settings.h"

namespace {

// The list is a few paths, each shorter than PATH_MAX: the reading stops
// here, whatever else the file holds, so that no stray content can make
// the menu slow.
constexpr size_t kLargestRecentFile = size_t{1} << 20;

std::string ListPath() {
    if (settings.startDirectory.empty()) return "Tessaril.recent";
    return settings.startDirectory + "/Tessaril.recent";
}

void StoreRecentFiles(const std::vector<std::string>& list) {
    std::string text;
    for (const std::string& path : list) text += path + "\n";
    WriteFileAtomically(ListPath(), text);
}

}  // namespace

std::vector<std::string> WithRecentFile(std::vector<std::string> list, const std::string& path) {
    std::erase(list, path);
    list.insert(list.begin(), path);
    if (list.size() > kMaxRecentFiles) list.resize(kMaxRecentFiles);
    return list;
}

std::vector<std::string> ParseRecentFiles(const std::string& text) {
    std::vector<std::string> list;
    std::string_view rest = text;
    while (!rest.empty() && list.size() < kMaxRecentFiles) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // A path no system call takes is no file to open again.
        if (line.empty() || line.size() >= PATH_MAX) continue;
        if (std::find(list.begin(), list.end(), line) == list.end()) list.emplace_back(line);
    }
    return list;
}

std::vector<std::string> RecentFiles() {
    std::string text;
    if (!ReadFileStart(ListPath(), text, kLargestRecentFile)) return {};
    // A file cut at the bound ends in part of a line, which names nothing.
    if (text.size() == kLargestRecentFile) text.erase(text.rfind('\n') + 1);
    return ParseRecentFiles(text);
}

void NoteRecentFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    StoreRecentFiles(
        WithRecentFile(RecentFiles(), error ? path : absolute.lexically_normal().string()));
}

void OpenRecentFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        std::vector<std::string> list = RecentFiles();
        std::erase(list, path);
        StoreRecentFiles(list);
        ShowMessage("File " + path + " no longer exists; it is removed from Recent Files.",
                    "File Error!");
        return;
    }
    if (LoadAnyMoleculeFile(path, true)) NoteRecentFile(path);
}

void AttachRecentFilesMenu(QMenu* menu) {
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        menu->clear();
        const std::vector<std::string> list = RecentFiles();
        if (list.empty()) menu->addAction("(none)")->setEnabled(false);
        for (size_t i = 0; i < list.size(); ++i) {
            const std::string path = list[i];
            const QString caption =
                QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(path).replace("&", "&&"));
            QObject::connect(menu->addAction(caption), &QAction::triggered, menu,
                             [path] { OpenRecentFile(path); });
        }
    });
    emit menu->aboutToShow();  // the items exist before the first showing
}
