// Replacing files: a write that cannot finish leaves the old file whole,
// reports the failure and leaves no temporary file behind.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "atomic_write.h"
#include "element.h"
#include "process_state.h"
#include "prompts_fake.h"
#include "settings.h"
#include "settings_file.h"

namespace {

int FileCount(const std::string& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
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

TEST_F(AtomicWriteTest, WritesThroughASymbolicLink) {
    const std::string real = folder.File("real.txt");
    const std::string link = folder.File("link.txt");
    WriteFileOrFail(real, "old");
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(link, "new"));
    EXPECT_EQ(ReadFileOrEmpty(real), "new");
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
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

TEST_F(AtomicWriteTest, ReadWholeFileRefusesMissingFilesAndFolders) {
    std::string bytes = "unchanged";
    EXPECT_FALSE(ReadWholeFile(folder.File("missing"), bytes));
    EXPECT_FALSE(ReadWholeFile(folder.path(), bytes));
    EXPECT_EQ(bytes, "unchanged");
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

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{200, 200};
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool written = WriteSettingsFile();
        const bool reported = fakePrompts.shown.size() == 1 &&
                              fakePrompts.shown[0] ==
                                  ShownMessage{"Unable to open file " + path + "!", "File Error!"};
        _exit(!written && reported ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write did not fail with the message";
    EXPECT_EQ(ReadFileOrEmpty(path), old);
    EXPECT_EQ(FileCount(folder.path()), 1);

    // Without the limit the same write goes through.
    EXPECT_TRUE(WriteSettingsFile());
    EXPECT_EQ(ReadFileOrEmpty(path), FormatSettingsText(settings, elementTable));
}

}  // namespace
