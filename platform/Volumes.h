// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

// What the program asks of drives: their kind and their volume label. Archives spanned over removable disks
// are recognised by the label of the disk in the drive, so tests put a disk of their own in its place.

// Drive kinds as the Windows drive type gives them.
inline constexpr int DriveNoRootDir = 1;
inline constexpr int DriveRemovable = 2;
inline constexpr int DriveFixed = 3;

class Volumes {
public:
    virtual ~Volumes() = default;

    // The kind of the drive that holds `path` (not empty).
    virtual int DriveKind(const std::string& path) = 0;
    // The label of the volume that holds `path`; nullopt when the drive cannot be read.
    virtual std::optional<std::string> VolumeLabel(const std::string& path) = 0;
};

// The volumes in force: here every path lies on a readable fixed disk without a label.
Volumes& SystemVolumes();

// Installs `volumes` (not owned) in place of the system's; nullptr restores them.
void SetVolumes(Volumes* volumes);
