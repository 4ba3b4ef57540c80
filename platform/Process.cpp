// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Process.h"

#include "platform/ProcessHandle.h"
#include "platform/ProcessStart.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <chrono>

namespace {

bool IsLink(const std::string& file) {
    const QString text = QString::fromStdString(file);
    return text.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive) ||
           text.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
           text.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
}

} // namespace

bool IsWindowsProgram(const std::string& file) {
    return QString::fromStdString(file).endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive);
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

std::string WindowsProgramRunner() {
    const QString runner = qEnvironmentVariable("QUENDRY_EXE_RUNNER");
    return runner.isEmpty() ? std::string("wine") : runner.toStdString();
}

std::string BuildCommandLine(const std::string& command, const std::string& parameters) {
    return command + " " + parameters;
}

std::int64_t StartProgram(const std::string& command, const std::string& parameters, bool wait) {
    const auto words = SplitCommandLine(BuildCommandLine(command, parameters));
    if (words.empty())
        return ProgramNotStarted;
    const StartedProcess started =
        StartProcess({words.front(), std::vector<std::string>(words.begin() + 1, words.end()), std::string(),
                      ProcessOutput::Inherited, -1, !wait});
    if (started.error != 0)
        return ProgramNotStarted;
    if (!wait)
        return started.id;
    WaitForProgram(started.id);
    return ProgramWaitedFor;
}

void WaitForProgram(std::int64_t processId) {
    if (processId <= 0)
        return;
    // A process descriptor reports the end itself, even while the ended process waits to be reaped, which a
    // detached program's new parent may never do. A process that is already gone cannot be opened.
    if (const auto process = ProcessHandle::Open(static_cast<pid_t>(processId))) {
        while (!process->WaitForEnd(std::chrono::hours(1), [] { QCoreApplication::processEvents(); })) {
        }
        // A program of our own (or one handed to us as the nearest subreaper) is reaped here, leaving no zombie.
        process->Reap();
    }
    QCoreApplication::processEvents();
}

std::string ShellWorkingFolder(const std::string& file) {
    const auto cut = file.find_last_of("/:");
    return cut == std::string::npos ? std::string() : file.substr(0, cut + 1);
}

int ShellOpen(const std::string& file, const std::string& parameters) {
    const QString path = QString::fromStdString(file);
    if (!IsLink(file) && !QFileInfo::exists(path))
        return ShellOpenFileNotFound;
    ProcessStart start;
    start.detached = true;
    if (IsWindowsProgram(file)) {
        start.program = WindowsProgramRunner();
        start.arguments = SplitCommandLine(parameters);
        start.arguments.insert(start.arguments.begin(), file);
        // A program starts in its own folder; the opener of a document or link keeps ours, as a link has none.
        start.workingFolder = ShellWorkingFolder(file);
    } else {
        start.program = "xdg-open";
        start.arguments = {file};
    }
    return StartProcess(start).error == 0 ? ShellOpenStarted : ShellOpenNoProgram;
}
