// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "zip/ZipFormat.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Reading the list of members of a zip archive from its central directory, on one disk or spanned over removable
// disks, without the unzip library.

// The zip component's errors; the message says what went wrong and with which file.
class ZipException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the directory of an archive says, as far as it was read.
struct TZipDirectory {
    TEndRecord endRecord;
    std::int64_t endRecordPos = -1;
    std::string comment; // raw bytes, as stored
    bool oemNames = false;
    std::vector<TFileInfo> entries;
};

// A question with OK and Cancel put to the user about the disk in the drive; true for OK.
using TDiskQuestion = std::function<bool(const std::string& question)>;

// Throws ZipException "Unable to access the selected drive!" when the drive holding `path` cannot be read.
void CheckArchiveDrive(const std::string& path);

// Reads the directory of the archive at `path` into `directory` (emptied first), asking `ask` for the disks of a
// spanned archive; a question cancelled leaves it as far as it was read. Throws ZipException when the archive
// cannot be read.
void ReadZipDirectory(const std::string& path, const TDiskQuestion& ask, TZipDirectory& directory);

// Support routines for archives spanned over removable disks; drives are read through SystemVolumes().

// The drive kind of `path`: DriveNoRootDir for an empty path.
int DriveKind(const std::string& path);
// The volume label of the drive holding `path`; false when the drive cannot be read.
bool VolumeLabel(const std::string& path, std::string& label);
// The disk number of a spanned archive's disk holding `path` (label "PKBACK# 003" is disk 3); 0 for a file
// that does not exist, is not on a removable disk, or whose disk has no such label.
int SpanDiskNumber(const std::string& path);
// Asks `ask` for disk `disk` of a spanned archive until it is in the drive; false when the user cancels.
bool AskForDisk(const std::string& path, int disk, const TDiskQuestion& ask);
