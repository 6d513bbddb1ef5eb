// Tessaril.ini: the settings and the element table. Reading and writing
// work on text; ReadSettingsFile and WriteSettingsFile handle the file in
// the start-up directory for the process-wide records.
#pragma once

#include <string>
#include <string_view>

#include "element.h"
#include "file_result.h"
#include "settings.h"

// Reads settings text into target and appends its elements to table; the
// lines it did not take go to target.unreadLines.
void ParseSettingsText(std::string_view text, Settings& target, ElementTable& table);

// The whole file as the writer lays it out, ending with source.unreadLines.
std::string FormatSettingsText(const Settings& source, const ElementTable& table);

// startDirectory + "/Tessaril.ini".
std::string SettingsFilePath(const Settings& source);

// Reads the file in settings.startDirectory into settings and elementTable,
// first capturing the working directory there unless start-up chose another
// folder. A file that cannot be opened leaves the defaults in place and is
// not ok, with the notice "Unable to open file %s!".
FileResult ReadSettingsFile();

// Replaces the file in startDirectory with the current settings and table.
// Not ok, with a notice, when the file could not be written; the old file is
// then left whole.
FileResult WriteSettingsFile();
