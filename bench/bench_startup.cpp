// Times a start of the program up to its first shown main window against a bare Qt main window, in processor
// time of the whole process (user and system), offscreen. Both programs end themselves at their window's first
// paint; the program runs from a folder of its own, on a first start. The start may cost at most 1.3 times the
// bare window's; the run fails when it costs more.
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int Rounds = 21;
constexpr double AllowedRatio = 1.3;

// Runs `program` to its end with its output thrown away; the processor time it used, in milliseconds, or nothing
// when it could not run or failed.
std::optional<double> ProcessorMilliseconds(const std::string& program) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return std::nullopt;
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + t.tv_usec * 1e-3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    // A folder of its own for the program, so that no saved state of a former run comes back.
    std::string folder = (fs::temp_directory_path() / "quendry-startup.XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr)
        return 2;
    const std::string program = folder + "/quendry";
    fs::copy_file(QUENDRY_EXECUTABLE, program);
    fs::copy_file(QUENDRY_WINDOW_LIBRARY, folder + "/" + fs::path(QUENDRY_WINDOW_LIBRARY).filename().string());
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("QUENDRY_QUIT_WHEN_SHOWN", "1", 1);
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);

    // One start of each first, for the file system's caches and the program's first-start files; then the two
    // take turns, so that a busy moment of the machine falls on both alike.
    std::vector<double> bare, quendry;
    bool ran = ProcessorMilliseconds(BARE_WINDOW_EXECUTABLE) && ProcessorMilliseconds(program);
    for (int round = 0; ran && round < Rounds; ++round) {
        const auto bareTime = ProcessorMilliseconds(BARE_WINDOW_EXECUTABLE);
        const auto quendryTime = ProcessorMilliseconds(program);
        ran = bareTime && quendryTime;
        if (ran) {
            bare.push_back(*bareTime);
            quendry.push_back(*quendryTime);
        }
    }
    fs::remove_all(folder);
    if (!ran) {
        std::printf("a start failed\n");
        return 2;
    }

    const double ratio = Median(quendry) / Median(bare);
    std::printf("%-24s %10s\n", "start to first window", "cpu (ms)");
    std::printf("%-24s %10.1f\n", "bare Qt main window", Median(bare));
    std::printf("%-24s %10.1f\n", "quendry", Median(quendry));
    std::printf("ratio %.2f: %s at most %.1f times the bare window\n", ratio,
                ratio <= AllowedRatio ? "takes" : "does NOT take", AllowedRatio);
    return ratio <= AllowedRatio ? 0 : 1;
}
