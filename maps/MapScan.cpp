#include "maps/MapScan.h"

#include "config/TextHelpers.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Windows1252.h"
#include "zip/Zip.h"

#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

const QString ModGametype = QStringLiteral(" [bhm]");

// The text after the line's first double quote (the whole line without one), trimmed, quotes removed.
std::string QuotedValue(const std::string& line) {
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

// The lines of a text file as the game writes them: LF or CR LF, bytes that are not UTF-8 read as Windows-1252.
std::vector<std::string> ReadTextLines(const std::string& path, const std::string& member, const std::string& archive) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("\"" + member + "\" of \"" + archive +
                                 "\" could not be extracted: " + std::strerror(errno));
    const std::string text =
        DecodeUtf8OrWindows1252(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
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
        content += line.toStdString() + "\r\n";
    WriteFileAtomically(path, content);
}

TMapScan::TMapScan(TZip& zip, QStringList& maps, LogSink log) : zip_(zip), maps_(maps), log_(std::move(log)) {
    maps_.clear();
}

void TMapScan::ScanArchive(const std::string& archive) {
    zip_.Open(archive);
    std::vector<std::string> arenas;
    for (int i = 0; i < zip_.EntryCount(); ++i) {
        std::string name = zip_.EntryAt(i).FileName;
        const std::size_t dot = name.rfind('.');
        if (dot != std::string::npos && name.compare(dot, std::string::npos, ".arena") == 0)
            arenas.push_back(std::move(name));
    }
    // Members go out in runs of distinct bare names, each run into an empty folder of this scan's own.
    const std::string scratch = JoinPath(GetTempFolder(), "Quendry");
    fs::create_directories(scratch);
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
        const QTemporaryDir folder(QString::fromStdString(JoinPath(scratch, "scan-XXXXXX")));
        if (!folder.isValid())
            throw std::runtime_error("Unable to create a folder in \"" + scratch +
                                     "\": " + folder.errorString().toStdString());
        zip_.MemberSpecs = batch;
        zip_.ExtractFolder = folder.path().toStdString();
        zip_.ExtractOptions = ExtractReplaceOlder;
        zip_.Extract();
        for (std::size_t i = 0; i < batch.size(); ++i)
            ReadArena(ReadTextLines(JoinPath(zip_.ExtractFolder, bareNames[i]), batch[i], archive));
    }
}

void TMapScan::ReadArena(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (line.find("map") != std::string::npos)
            currentMap_ = QuotedValue(line);
        if (line.find("gametype") == std::string::npos)
            continue;
        QString codes = QString::fromStdString(QuotedValue(line));
        codes.replace(u' ', QStringLiteral("] ["));
        const QString entry = QString::fromStdString(currentMap_) + QStringLiteral("=[") + codes + u']' + ModGametype;
        if (known_.contains(entry.toCaseFolded()))
            continue;
        known_.insert(entry.toCaseFolded());
        maps_ << entry;
        log_(currentMap_ + " : found");
    }
}

void ScanMaps(TZip& zip, const std::string& gameFolder, const std::string& modFolder, QStringList& maps,
              const LogSink& log) {
    TMapScan scan(zip, maps, log);
    for (const std::string& archive : ArchivesToScan(gameFolder, modFolder))
        scan.ScanArchive(archive);
    CreateUserFolder();
    SaveMapsFile(MapsFilePath(), maps);
}
