// Fresh process state and temporary folders for tests.
#include "process_state.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "program_state.h"
#include "prompts.h"

void ResetProcessState() {
    program = ProgramState{};
    ResetPrompts();
}

TemporaryFolder::TemporaryFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tessaril-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) ADD_FAILURE() << "cannot make a temporary folder";
    path_ = name.data();
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileOrEmpty(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileOrFail(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string SourceFile(const std::string& relativePath) {
    return std::string(TESSARIL_SOURCE_DIR) + "/" + relativePath;
}

bool BecomePlainUser() {
    return geteuid() != 0 ||
           (setgroups(0, nullptr) == 0 && setgid(kPlainUser) == 0 && setuid(kPlainUser) == 0);
}

bool RunInChild(const std::function<bool()>& body, bool asPlainUser) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        alarm(5);
        if (asPlainUser && !BecomePlainUser()) _exit(2);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
