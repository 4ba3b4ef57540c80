#include "platform/Process.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <csignal>

namespace {

constexpr int PollPauseMilliseconds = 20;

QStringList ToQStringList(const std::vector<std::string>& words) {
    QStringList list;
    for (const auto& word : words)
        list << QString::fromStdString(word);
    return list;
}

bool EndsWithExe(const std::string& file) {
    return QString::fromStdString(file).endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive);
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

QString WindowsProgramRunner() {
    const QString runner = qEnvironmentVariable("QUENDRY_EXE_RUNNER");
    return runner.isEmpty() ? QStringLiteral("wine") : runner;
}

bool ProcessIsRunning(std::int64_t processId) {
    return ::kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}

} // namespace

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
    while (ProcessIsRunning(processId)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, PollPauseMilliseconds);
        QThread::msleep(PollPauseMilliseconds);
    }
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
    if (EndsWithExe(file)) {
        program = FindProgram(WindowsProgramRunner());
        arguments << path << ToQStringList(SplitCommandLine(parameters));
    } else {
        program = FindProgram(QStringLiteral("xdg-open"));
        arguments << path;
    }
    if (program.isEmpty())
        return ShellOpenNoProgram;
    const QString workingFolder = QString::fromStdString(ShellWorkingFolder(file));
    return QProcess::startDetached(program, arguments, workingFolder) ? ShellOpenStarted : ShellOpenNoProgram;
}
