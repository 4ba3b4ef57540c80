// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerFiles.h"

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/TerminalText.h"
#include "platform/TrustedPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace {

// Output lines shown when the server stops at start or does not answer.
constexpr std::size_t ShownOutputLines = 10;
// Only the end of a long output is read for them.
constexpr std::uintmax_t TailBytes = 64 * 1024;
// A record is four short lines; a larger file is damaged, and is not read.
constexpr std::size_t ServerRecordLimit = 16 * 1024;

// A whole decimal number of digits only, within the range of `Number`.
template <typename Number> std::optional<Number> StrictNumber(const std::string& text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    Number value{};
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::string ServerLogFile(const std::string& modPath, const Instance& instance) {
    return JoinPath(modPath, instance.FileName("server", ".log"));
}

std::string ServerPidFile(const std::string& modPath, const Instance& instance) {
    return JoinPath(modPath, instance.FileName("server", ".pid"));
}

std::vector<Instance> RecordedInstances(const std::string& modPath) {
    std::vector<Instance> instances;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(modPath, error))
        if (const auto instance = Instance::OfFileName(entry.path().filename().string(), "server", ".pid"))
            instances.push_back(*instance);
    std::sort(instances.begin(), instances.end());
    return instances;
}

ServerLog OpenServerLog(const std::string& modPath, const Instance& instance) {
    const std::string file = ServerLogFile(modPath, instance);
    // The mod folder may be writable by others: a link of theirs is not followed.
    const int descriptor = OpenBelow(modPath, NameOf(file), O_WRONLY | O_CREAT | O_APPEND, 0644);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        const int error = errno;
        ::close(descriptor);
        throw FileError("Impossible de créer le fichier", file, std::strerror(error));
    }
    return {descriptor, static_cast<std::uintmax_t>(status.st_size)};
}

void WriteServerRecord(const std::string& modPath, const Instance& instance, const ServerRecord& record) {
    // A record belongs to the user who started the server, whoever wrote the one it replaces: a stale record of
    // another user must not make this user's server that user's.
    WriteFileAtomically(ServerPidFile(modPath, instance),
                        std::to_string(record.processId) + "\n" + std::to_string(record.startTime) + "\n" +
                            record.executable + "\n" + record.parameters + "\n" +
                            (record.supervisor > 0 ? std::to_string(record.supervisor) + "\n" +
                                                         std::to_string(record.supervisorStartTime) + "\n"
                                                   : std::string()),
                        0644, ReplacedFile::IsWrittenNew);
}

std::string DamagedRecordMessage(const std::string& modPath, const Instance& instance, const std::string& detail) {
    const std::string game = std::filesystem::path(modPath).parent_path().string();
    return ServerPidFile(modPath, instance) + " holds no server process id and start time" +
           (detail.empty() ? "" : " (" + detail + ")") +
           "; when no server of this game folder runs, remove it with: quendry stop --forget --game " + game +
           (instance.IsPlain() ? "" : " --instance " + instance.Name());
}

std::optional<ServerRecord> ReadServerRecord(const std::string& modPath, const Instance& instance, uid_t* owner) {
    const std::string file = ServerPidFile(modPath, instance);
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 && errno == ENOENT)
        return std::nullopt;
    if (owner)
        *owner = status.st_uid;
    if (static_cast<std::uintmax_t>(status.st_size) > ServerRecordLimit)
        throw std::runtime_error(
            DamagedRecordMessage(modPath, instance, "larger than " + std::to_string(ServerRecordLimit) + " bytes"));
    // The limit holds for a record that grows while it is read, too.
    std::istringstream lines(ReadWholeFile(file, ServerRecordLimit));
    std::string id, startTime;
    ServerRecord record;
    std::getline(lines, id);
    std::getline(lines, startTime);
    std::getline(lines, record.executable);
    std::getline(lines, record.parameters);
    const auto processId = StrictNumber<pid_t>(id);
    const auto start = StrictNumber<std::uint64_t>(startTime);
    if (!processId || *processId <= 0 || !start || record.executable.empty())
        throw std::runtime_error(DamagedRecordMessage(modPath, instance, {}));
    record.processId = *processId;
    record.startTime = *start;
    // A supervisor that cannot be read is none: the server is stopped itself.
    std::string supervisor, supervisorStart;
    std::getline(lines, supervisor);
    std::getline(lines, supervisorStart);
    const auto supervisorId = StrictNumber<pid_t>(supervisor);
    const auto supervisorStarted = StrictNumber<std::uint64_t>(supervisorStart);
    if (supervisorId && *supervisorId > 1 && supervisorStarted) {
        record.supervisor = *supervisorId;
        record.supervisorStartTime = *supervisorStarted;
    }
    return record;
}

void RemoveServerRecord(const std::string& modPath, const Instance& instance, pid_t processId) {
    try {
        const auto record = ReadServerRecord(modPath, instance);
        if (record && record->processId == processId)
            std::filesystem::remove(ServerPidFile(modPath, instance));
    } catch (const std::exception&) {
        // A file that is not ours any more stays as it is.
    }
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

std::vector<std::string> LastOutputLines(const std::string& modPath, const Instance& instance,
                                         std::uintmax_t logOffset) {
    std::vector<std::string> lines;
    const std::string prefix = instance.FileName("server", ".log") + " : ";
    for (const std::string& output : LastLines(ServerLogFile(modPath, instance), logOffset, ShownOutputLines))
        lines.push_back(prefix + TerminalSafe(output));
    return lines;
}
