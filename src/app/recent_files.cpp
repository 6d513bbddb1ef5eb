// The Recent Files list and its submenu.
#include "recent_files.h"

#include <QMenu>
#include <algorithm>
#include <filesystem>
#include <sstream>

#include "atomic_write.h"
#include "format_io.h"
#include "prompts.h"
#include "settings.h"

namespace {

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
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line) && list.size() < kMaxRecentFiles) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && std::find(list.begin(), list.end(), line) == list.end())
            list.push_back(line);
    }
    return list;
}

std::vector<std::string> RecentFiles() {
    std::string text;
    if (!ReadWholeFile(ListPath(), text)) return {};
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
