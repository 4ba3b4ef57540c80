// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LogSink.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QTemporaryDir;
class TZip;

// Arena descriptions are small text; a member larger than this is no arena file.
inline constexpr std::uint64_t MaxArenaSize = 1024 * 1024;

// Scan Maps: the catalogue of maps and their gametypes, read from the ".arena" members of the game's archives.
// Every catalogue line is a map name, "=", the map's gametype codes in brackets separated by blanks, and the
// mod's own gametype last: "mp_harbor=[dm] [tdm] [bhm]".

// The archives a scan reads: the ".pk3" files (any letter case) of the folder "main" under the game folder,
// then those of the mod folder, each folder in name order; a missing folder gives none.
std::vector<std::string> ArchivesToScan(const std::string& gameFolder, const std::string& modFolder);

// The path of the maps file, "maps.ini" in the user folder (the one `quendry paths` names).
std::string MapsFilePath();

// Writes the catalogue whole as the maps file at `path`, one line each in Windows-1252, CR LF after every line.
void SaveMapsFile(const std::string& path, const QStringList& maps);

// A failure that stops a whole scan (no scratch folder, no unzip library), where a failure of one archive only
// skips that archive.
class ScanError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An archive that a scan could not read, and why.
struct SkippedArchive {
    std::string archive;
    std::string reason;
};

// Scan Maps: reads the catalogue from the archives of the game and mod folders into `maps`, then saves it whole
// as the maps file (creating the user folder when needed). An archive that cannot be read is skipped with the
// log line "<archive> : skipped (<reason>)" and returned; the scan ends with "Scan : N maps in A of T archives",
// and, when no map was found, a line that says why: "Scan : N arena files read, none with a gametype line" when
// arena files were read, else one naming the folders searched. Throws when the scan cannot run (ScanError)
// or the file cannot be written; the file is left as it was then.
std::vector<SkippedArchive> ScanMaps(TZip& zip, const std::string& gameFolder, const std::string& modFolder,
                                     QStringList& maps, const LogSink& log);

// One scan: reads the arena members of archive after archive into `maps` (emptied first), logging
// "name : found" for every new line. The current map name carries over from one arena file to the next.
class TMapScan {
public:
    TMapScan(TZip& zip, QStringList& maps, LogSink log);
    ~TMapScan();
    TMapScan(const TMapScan&) = delete;
    TMapScan& operator=(const TMapScan&) = delete;

    // Opens `archive` and reads each of its members whose name ends in ".arena" (letter case counts), in
    // directory order; every member is extracted into the scan's own folder in the user's scratch folder, and its
    // file removed once read, so no file of an earlier member, archive or scan is read in its place. A member larger
    // than MaxArenaSize, or one that the unzip library could not extract whole, is skipped with a log line. Returns the
    // number of catalogue lines it added. Throws ScanError when the scratch folder or the unzip library cannot be had,
    // another error when the archive or an extracted member cannot be read.
    int ScanArchive(const std::string& archive);

    // Takes the lines of one arena file: a line holding "map" names the current map, a line holding
    // "gametype" adds the current map with those gametypes. A map name or gametype word that is not made of
    // printable Windows-1252 characters only, or holds one of = [ ] " ;, is skipped with a log line.
    void ReadArena(const std::vector<std::string>& lines);

    // Takes one line of an arena file, as ReadArena does.
    void ReadArenaLine(const std::string& line);
    // The arena files read so far, and how many of them held a "gametype" line.
    int ArenasRead() const { return arenasRead_; }
    int ArenasWithGametype() const { return arenasWithGametype_; }

private:
    // The scan's own folder in the user's scratch folder, made at its first use and removed with the scan. Throws
    // ScanError when the scratch folder cannot be had, another error when the folder cannot be made.
    const std::string& ScanFolder();
    // Reads the extracted arena file at `path` line by line.
    void ReadArenaFile(const std::string& path, const std::string& member, const std::string& archive);

    TZip& zip_;
    QStringList& maps_;
    LogSink log_;
    QSet<QString> known_; // the catalogue lines, case-folded
    std::string currentMap_;
    int arenasRead_ = 0;
    int arenasWithGametype_ = 0;
    bool gametypeSeen_ = false; // in the arena file being read
    std::string arenaBytes_;    // the arena file being read, its memory kept from one file to the next
    std::unique_ptr<QTemporaryDir> folder_;
    std::string folderPath_;
};
