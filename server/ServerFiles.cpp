#include "server/ServerFiles.h"

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/TerminalText.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace {

// Output lines shown in the run log when the server stops at start.
constexpr std::size_t ShownOutputLines = 10;
// Only the end of a long output is read for them.
constexpr std::uintmax_t TailBytes = 64 * 1024;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The last component of a Linux or a Windows path.
std::string LastComponent(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace

std::string ServerLogFile(const std::string& modPath) {
    return JoinPath(modPath, "server.log");
}

std::string ServerPidFile(const std::string& modPath) {
    return JoinPath(modPath, "server.pid");
}

void WriteServerRecord(const std::string& modPath, const ServerRecord& record) {
    WriteFileAtomically(ServerPidFile(modPath),
                        std::to_string(record.processId) + "\n" + record.executable + "\n" + record.parameters + "\n");
}

std::optional<ServerRecord> ReadServerRecord(const std::string& modPath) {
    const std::string file = ServerPidFile(modPath);
    if (!std::filesystem::exists(file))
        return std::nullopt;
    std::istringstream lines(ReadWholeFile(file));
    std::string id;
    ServerRecord record;
    std::getline(lines, id);
    std::getline(lines, record.executable);
    std::getline(lines, record.parameters);
    std::size_t used = 0;
    try {
        record.processId = static_cast<pid_t>(std::stol(id, &used));
    } catch (const std::logic_error&) {
        used = 0;
    }
    if (used == 0 || used != id.size() || record.processId <= 0 || record.executable.empty())
        throw std::runtime_error(file + " holds no server process id");
    return record;
}

void RemoveServerRecord(const std::string& modPath, pid_t processId) {
    try {
        const auto record = ReadServerRecord(modPath);
        if (record && record->processId == processId)
            std::filesystem::remove(ServerPidFile(modPath));
    } catch (const std::exception&) {
        // A file that is not ours any more stays as it is.
    }
}

std::vector<std::string> ProcessCommandLine(pid_t processId) {
    std::ifstream file("/proc/" + std::to_string(processId) + "/cmdline", std::ios::binary);
    std::vector<std::string> words;
    std::string word;
    while (std::getline(file, word, '\0'))
        words.push_back(word);
    return words;
}

bool IsServerCommandLine(const std::vector<std::string>& commandLine, const ServerRecord& record) {
    const std::string program = Lower(LastComponent(record.executable));
    const bool namesProgram = std::any_of(commandLine.begin(), commandLine.end(), [&](const std::string& word) {
        return Lower(LastComponent(word)) == program;
    });
    const std::vector<std::string> parameters = SplitCommandLine(record.parameters);
    return namesProgram && !parameters.empty() &&
           std::search(commandLine.begin(), commandLine.end(), parameters.begin(), parameters.end()) !=
               commandLine.end();
}

std::vector<std::string> LastLines(const std::string& path, std::uintmax_t offset, std::size_t count) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    file.seekg(0, std::ios::end);
    const auto size = static_cast<std::uintmax_t>(std::max<std::streamoff>(0, file.tellg()));
    const std::uintmax_t start = std::max(offset, size > TailBytes ? size - TailBytes : 0);
    if (start >= size)
        return {};
    file.seekg(static_cast<std::streamoff>(start));
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    if (lines.size() > count)
        lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(count));
    return lines;
}

std::vector<std::string> StoppedAtStartLines(int exitCode, const std::string& logFile, std::uintmax_t logOffset) {
    std::vector<std::string> lines = {
        std::string("Server stopped at start (exit code ").append(std::to_string(exitCode)).append(")")};
    for (const std::string& output : LastLines(logFile, logOffset, ShownOutputLines))
        lines.push_back("server.log : " + TerminalSafe(output));
    return lines;
}
