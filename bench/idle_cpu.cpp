// What an idle window costs: starts the window program on caffeine, pauses
// the layout with P, leaves pointer and keys alone and reads the process's
// CPU time from /proc over five seconds, several times. Run it under an X
// server, with the programs to compare (default: this build's), e.g.
//   xvfb-run -a build/bench/idle_cpu OLD/tessaril build/src/app/tessaril
// It prints, per program, each run and the median in percent of one core.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kSeconds = 5;

// User plus system time of a process, in clock ticks, or -1.
long long CpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    // The command name sits in brackets and may hold spaces: count from after it.
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    // Fields 3 to 13 come before utime (14) and stime (15).
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoll(field);
        if (i == 15) stime = std::stoll(field);
    }
    return utime + stime;
}

bool Run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Starts program in folder on file; its pid, or -1.
pid_t Start(const std::string& program, const std::string& folder, const std::string& file) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (chdir(folder.c_str()) != 0) _exit(127);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    execl(program.c_str(), program.c_str(), file.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

// The idle CPU use of one program in percent of one core, per run; empty
// when it could not be measured.
std::vector<double> Measure(const std::string& program) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("idle_cpu." + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::copy_file(fs::path(TESSARIL_SOURCE_DIR) / "Tessaril.ini", folder / "Tessaril.ini",
                  fs::copy_options::overwrite_existing);
    std::vector<double> percents;
    const pid_t pid = Start(fs::absolute(program).string(), folder.string(),
                            (fs::path(TESSARIL_SOURCE_DIR) / "examples" / "caffeine.dat").string());
    const std::string window = "timeout 20 xdotool search --sync --onlyvisible --pid " +
                               std::to_string(pid) + " --name Tessaril";
    // Give it the keyboard, then P: pressed and released on the view.
    if (pid > 0 && Run(window + " windowfocus --sync %1 >/dev/null") &&
        Run("xdotool key --delay 50 p")) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
        for (int run = 0; run < kRuns; ++run) {
            const long long before = CpuTicks(pid);
            std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
            const long long after = CpuTicks(pid);
            if (before < 0 || after < 0) break;
            percents.push_back(100.0 * static_cast<double>(after - before) /
                               (ticksPerSecond * kSeconds));
        }
    }
    if (pid > 0) {
        // Escape pressed in the main window asks whether to quit: the box
        // showing proves that the keys, and so the P, reached the window.
        if (!Run("xdotool key Escape && timeout 5 xdotool search --sync --onlyvisible --pid " +
                 std::to_string(pid) + " --name 'Quit Program' >/dev/null")) {
            std::fprintf(stderr, "%s: the keys did not reach the window\n", program.c_str());
            percents.clear();
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    fs::remove_all(folder);
    return percents;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> programs(argv + 1, argv + argc);
    if (programs.empty()) programs.push_back(TESSARIL_EXECUTABLE);
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "idle_cpu: needs an X server (run it under xvfb-run -a)\n");
        return 1;
    }
    int status = 0;
    for (const std::string& program : programs) {
        std::vector<double> percents = Measure(program);
        if (percents.empty()) {
            std::printf("%s: not measured (no window, or xdotool failed)\n", program.c_str());
            status = 1;
            continue;
        }
        std::printf("%s: idle CPU over %d s, %% of one core:", program.c_str(), kSeconds);
        for (double percent : percents) std::printf(" %.1f", percent);
        std::sort(percents.begin(), percents.end());
        std::printf("  median %.1f\n", percents[percents.size() / 2]);
    }
    return status;
}
