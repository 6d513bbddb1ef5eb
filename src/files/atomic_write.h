// Replacing a file safely: the bytes go to a temporary file in the same
// folder, which is renamed over the target only once every byte is on disk.
#pragma once

#include <string>
#include <string_view>

// True when path now holds exactly bytes. On false the old file, if any, is
// left whole and no temporary file remains.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Reads the whole file into bytes; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);
