// The Recent Files list of the File menu: the last molecule files loaded,
// imported, saved or exported, most recent first, kept one absolute path a
// line in Tessaril.recent beside Tessaril.ini.
#pragma once

#include <string>
#include <vector>

class QMenu;

constexpr size_t kMaxRecentFiles = 8;

// The list after path was used: path first, no repeats, at most
// kMaxRecentFiles entries.
std::vector<std::string> WithRecentFile(std::vector<std::string> list, const std::string& path);
// The list file's text parsed: blank lines, paths of PATH_MAX characters or
// more, and repeats dropped, capped.
std::vector<std::string> ParseRecentFiles(const std::string& text);

// The list as stored now (empty when the file is missing or unreadable),
// read from the file's first megabyte only.
std::vector<std::string> RecentFiles();
// Puts path (made absolute) at the top of the stored list. A list file that
// cannot be written is left as it was, silently: the list is a convenience.
void NoteRecentFile(const std::string& path);
// Opens a listed file as Load or Import would; a file that no longer exists
// is reported and taken off the list.
void OpenRecentFile(const std::string& path);
// Fills menu with the stored list each time it is about to show.
void AttachRecentFilesMenu(QMenu* menu);
