// File replacement and whole-file reading with POSIX calls.
#include "atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include "prompts.h"

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The folder part of path with its final "/", or "" for a bare name.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a write to path lands in: symbolic links followed, also when
// the last one names a file that does not exist yet.
std::string ResolveTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        if (char* resolved = realpath(path.c_str(), nullptr)) {
            std::string target = resolved;
            free(resolved);
            return target;
        }
        std::vector<char> link(4096);
        const ssize_t length = readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) >= link.size()) return path;
        std::string next(link.data(), static_cast<size_t>(length));
        path = next[0] == '/' ? next : FolderOf(path) + next;
    }
    return path;
}

// A device or FIFO takes the bytes as a plain write gives them. Opening does
// not wait: a FIFO without a reader fails at once.
bool WriteDirectly(const std::string& path, std::string_view bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    const int flags = fcntl(fd, F_GETFL);
    bool ok = flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
    ok = ok && WriteAll(fd, bytes);
    return (close(fd) == 0) && ok;
}

// Used where the folder takes no temporary file: the old content is lost
// should the write fail part-way, as with any plain write.
bool WriteInPlace(int fd, std::string_view bytes) {
    return ftruncate(fd, 0) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
}

mode_t ModeForNewFile() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

enum class Replacement {
    Done,     // target now holds the bytes
    Refused,  // the folder took no temporary file or no rename: nothing changed
    Failed,   // the bytes could not be written: nothing changed
};

// Writes bytes to a temporary file beside target and renames it over target,
// with old's permissions and, where the process may, its owner.
Replacement ReplaceThroughTemporary(const std::string& target, const struct stat* old,
                                    std::string_view bytes) {
    // A short name, so that a target name of any allowed length still leaves
    // room for it.
    const std::string pattern = FolderOf(target) + ".tessaril-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return Replacement::Refused;
    bool ok = fchmod(fd, old ? old->st_mode & 07777 : ModeForNewFile()) == 0;
    if (old) {
        [[maybe_unused]] const int kept = fchown(fd, old->st_uid, old->st_gid);
    }
    ok = ok && WriteAll(fd, bytes) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (ok && rename(name.data(), target.c_str()) == 0) return Replacement::Done;
    unlink(name.data());
    return ok ? Replacement::Refused : Replacement::Failed;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return WriteDirectly(path, bytes);

    const std::string target = ResolveTarget(path);
    if (stat(target.c_str(), &info) != 0)
        return ReplaceThroughTemporary(target, nullptr, bytes) == Replacement::Done;
    // An existing file is opened for writing first, as a plain write would:
    // one it may not write is refused before anything changes.
    const int existing = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (existing < 0) return false;
    const Replacement replaced = ReplaceThroughTemporary(target, &info, bytes);
    // Where the folder takes no new file or no rename (a read-only folder,
    // another user's file in a sticky folder), the file is written in place.
    const bool ok = replaced == Replacement::Done ||
                    (replaced == Replacement::Refused && WriteInPlace(existing, bytes));
    return (close(existing) == 0) && ok;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, bool* tooLarge) {
    if (tooLarge) *tooLarge = false;
    // Never waits: a FIFO opens at once and is then refused like a device.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    bool large = ok && static_cast<unsigned long long>(info.st_size) > kLargestReadableFile;
    std::string content;
    if (ok && !large) content.reserve(static_cast<size_t>(info.st_size));
    // The limit also holds for a file that grows while it is read.
    char buffer[65536];
    while (ok && !large) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        large = content.size() + static_cast<size_t>(got) > kLargestReadableFile;
        if (!large) content.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    if (tooLarge) *tooLarge = ok && large;
    if (!ok || large) return false;
    bytes = std::move(content);
    return true;
}

bool ReadFileOrReport(const std::string& path, std::string& bytes) {
    bool tooLarge = false;
    if (ReadWholeFile(path, bytes, &tooLarge)) return true;
    std::string text = "Unable to open file " + path + "!";
    if (tooLarge) text += "\nFiles over 512 MB are not read.";
    ShowMessage(text, "File Error!");
    return false;
}

bool WriteFileOrReport(const std::string& path, std::string_view bytes) {
    if (WriteFileAtomically(path, bytes)) return true;
    ShowMessage("Unable to open file " + path + "!", "File Error!");
    return false;
}
