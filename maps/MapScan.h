#pragma once

#include "config/LogSink.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class TZip;

// Scan Maps: the catalogue of maps and their gametypes, read from the ".arena" members of the game's archives.
// Every catalogue line is a map name, "=", the map's gametype codes in brackets separated by blanks, and the
// mod's own gametype last: "mp_harbor=[dm] [tdm] [bhm]".

// The archives a scan reads: the ".pk3" files (any letter case) of the folder "main" under the game folder,
// then those of the mod folder, each folder in name order; a missing folder gives none.
std::vector<std::string> ArchivesToScan(const std::string& gameFolder, const std::string& modFolder);

// The path of the maps file, "maps.ini" in the program folder.
std::string MapsFilePath();

// Writes the catalogue whole as the maps file at `path`, one line each, CR LF after every line.
void SaveMapsFile(const std::string& path, const QStringList& maps);

// Scan Maps: reads the catalogue from the archives of the game and mod folders into `maps`, then saves it whole
// as the maps file (creating the user folder when needed). Throws when an archive or the file fails; the file
// is left as it was then.
void ScanMaps(TZip& zip, const std::string& gameFolder, const std::string& modFolder, QStringList& maps,
              const LogSink& log);

// One scan: reads the arena members of archive after archive into `maps` (emptied first), logging
// "name : found" for every new line. The current map name carries over from one arena file to the next.
class TMapScan {
public:
    TMapScan(TZip& zip, QStringList& maps, LogSink log);

    // Opens `archive` and reads each of its members whose name ends in ".arena" (letter case counts), in
    // directory order; every member is extracted into a folder of its own, so no file of an earlier member,
    // archive or scan is read in its place. Throws when the archive or a member cannot be read.
    void ScanArchive(const std::string& archive);

    // Takes the lines of one arena file: a line holding "map" names the current map, a line holding
    // "gametype" adds the current map with those gametypes.
    void ReadArena(const std::vector<std::string>& lines);

private:
    TZip& zip_;
    QStringList& maps_;
    LogSink log_;
    QSet<QString> known_; // the catalogue lines, case-folded
    std::string currentMap_;
};
