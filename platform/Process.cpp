#include "platform/Process.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int PollPauseMilliseconds = 20;

QStringList ToQStringList(const std::vector<std::string>& words) {
    QStringList list;
    for (const auto& word : words)
        list << QString::fromStdString(word);
    return list;
}

bool IsLink(const std::string& file) {
    const QString text = QString::fromStdString(file);
    return text.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive) ||
           text.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
           text.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
}

// Full path of a program named by a path or found on PATH; empty when there is none.
QString FindProgram(const QString& program) {
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

// True once the process behind `pidfd` has ended, waiting at most `milliseconds` for it.
bool EndsWithin(int pidfd, int milliseconds) {
    pollfd watched{pidfd, POLLIN, 0};
    const int ready = ::poll(&watched, 1, milliseconds);
    return ready > 0 || (ready < 0 && errno != EINTR);
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

std::int64_t StartProgram(const std::string& command, const std::string& parameters, int /*showMode*/, bool wait) {
    const auto words = SplitCommandLine(BuildCommandLine(command, parameters));
    if (words.empty())
        return ProgramNotStarted;
    const QString program = FindProgram(QString::fromStdString(words.front()));
    if (program.isEmpty())
        return ProgramNotStarted;
    qint64 processId = 0;
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (!QProcess::startDetached(program, ToQStringList(arguments), QString(), &processId) || processId <= 0)
        return ProgramNotStarted;
    if (!wait)
        return processId;
    WaitForProgram(processId);
    return ProgramWaitedFor;
}

void WaitForProgram(std::int64_t processId) {
    if (processId <= 0)
        return;
    const auto pid = static_cast<pid_t>(processId);
    // A process descriptor reports the end itself, even while the ended process waits to be reaped, which a
    // detached program's new parent may never do. A process that is already gone cannot be opened.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
        do
            QCoreApplication::processEvents();
        while (!EndsWithin(pidfd, PollPauseMilliseconds));
        ::close(pidfd);
    }
    // A program of our own (or one handed to us as the nearest subreaper) is reaped here, leaving no zombie.
    ::waitpid(pid, nullptr, WNOHANG);
    QCoreApplication::processEvents();
}

std::string ShellWorkingFolder(const std::string& file) {
    const auto cut = file.find_last_of("/:");
    return cut == std::string::npos ? std::string() : file.substr(0, cut + 1);
}

int ShellOpen(const std::string& file, const std::string& parameters, const std::string& /*operation*/,
              int /*showMode*/) {
    const QString path = QString::fromStdString(file);
    if (!IsLink(file) && !QFileInfo::exists(path))
        return ShellOpenFileNotFound;
    QString program;
    QStringList arguments;
    if (IsWindowsProgram(file)) {
        program = FindProgram(QString::fromStdString(WindowsProgramRunner()));
        arguments << path << ToQStringList(SplitCommandLine(parameters));
    } else {
        program = FindProgram(QStringLiteral("xdg-open"));
        arguments << path;
    }
    if (program.isEmpty())
        return ShellOpenNoProgram;
    // A program starts in its own folder; the opener of a document or link keeps ours, as a link has no folder.
    const QString workingFolder = IsWindowsProgram(file) ? QString::fromStdString(ShellWorkingFolder(file)) : QString();
    return QProcess::startDetached(program, arguments, workingFolder) ? ShellOpenStarted : ShellOpenNoProgram;
}
