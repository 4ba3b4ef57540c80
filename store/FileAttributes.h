// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

// Windows file attribute bits as the store records them, mapped onto this platform's file modes.
inline constexpr std::uint32_t FileAttributeReadOnly = 0x01;
inline constexpr std::uint32_t FileAttributeHidden = 0x02;
inline constexpr std::uint32_t FileAttributeSystem = 0x04;
inline constexpr std::uint32_t FileAttributeDirectory = 0x10;
inline constexpr std::uint32_t FileAttributeArchive = 0x20;

// Attributes of `path`: read-only when the owner may not write, hidden when the name begins with ".", archive
// for a regular file, directory for a folder; 0 when the path does not exist. System is never set here.
std::uint32_t GetFileAttributes(const std::string& path);

// Applies the read-only bit of `attributes` to `path`: set clears every write bit, clear gives the owner write
// permission back. The other bits have no counterpart in file modes. Returns false when the mode cannot be set.
bool SetFileAttributes(const std::string& path, std::uint32_t attributes);
