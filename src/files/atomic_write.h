// Reading and replacing the program's files. A regular file is replaced
// through a temporary file beside it, renamed over it once every byte is on
// disk; reading takes regular files of bounded size only, and never waits.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "file_result.h"

// The largest molecule or settings file read.
constexpr size_t kLargestReadableFile = size_t{512} << 20;

// The memory the system can still give the program, in bytes: what it
// reports available, swap included; the largest size_t when it does not say.
size_t AvailableMemory();

// Why a write failed.
enum class WriteFault {
    None,
    CannotOpen,  // the file, or any file in its folder, could not be made or opened
    DiskFull,    // no space or no inode left on its file system, or the quota is reached
    Failed,      // the bytes could not all be written for another reason
};

// Writes bytes to path, succeeding where a plain write would and failing
// where it would fail; false when anything went wrong, with the reason in
// *fault when given.
// - A symbolic link is followed; the file it names is replaced. A loop of
//   links is refused.
// - An existing regular file that may not be written is refused, untouched.
// - Otherwise the bytes go to a short-named temporary file beside the
//   target, renamed over it: a failed write leaves the old file whole and no
//   temporary file behind. Only where the folder refuses a new file or a
//   rename for want of permission (a read-only folder, another user's file
//   in a sticky folder) is an existing writable file written in place, and
//   then only once the space for the new bytes is reserved: a full disk
//   leaves the old file whole there too.
// - An existing target that is not a regular file (a device, a FIFO) is
//   written directly, never replaced; a FIFO nobody reads is refused.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         WriteFault* fault = nullptr);

// "Unable to open file %s!": what the person is told of a file that could
// not be opened, read or written, wherever that happened.
std::string OpenFailureText(const std::string& path);

// The message for a write to path that failed with fault: OpenFailureText,
// or for a full disk "Unable to write file %s: the disk is full.".
std::string WriteFaultMessage(const std::string& path, WriteFault fault);

// Why a read failed.
enum class ReadFault {
    None,
    CannotOpen,   // missing, unreadable, or not a regular file
    TooLarge,     // larger than the limit asked for
    OutOfMemory,  // the memory for its bytes could not be had
};

// Reads the whole regular file at path into bytes. False, leaving bytes
// alone, for anything else (a folder, a FIFO, a device), for a file that
// cannot be read, for one larger than limit, and for one larger than the
// memory available; the reason goes to *fault when given.
bool ReadWholeFile(const std::string& path, std::string& bytes, ReadFault* fault = nullptr,
                   size_t limit = kLargestReadableFile);

// The first limit bytes at most of the regular file at path (all of a
// shorter one); false, leaving bytes alone, as ReadWholeFile.
bool ReadFileStart(const std::string& path, std::string& bytes, size_t limit);

// ReadWholeFile, and WriteFileAtomically, that hand back why they failed as
// one notice with the caption "File Error!": OpenFailureText, or what stood
// in the way (the size limit, memory, a full disk).
FileResult ReadFileWithNotice(const std::string& path, std::string& bytes);
FileResult WriteFileWithNotice(const std::string& path, std::string_view bytes);
