// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakePrograms.h"

#include <QElapsedTimer>
#include <QThread>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

namespace {

namespace fs = std::filesystem;

// The environment variable that marks the programs started while a FakePrograms lives; its value is the folder of
// the records, which no other test shares.
constexpr const char* MarkerVariable = "QUENDRY_FAKE_PROGRAMS";

// The whole of a file of /proc; nullopt when it cannot be read, as when its process has just ended.
std::optional<std::string> ReadProcFile(const std::string& path) {
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return std::nullopt;
    std::string content;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(file, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(file);
    if (got < 0)
        return std::nullopt;
    return content;
}

// Whether the process `id` still runs and was started by this test: a child of this process, or a program
// that inherited `marker` (a detached program is handed to the system, no child of the test, but keeps the
// environment it was started with). An ended process waiting to be reaped no longer runs.
bool StartedAndRunning(const std::string& id, const std::string& marker) {
    const std::string folder = "/proc/" + id;
    const std::optional<std::string> stat = ReadProcFile(folder + "/stat");
    // "pid (name) state ppid ...": the name may hold blanks and parentheses, the state follows the last one.
    const auto nameEnd = stat ? stat->rfind(')') : std::string::npos;
    if (nameEnd == std::string::npos || nameEnd + 2 >= stat->size())
        return false;
    const char state = (*stat)[nameEnd + 2];
    if (state == 'Z' || state == 'X')
        return false;
    if (std::atol(stat->c_str() + nameEnd + 3) == ::getpid())
        return true;
    const std::optional<std::string> environment = ReadProcFile(folder + "/environ");
    return environment && ('\0' + *environment).find('\0' + marker + '\0') != std::string::npos;
}

// Whether any program started by this test, other than the test itself, still runs.
bool AnyStartedRunning(const std::string& marker) {
    const std::unique_ptr<DIR, int (*)(DIR*)> processes(::opendir("/proc"), ::closedir);
    if (!processes)
        return false;
    const std::string self = std::to_string(::getpid());
    while (const dirent* entry = ::readdir(processes.get())) {
        const std::string id = entry->d_name;
        if (id != self && id.find_first_not_of("0123456789") == std::string::npos && StartedAndRunning(id, marker))
            return true;
    }
    return false;
}

std::string RecordingScript(const std::string& tag, const std::string& records) {
    return "#!/bin/sh\nf=\"" + records + "/$$\"\n{ echo " + tag +
           "; pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > \"$f.part\"\nmv \"$f.part\" \"$f.rec\"\n";
}

} // namespace

FakePrograms::FakePrograms() : records_(folder_.File("records")) {
    fs::create_directories(records_);
    const std::string runner = folder_.Write("runner", RecordingScript("runner", records_));
    const std::string opener = folder_.Write("bin/xdg-open", RecordingScript("opener", records_));
    for (const std::string& script : {runner, opener})
        fs::permissions(script, fs::perms::owner_all);
    const char* path = std::getenv("PATH");
    savedPath_ = path ? path : "";
    setenv("PATH", (folder_.File("bin") + ":" + savedPath_).c_str(), 1);
    setenv("QUENDRY_EXE_RUNNER", runner.c_str(), 1);
    setenv(MarkerVariable, records_.c_str(), 1);
}

FakePrograms::~FakePrograms() {
    setenv("PATH", savedPath_.c_str(), 1);
    unsetenv("QUENDRY_EXE_RUNNER");
    unsetenv(MarkerVariable);
}

std::string FakePrograms::FirstRecord() const {
    for (const auto& entry : fs::directory_iterator(records_))
        if (entry.path().extension() == ".rec")
            return entry.path().string();
    return {};
}

std::string FakePrograms::Next() {
    QElapsedTimer timer;
    timer.start();
    std::string record = FirstRecord();
    while (record.empty() && timer.elapsed() < 10000) {
        QThread::msleep(10);
        record = FirstRecord();
    }
    if (record.empty())
        return {};
    const std::string text = folder_.Read(record);
    fs::remove(record);
    return text;
}

bool FakePrograms::NoneStarted() const {
    const std::string marker = std::string(MarkerVariable) + "=" + records_;
    QElapsedTimer timer;
    timer.start();
    bool running = AnyStartedRunning(marker);
    while (running && timer.elapsed() < 60000) {
        QThread::msleep(10);
        running = AnyStartedRunning(marker);
    }
    return !running && fs::is_empty(records_);
}
