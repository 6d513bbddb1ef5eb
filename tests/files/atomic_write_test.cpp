// Replacing and reading files: a write succeeds where a plain write would
// and never half-replaces a file; reading takes bounded regular files only
// and never waits.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>

#include "atomic_write.h"
#include "element.h"
#include "molecule.h"
#include "molecule_builder.h"
#include "molecule_file.h"
#include "process_state.h"
#include "settings.h"
#include "settings_file.h"

namespace {

int FileCount(const std::string& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

bool IsRoot() {
    return geteuid() == 0;
}

// A failure told by the one notice text with the caption "File Error!".
bool FailedWithOnly(const FileResult& result, const std::string& text) {
    return !result.ok && result.notices == Notices{{text, "File Error!"}};
}

class AtomicWriteTest : public FreshProcessTest {
protected:
    TemporaryFolder folder;
};

TEST_F(AtomicWriteTest, ReplacesContentAndKeepsPermissions) {
    const std::string path = folder.File("data.txt");
    ASSERT_TRUE(WriteFileAtomically(path, "first\n"));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "second\n"));
    EXPECT_EQ(ReadFileOrEmpty(path), "second\n");
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(FileCount(folder.path()), 1);
}

// Links are followed, relative ones from their own folder, and a link to a
// file not yet there creates that file.
TEST_F(AtomicWriteTest, WritesThroughSymbolicLinks) {
    ASSERT_TRUE(std::filesystem::create_directory(folder.File("sub")));
    WriteFileOrFail(folder.File("sub/real.txt"), "old");
    const std::pair<const char*, const char*> links[] = {
        {"absolute", nullptr}, {"relative", "sub/real.txt"}, {"dangling", "sub/new.txt"}};
    for (const auto& [link, target] : links) {
        const std::string named = target ? target : folder.File("sub/real.txt");
        ASSERT_EQ(symlink(named.c_str(), folder.File(link).c_str()), 0);
        ASSERT_TRUE(WriteFileAtomically(folder.File(link), link)) << link;
        EXPECT_EQ(ReadFileOrEmpty(folder.File(target ? target : "sub/real.txt")), link);
        struct stat info;
        ASSERT_EQ(lstat(folder.File(link).c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << link;
    }
    EXPECT_EQ(FileCount(folder.File("sub")), 2);

    // A loop of links is refused, as opening it is, and stays links.
    ASSERT_EQ(symlink("b", folder.File("a").c_str()), 0);
    ASSERT_EQ(symlink("a", folder.File("b").c_str()), 0);
    EXPECT_FALSE(WriteFileAtomically(folder.File("a"), "bytes"));
    struct stat info;
    ASSERT_EQ(lstat(folder.File("a").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

// Names up to the longest a folder takes, with no room left for a suffix.
TEST_F(AtomicWriteTest, WritesNamesOfEveryAllowedLength) {
    for (size_t length : {249, 255}) {
        const std::string path = folder.File(std::string(length, 'n'));
        EXPECT_TRUE(WriteFileAtomically(path, "bytes")) << length;
        EXPECT_EQ(ReadFileOrEmpty(path), "bytes") << length;
        std::filesystem::remove(path);
    }
    EXPECT_EQ(FileCount(folder.path()), 0);
}

// How full the file system under a case's folder is: a small tmpfs mounted
// over it in the child's own mount namespace, its inodes or its space used
// up by filler files.
enum class Disk { Normal, NoSpace, Full };

bool MountSmallDisk(const std::string& folder) {
    return unshare(CLONE_NEWNS) == 0 &&
           mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("tessaril", folder.c_str(), "tmpfs", 0, "size=64k,nr_inodes=16,mode=0755") == 0;
}

// Adds files to folder until no inode is left (when inodes) and a file
// until no space is left; the number of files added.
int FillDisk(const std::string& folder, bool inodes) {
    int files = 0;
    const std::string space = folder + "/space";
    if (FILE* out = fopen(space.c_str(), "w")) {
        ++files;
        const std::string block(4096, 'f');
        while (fwrite(block.data(), 1, block.size(), out) == block.size() && fflush(out) == 0) {
        }
        fclose(out);
    }
    while (inodes && files < 100 &&
           creat((folder + "/" + std::to_string(files)).c_str(), 0644) >= 0)
        ++files;
    return files;
}

// Saving succeeds exactly where a plain write would, as a user that
// permission bits bind: a write-protected file is refused and left whole; a
// writable file in a read-only folder, or another user's writable file in a
// sticky folder (no rename over it), is written in place. A full disk (no
// room for a temporary file or its bytes, no room in place) refuses the
// save, says so, and leaves the old file byte for byte.
TEST_F(AtomicWriteTest, SavingFollowsTheFilesAndFoldersPermissions) {
    const struct {
        mode_t file, subfolder;
        uid_t owner;  // of the file and the folder
        Disk disk;
        bool written;
    } cases[] = {{0444, 0755, kPlainUser, Disk::Normal, false},
                 {0644, 0555, kPlainUser, Disk::Normal, true},
                 {0600, 0755, kPlainUser, Disk::Normal, true},
                 {0666, 01777, kPlainUser - 1, Disk::Normal, true},
                 {0644, 0755, kPlainUser, Disk::Full, false},
                 {0644, 0755, kPlainUser, Disk::NoSpace, false},
                 {0644, 0555, kPlainUser, Disk::NoSpace, false}};
    ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
    // Texts longer than the one page the old file holds.
    elementTable.resize(300);
    for (int i = 0; i < 300; ++i) {
        elementTable[i].name = "Element";
        elementTable[i].symbol = "E";
        elementTable[i].atomicNumber = i + 1;
    }
    for (int i = 0; i < 300; ++i) AddTestNode({1.5f * i, 2.5f, 3.5f}, &elementTable[0]);
    const bool mounts = IsRoot() && RunInChild([&] { return MountSmallDisk(folder.path()); });
    for (const auto& c : cases)
        for (bool settingsFile : {false, true}) {
            if (c.owner != kPlainUser && !IsRoot()) continue;  // needs a second user
            if (c.disk != Disk::Normal && !mounts) continue;
            const std::string label = std::to_string(c.file) + "-" + std::to_string(c.subfolder) +
                                      "-" + std::to_string(static_cast<int>(c.disk)) +
                                      (settingsFile ? "s" : "m");
            const std::string sub = folder.File(label);
            const std::string path = sub + "/Tessaril.ini";
            ASSERT_TRUE(std::filesystem::create_directory(sub));
            settings.startDirectory = sub;
            const std::string expected =
                settingsFile ? FormatSettingsText(settings, elementTable) : FormatMoleculeText();
            const std::string refusal =
                c.disk == Disk::Normal ? "Unable to open file " + path + "!"
                                       : "Unable to write file " + path + ": the disk is full.";
            EXPECT_TRUE(RunInChild([&] {
                if (c.disk != Disk::Normal && !MountSmallDisk(sub)) return false;
                WriteFileOrFail(path, "old");
                const int files =
                    1 + (c.disk == Disk::Normal ? 0 : FillDisk(sub, c.disk == Disk::Full));
                if (IsRoot() && (chown(sub.c_str(), c.owner, c.owner) != 0 ||
                                 chown(path.c_str(), c.owner, c.owner) != 0))
                    return false;
                if (chmod(path.c_str(), c.file) != 0 || chmod(sub.c_str(), c.subfolder) != 0 ||
                    !BecomePlainUser())
                    return false;
                const FileResult result =
                    settingsFile ? WriteSettingsFile() : SaveMoleculeFile(path);
                const bool written = result.ok;
                struct stat info;
                const bool ok =
                    written == c.written &&
                    (c.written ? result.notices.empty() : FailedWithOnly(result, refusal)) &&
                    ReadFileOrEmpty(path) == (c.written ? expected : "old") &&
                    stat(path.c_str(), &info) == 0 && (info.st_mode & 0777) == c.file &&
                    FileCount(sub) == files;
                if (!ok)
                    std::fprintf(stderr, "%s: written %d, %zu messages, %zu bytes left\n",
                                 label.c_str(), written, result.notices.size(),
                                 ReadFileOrEmpty(path).size());
                return ok;
            })) << label;
            chmod(sub.c_str(), 0755);  // so that the folder can be removed
        }
    if (!mounts)
        GTEST_SKIP() << "no small tmpfs can be mounted here (needs root and a mount "
                        "namespace): the full-disk cases were left out";
}

// A target that is not a regular file takes the bytes as a plain write
// gives them, and stays what it is.
TEST_F(AtomicWriteTest, SpecialFilesAreWrittenDirectlyNeverReplaced) {
    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_FALSE(WriteFileAtomically(fifo, "nobody reads"));
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(WriteFileAtomically(fifo, "read"));
    char got[16] = {};
    EXPECT_EQ(read(reader, got, sizeof got), 4);
    EXPECT_STREQ(got, "read");
    close(reader);

    const std::string device = folder.File("null");  // where the test may make one
    const bool madeDevice = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (madeDevice) {
        EXPECT_TRUE(WriteFileAtomically(device, "gone"));
    }
    EXPECT_FALSE(WriteFileAtomically(folder.path(), "bytes"));

    struct stat info;
    ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    if (madeDevice) {
        ASSERT_EQ(lstat(device.c_str(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }
    EXPECT_EQ(FileCount(folder.path()), madeDevice ? 2 : 1);
}

TEST_F(AtomicWriteTest, FailedRenameLeavesNoTemporaryFile) {
    // A non-empty folder in the target's place cannot be replaced by a file.
    const std::string path = folder.File("taken");
    ASSERT_TRUE(std::filesystem::create_directory(path));
    WriteFileOrFail(path + "/inside", "x");
    EXPECT_FALSE(WriteFileAtomically(path, "bytes"));
    EXPECT_EQ(FileCount(folder.path()), 1);
    EXPECT_EQ(ReadFileOrEmpty(path + "/inside"), "x");
}

// Loading takes regular files only, without waiting on a FIFO or reading a
// device that never ends, and none beyond the size limit.
TEST_F(AtomicWriteTest, LoadRefusesWhatIsNotABoundedRegularFile) {
    const std::string fifo = folder.File("fifo");
    const std::string large = folder.File("large.dat");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    WriteFileOrFail(large, "");
    ASSERT_EQ(truncate(large.c_str(), kLargestReadableFile + 1), 0);  // sparse
    const int writer = open(fifo.c_str(), O_RDWR);                    // a writer that never writes
    ASSERT_GE(writer, 0);
    const char* tooLarge = "\nFiles over 512 MB are not read.";
    const std::pair<std::string, const char*> cases[] = {
        {folder.File("missing"), ""},
        {folder.path(), ""},
        {fifo, ""},
        {"/dev/zero", ""},
        {large, tooLarge},
    };
    for (const auto& c : cases) {
        molecule.name = "Kept";
        EXPECT_TRUE(RunInChild([&] {
            return FailedWithOnly(LoadMoleculeFile(c.first),
                                  "Unable to open file " + c.first + "!" + c.second) &&
                   molecule.name == "Kept";
        })) << c.first;
    }
    close(writer);
}

// The settings writer under a file-size limit far below the file's size, as
// on a full disk: it must fail, say so, and leave the old file byte for byte.
TEST_F(AtomicWriteTest, SettingsWriteStoppedPartWayLeavesOldFile) {
    const std::string path = folder.File("Tessaril.ini");
    const std::string old = "@Cohesion=5\nOld,Od,1,1,1,1,A,0,1,1,1\n";
    WriteFileOrFail(path, old);
    settings.startDirectory = folder.path();
    for (int i = 1; i <= 50; ++i) {
        Element element;
        element.name = "Element" + std::to_string(i);
        element.symbol = "E";
        element.atomicNumber = i;
        elementTable.push_back(element);
    }

    EXPECT_TRUE(RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{200, 200};
        setrlimit(RLIMIT_FSIZE, &limit);
        return FailedWithOnly(WriteSettingsFile(), "Unable to open file " + path + "!");
    })) << "the write did not fail with the message";
    EXPECT_EQ(ReadFileOrEmpty(path), old);
    EXPECT_EQ(FileCount(folder.path()), 1);

    // Without the limit the same write goes through.
    EXPECT_TRUE(WriteSettingsFile().ok);
    EXPECT_EQ(ReadFileOrEmpty(path), FormatSettingsText(settings, elementTable));
}

}  // namespace
