// Helpers that give each test a fresh process: the global records back at
// their start-up values, and temporary folders that clean up after themselves.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

// Puts the program's state (program_state.h) back at its start-up value, and
// the prompts the test program links.
void ResetProcessState();

// Every test in a suite derived from this starts from a fresh process state.
class FreshProcessTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProcessState(); }
};

// A new empty folder under the system's temporary directory, removed with
// everything in it when the object goes.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFileOrEmpty(const std::string& path);
void WriteFileOrFail(const std::string& path, const std::string& bytes);
// The path of a file shipped in the source tree.
std::string SourceFile(const std::string& relativePath);

// Runs body in a forked child, stopped after five seconds, as the user
// "nobody" when asked and the tests run as root (whom permission bits do
// not stop); true when body returned true in time.
bool RunInChild(const std::function<bool()>& body, bool asPlainUser = false);
constexpr unsigned kPlainUser = 65534;  // the user id of "nobody"
// Makes the process "nobody" when it runs as root; false when that failed.
bool BecomePlainUser();
