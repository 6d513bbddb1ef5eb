// Atomic file replacement and whole-file reading with POSIX calls.
#include "atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

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

// Writing through a symbolic link replaces the file it points to, not the link.
std::string ResolveTarget(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char* resolved = realpath(path.c_str(), nullptr);
        if (resolved) {
            std::string target = resolved;
            free(resolved);
            return target;
        }
    }
    return path;
}

mode_t ModeForNewFile(const std::string& target) {
    struct stat info;
    if (stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string target = ResolveTarget(path);
    std::string pattern = target + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return false;
    const std::string temporary(name.data());

    bool ok = fchmod(fd, ModeForNewFile(target)) == 0;
    ok = ok && WriteAll(fd, bytes);
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) unlink(temporary.c_str());
    return ok;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        return false;
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            close(fd);
            return false;
        }
        if (got == 0) break;
        content.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    bytes = std::move(content);
    return true;
}
