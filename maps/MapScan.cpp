// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/MapScan.h"

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/TextHelpers.h"
#include "platform/Windows1252.h"
#include "zip/Zip.h"

#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const QString ModGametype = QStringLiteral(" [bhm]");

// The text after the line's first double quote (the whole line without one), trimmed, quotes removed.
std::string UnquotedValue(const std::string& line) {
    std::string value = Trim(TextAfterFirst(line, "\""));
    std::erase(value, '"');
    return value;
}

// The ".pk3" files of `folder` in name order.
std::vector<std::string> ArchivesOf(const std::string& folder) {
    std::vector<std::string> archives;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file(error) && SameText(extension, ".pk3"))
            archives.push_back(entry.path().string());
    }
    std::sort(archives.begin(), archives.end());
    return archives;
}

std::string BareName(const std::string& member) {
    return TextAfterLast(member, "\\");
}

// A map name or gametype word the catalogue and the cfg files can carry: every byte of its Windows-1252 form
// printable, and none that ends a catalogue field or a cfg command.
bool IsCatalogueWord(const std::string& utf8) {
    bool lost = false;
    const std::string bytes = EncodeWindows1252(utf8, &lost);
    return !lost && std::ranges::all_of(bytes, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return ((byte >= 0x21 && byte <= 0x7E) || byte >= 0xA0) &&
               std::string_view("=[]\";").find(c) == std::string_view::npos;
    });
}

// `text` with every byte that is not printable ASCII written as \xHH, so that a log line stays one line.
std::string Escaped(const std::string& text) {
    static const char Digits[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F)
            escaped += c;
        else
            escaped.append("\\x").append(1, Digits[byte >> 4]).append(1, Digits[byte & 0xF]);
    }
    return escaped;
}

// The log line of an arena member that is too large to be an arena file.
std::string TooLargeLine(const std::string& member) {
    return Escaped(member) + " : skipped, larger than 1 MiB";
}

} // namespace

std::vector<std::string> ArchivesToScan(const std::string& gameFolder, const std::string& modFolder) {
    std::vector<std::string> archives = ArchivesOf(JoinPath(gameFolder, "main"));
    const std::vector<std::string> mod = ArchivesOf(JoinPath(gameFolder, modFolder));
    archives.insert(archives.end(), mod.begin(), mod.end());
    return archives;
}

std::string MapsFilePath() {
    return UserFile("maps.ini");
}

void SaveMapsFile(const std::string& path, const QStringList& maps) {
    std::string content;
    for (const QString& line : maps)
        content += EncodeWindows1252(line.toStdString()) + "\r\n";
    WriteFileAtomically(path, content);
}

TMapScan::TMapScan(TZip& zip, QStringList& maps, LogSink log) : zip_(zip), maps_(maps), log_(std::move(log)) {
    maps_.clear();
}

TMapScan::~TMapScan() = default;

int TMapScan::ScanArchive(const std::string& archive) {
    const qsizetype before = maps_.size();
    zip_.Open(archive);
    std::vector<std::string> arenas;
    for (int i = 0; i < zip_.EntryCount(); ++i) {
        const TFileInfo entry = zip_.EntryAt(i);
        const std::string& name = entry.FileName;
        const std::size_t dot = name.rfind('.');
        if (dot == std::string::npos || name.compare(dot, std::string::npos, ".arena") != 0)
            continue;
        if (entry.Header.UncompressedSize > MaxArenaSize)
            log_(TooLargeLine(name));
        else
            arenas.push_back(name);
    }
    if (arenas.empty())
        return 0;
    if (!LoadUnzipLibrary(zip_.LibraryFolder))
        throw ScanError(UnzipLibraryMissing());
    // Members go out in runs of distinct bare names into this scan's own folder, emptied after each run.
    const std::string& folder = ScanFolder();
    for (std::size_t first = 0; first < arenas.size();) {
        std::vector<std::string> batch;
        std::vector<std::string> bareNames;
        for (; first < arenas.size(); ++first) {
            const std::string bare = BareName(arenas[first]);
            if (std::any_of(bareNames.begin(), bareNames.end(),
                            [&](const auto& taken) { return SameText(taken, bare); }))
                break;
            batch.push_back(arenas[first]);
            bareNames.push_back(bare);
        }
        zip_.MemberSpecs = batch;
        zip_.ExtractFolder = folder;
        zip_.ExtractOptions = ExtractReplaceOlder;
        zip_.Extract();
        for (std::size_t i = 0; i < batch.size(); ++i) {
            const std::string path = JoinPath(folder, bareNames[i]);
            ReadArenaFile(path, batch[i], archive);
            std::error_code error;
            if (!fs::remove(path, error) && error)
                throw std::runtime_error("\"" + path + "\" could not be removed: " + error.message());
        }
    }
    return static_cast<int>(maps_.size() - before);
}

const std::string& TMapScan::ScanFolder() {
    if (!folder_) {
        std::string scratch;
        try {
            scratch = MakeScratchFolder();
        } catch (const std::runtime_error& error) {
            throw ScanError(error.what());
        }
        auto folder = std::make_unique<QTemporaryDir>(QString::fromStdString(JoinPath(scratch, "scan-XXXXXX")));
        if (!folder->isValid())
            throw std::runtime_error("Unable to create a folder in \"" + scratch +
                                     "\": " + folder->errorString().toStdString());
        folder_ = std::move(folder);
        folderPath_ = folder_->path().toStdString();
    }
    return folderPath_;
}

void TMapScan::ReadArenaFile(const std::string& path, const std::string& member, const std::string& archive) {
    const auto unreadable = [&](int error) {
        return std::runtime_error("\"" + Escaped(member) + "\" of \"" + archive +
                                  "\" could not be read: " + std::strerror(error));
    };
    // The library leaves out a member it could not extract whole (damaged, or not of the size its header says);
    // the archive's other members still count.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT) {
        log_(Escaped(member) + " : skipped, the unzip library could not extract it whole from " + archive);
        return;
    }
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        throw unreadable(error);
    }
    if (static_cast<std::uint64_t>(status.st_size) > MaxArenaSize) {
        ::close(fd);
        log_(TooLargeLine(member));
        return;
    }
    // A regular file gives what it holds in one read; a shorter read is its end.
    arenaBytes_.resize(static_cast<std::size_t>(status.st_size));
    ssize_t read = 0;
    do
        read = ::read(fd, arenaBytes_.data(), arenaBytes_.size());
    while (read < 0 && errno == EINTR);
    const int error = errno;
    ::close(fd);
    if (read < 0)
        throw unreadable(error);
    arenaBytes_.resize(static_cast<std::size_t>(read));
    // Line by line, as the game writes them (LF or CR LF); bytes that are not UTF-8 are read as Windows-1252.
    std::vector<std::string> lines;
    const std::string_view text = arenaBytes_;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(DecodeUtf8OrWindows1252(line));
        start = end + 1;
    }
    ReadArena(lines);
}

void TMapScan::ReadArena(const std::vector<std::string>& lines) {
    gametypeSeen_ = false;
    for (const std::string& line : lines)
        ReadArenaLine(line);
    ++arenasRead_;
    arenasWithGametype_ += gametypeSeen_ ? 1 : 0;
}

void TMapScan::ReadArenaLine(const std::string& line) {
    if (line.find("map") != std::string::npos)
        currentMap_ = UnquotedValue(line);
    if (line.find("gametype") == std::string::npos)
        return;
    gametypeSeen_ = true;
    const std::string codeText = UnquotedValue(line);
    if (!currentMap_.empty() && !IsCatalogueWord(currentMap_)) {
        log_(Escaped(currentMap_) + " : skipped, not a valid map name");
        return;
    }
    for (std::size_t start = 0; start <= codeText.size();) {
        const std::size_t end = std::min(codeText.find(' ', start), codeText.size());
        const std::string code = codeText.substr(start, end - start);
        if (!code.empty() && !IsCatalogueWord(code)) {
            log_(Escaped(currentMap_) + " : skipped, gametype " + Escaped(code) + " is not valid");
            return;
        }
        start = end + 1;
    }
    QString codes = QString::fromStdString(codeText);
    codes.replace(u' ', QStringLiteral("] ["));
    const QString entry = QString::fromStdString(currentMap_) + QStringLiteral("=[") + codes + u']' + ModGametype;
    if (known_.contains(entry.toCaseFolded()))
        return;
    known_.insert(entry.toCaseFolded());
    maps_ << entry;
    log_(currentMap_ + " : found");
}

std::vector<SkippedArchive> ScanMaps(TZip& zip, const std::string& gameFolder, const std::string& modFolder,
                                     QStringList& maps, const LogSink& log) {
    TMapScan scan(zip, maps, log);
    const std::vector<std::string> archives = ArchivesToScan(gameFolder, modFolder);
    std::vector<SkippedArchive> skipped;
    int withMaps = 0;
    for (const std::string& archive : archives) {
        try {
            withMaps += scan.ScanArchive(archive) > 0 ? 1 : 0;
        } catch (const ScanError&) {
            throw;
        } catch (const std::exception& error) {
            std::string reason = error.what();
            std::ranges::replace(reason, '\n', ' ');
            skipped.push_back({archive, Escaped(reason)});
            log(archive + " : skipped (" + skipped.back().reason + ")");
        }
    }
    log("Scan : " + std::to_string(maps.size()) + " maps in " + std::to_string(withMaps) + " of " +
        std::to_string(archives.size()) + " archives");
    // Archives of other games describe their maps with "type" lines: what was read is worth saying.
    if (maps.isEmpty() && scan.ArenasRead() > 0 && scan.ArenasWithGametype() == 0)
        log("Scan : " + std::to_string(scan.ArenasRead()) + " arena files read, none with a gametype line");
    else if (maps.isEmpty() && scan.ArenasRead() == 0)
        log("Scan : no map description (.arena) in " + JoinPath(gameFolder, "main") + " nor in " +
            JoinPath(gameFolder, modFolder));
    CreateUserFolder();
    SaveMapsFile(MapsFilePath(), maps);
    return skipped;
}
