// Reading and replacing the program's files. A regular file is replaced
// through a temporary file beside it, renamed over it once every byte is on
// disk; reading takes regular files of bounded size only, and never waits.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The largest molecule or settings file read.
constexpr size_t kLargestReadableFile = size_t{512} << 20;

// Writes bytes to path, succeeding where a plain write would and failing
// where it would fail; false when anything went wrong.
// - A symbolic link is followed; the file it names is replaced.
// - An existing regular file that may not be written is refused, untouched.
// - Otherwise the bytes go to a short-named temporary file beside the
//   target, renamed over it: a failed write leaves the old file whole and no
//   temporary file behind. Where the folder takes no temporary file or no
//   rename (a read-only folder, another user's file in a sticky folder), an
//   existing writable file is written in place.
// - An existing target that is not a regular file (a device, a FIFO) is
//   written directly, never replaced; a FIFO nobody reads is refused.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Reads the whole regular file at path into bytes. False, leaving bytes
// alone, for anything else (a folder, a FIFO, a device), for a file that
// cannot be read, and for one larger than kLargestReadableFile, in which
// case *tooLarge (when given) is set.
bool ReadWholeFile(const std::string& path, std::string& bytes, bool* tooLarge = nullptr);

// ReadWholeFile, and WriteFileAtomically, that show the user why they
// failed: "Unable to open file %s!" with the caption "File Error!".
bool ReadFileOrReport(const std::string& path, std::string& bytes);
bool WriteFileOrReport(const std::string& path, std::string_view bytes);
