// File replacement and whole-file reading with POSIX calls.
#include "atomic_write.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace {

bool IsDiskFull(int error) {
    return error == ENOSPC || error == EDQUOT;
}

// The fault for errno after a failed call: a full disk whatever the stage,
// else the stage's own fault.
WriteFault FaultFromErrno(WriteFault stage) {
    return IsDiskFull(errno) ? WriteFault::DiskFull : stage;
}

// All of bytes, at offset in the file, or where the file's position is when
// offset is negative (a device or FIFO has none).
bool WriteAll(int fd, std::string_view bytes, off_t offset = -1) {
    while (!bytes.empty()) {
        const ssize_t written = offset < 0 ? write(fd, bytes.data(), bytes.size())
                                           : pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
        if (offset >= 0) offset += written;
    }
    return true;
}

// The folder part of path with its final "/", or "" for a bare name.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a write to path lands in: symbolic links followed, also when
// the last one names a file that does not exist yet. False for links that
// lead round in a loop, which a plain open refuses too.
bool ResolveTarget(std::string path, std::string& target) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            target = path;
            return true;
        }
        if (char* resolved = realpath(path.c_str(), nullptr)) {
            target = resolved;
            free(resolved);
            return true;
        }
        std::vector<char> link(4096);
        const ssize_t length = readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) >= link.size()) {
            target = path;
            return true;
        }
        std::string next(link.data(), static_cast<size_t>(length));
        path = next[0] == '/' ? next : FolderOf(path) + next;
    }
    errno = ELOOP;
    return false;
}

// A device or FIFO takes the bytes as a plain write gives them. Opening does
// not wait: a FIFO without a reader fails at once.
WriteFault WriteDirectly(const std::string& path, std::string_view bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return FaultFromErrno(WriteFault::CannotOpen);
    const int flags = fcntl(fd, F_GETFL);
    WriteFault fault = WriteFault::None;
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || !WriteAll(fd, bytes))
        fault = FaultFromErrno(WriteFault::Failed);
    if (close(fd) != 0 && fault == WriteFault::None) fault = FaultFromErrno(WriteFault::Failed);
    return fault;
}

// Used only where the folder takes no temporary file: the old bytes are
// replaced in place, but never before the new ones are sure to fit. The
// space is reserved first; where the file system cannot reserve, the part
// beyond the old end is written first, so that running out of space there
// leaves the old bytes untouched. Overwriting blocks the file already holds
// needs no new space.
WriteFault WriteInPlace(int fd, std::string_view bytes) {
    struct stat info;
    if (fstat(fd, &info) != 0) return WriteFault::Failed;
    const off_t oldSize = info.st_size;
    const off_t newSize = static_cast<off_t>(bytes.size());
    if (newSize > 0) {
        int reserved;
        while ((reserved = fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, newSize)) != 0 && errno == EINTR) {
        }
        if (reserved != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
            return FaultFromErrno(WriteFault::Failed);
    }
    if (newSize > oldSize && !WriteAll(fd, bytes.substr(static_cast<size_t>(oldSize)), oldSize)) {
        const WriteFault fault = FaultFromErrno(WriteFault::Failed);
        [[maybe_unused]] const int restored = ftruncate(fd, oldSize);
        return fault;
    }
    const size_t overwritten = static_cast<size_t>(newSize < oldSize ? newSize : oldSize);
    if (!WriteAll(fd, bytes.substr(0, overwritten), 0) ||
        (newSize < oldSize && ftruncate(fd, newSize) != 0) || fsync(fd) != 0)
        return FaultFromErrno(WriteFault::Failed);
    return WriteFault::None;
}

mode_t ModeForNewFile() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The folder may not take a new file or a rename: no permission, or a
// read-only file system. Every other failure (no space, no inode, a quota)
// says nothing about whether a plain write would succeed.
bool IsRefusal(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

// Writes bytes to a temporary file beside target and renames it over target,
// with old's permissions and, where the process may, its owner. On failure
// nothing has changed; refused tells whether the folder refused the new file
// or the rename for want of permission.
WriteFault ReplaceThroughTemporary(const std::string& target, const struct stat* old,
                                   std::string_view bytes, bool& refused) {
    refused = false;
    // A short name, so that a target name of any allowed length still leaves
    // room for it.
    const std::string pattern = FolderOf(target) + ".tessaril-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        refused = IsRefusal(errno);
        return FaultFromErrno(WriteFault::CannotOpen);
    }
    WriteFault fault = WriteFault::None;
    if (fchmod(fd, old ? old->st_mode & 07777 : ModeForNewFile()) != 0) fault = WriteFault::Failed;
    if (old) {
        [[maybe_unused]] const int kept = fchown(fd, old->st_uid, old->st_gid);
    }
    if (fault == WriteFault::None && (!WriteAll(fd, bytes) || fsync(fd) != 0))
        fault = FaultFromErrno(WriteFault::Failed);
    if (close(fd) != 0 && fault == WriteFault::None) fault = FaultFromErrno(WriteFault::Failed);
    if (fault == WriteFault::None) {
        if (rename(name.data(), target.c_str()) == 0) return WriteFault::None;
        refused = IsRefusal(errno);
        fault = FaultFromErrno(WriteFault::CannotOpen);
    }
    unlink(name.data());
    return fault;
}

// A regular file beyond the process's file size limit would stop the
// program with SIGXFSZ part-way through: it is refused before any write.
bool FitsFileSizeLimit(size_t size) {
    struct rlimit limit;
    return getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           size <= limit.rlim_cur;
}

WriteFault WriteFile(const std::string& path, std::string_view bytes) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return WriteDirectly(path, bytes);

    std::string target;
    if (!ResolveTarget(path, target)) return WriteFault::CannotOpen;
    if (!FitsFileSizeLimit(bytes.size())) return WriteFault::Failed;
    bool refused = false;
    if (stat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) return FaultFromErrno(WriteFault::CannotOpen);
        return ReplaceThroughTemporary(target, nullptr, bytes, refused);
    }
    // An existing file is opened for writing first, as a plain write would:
    // one it may not write is refused before anything changes.
    const int existing = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (existing < 0) return FaultFromErrno(WriteFault::CannotOpen);
    WriteFault fault = ReplaceThroughTemporary(target, &info, bytes, refused);
    // Where the folder takes no new file or no rename (a read-only folder,
    // another user's file in a sticky folder), the file is written in place.
    if (fault != WriteFault::None && refused) fault = WriteInPlace(existing, bytes);
    if (close(existing) != 0 && fault == WriteFault::None)
        fault = FaultFromErrno(WriteFault::Failed);
    return fault;
}

// Reads at most limit bytes of the regular file at path; whole asks for the
// whole file, refusing one that is longer.
bool ReadRegularFile(const std::string& path, std::string& bytes, size_t limit, bool whole,
                     ReadFault* fault) {
    ReadFault why = ReadFault::None;
    // Never waits: a FIFO opens at once and is then refused like a device.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) why = ReadFault::CannotOpen;
    if (why == ReadFault::None && whole && static_cast<unsigned long long>(info.st_size) > limit)
        why = ReadFault::TooLarge;
    if (why == ReadFault::None && static_cast<unsigned long long>(info.st_size) > AvailableMemory())
        why = ReadFault::OutOfMemory;
    std::string content;
    try {
        if (why == ReadFault::None) {
            const size_t size = static_cast<size_t>(info.st_size);
            content.reserve(size < limit ? size : limit);
        }
        // The limit also holds for a file that grows while it is read.
        char buffer[65536];
        while (why == ReadFault::None) {
            const size_t room = limit - content.size() + (whole ? 1 : 0);
            const ssize_t got = read(fd, buffer, room < sizeof buffer ? room : sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) why = ReadFault::CannotOpen;
            if (got <= 0) break;
            if (content.size() + static_cast<size_t>(got) > limit) {
                why = ReadFault::TooLarge;
                break;
            }
            content.append(buffer, static_cast<size_t>(got));
            if (!whole && content.size() == limit) break;
        }
    } catch (const std::bad_alloc&) {
        why = ReadFault::OutOfMemory;
    }
    if (fd >= 0) close(fd);
    if (fault) *fault = why;
    if (why != ReadFault::None) return false;
    bytes = std::move(content);
    return true;
}

}  // namespace

size_t AvailableMemory() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    unsigned long long kilobytes = 0;
    unsigned long long total = 0;
    int found = 0;
    while (found < 2 && in >> key >> kilobytes) {
        if (key == "MemAvailable:" || key == "SwapFree:") {
            total += kilobytes;
            ++found;
        }
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    if (found == 0 || total > std::numeric_limits<size_t>::max() / 1024)
        return std::numeric_limits<size_t>::max();
    return static_cast<size_t>(total) * 1024;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, WriteFault* fault) {
    const WriteFault why = WriteFile(path, bytes);
    if (fault) *fault = why;
    return why == WriteFault::None;
}

std::string OpenFailureText(const std::string& path) {
    return "Unable to open file " + path + "!";
}

std::string WriteFaultMessage(const std::string& path, WriteFault fault) {
    if (fault == WriteFault::DiskFull)
        return "Unable to write file " + path + ": the disk is full.";
    return OpenFailureText(path);
}

bool ReadWholeFile(const std::string& path, std::string& bytes, ReadFault* fault, size_t limit) {
    return ReadRegularFile(path, bytes, limit, true, fault);
}

bool ReadFileStart(const std::string& path, std::string& bytes, size_t limit) {
    return ReadRegularFile(path, bytes, limit, false, nullptr);
}

FileResult ReadFileWithNotice(const std::string& path, std::string& bytes) {
    ReadFault fault = ReadFault::None;
    if (ReadWholeFile(path, bytes, &fault)) return {true, {}};
    std::string text = OpenFailureText(path);
    if (fault == ReadFault::TooLarge) text += "\nFiles over 512 MB are not read.";
    if (fault == ReadFault::OutOfMemory)
        text = "Unable to read file " + path + ": there is not enough memory for it.";
    return {false, {{text, "File Error!"}}};
}

FileResult WriteFileWithNotice(const std::string& path, std::string_view bytes) {
    WriteFault fault = WriteFault::None;
    if (WriteFileAtomically(path, bytes, &fault)) return {true, {}};
    return {false, {{WriteFaultMessage(path, fault), "File Error!"}}};
}
