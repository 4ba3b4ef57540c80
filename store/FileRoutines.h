// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// File routines beside the resource store: password scrambling, cutting of stored names, emptying of folders
// and the French texts that describe a member. They hold no state. Stored names separate their folders with a
// backslash; a slash counts as a separator too, since no file name on this platform can hold one.

// True for the characters that separate the folders of a stored name.
inline bool IsStoreSeparator(char c) {
    return c == '\\' || c == '/';
}

// The bytes of `text` from the last to the first, each increased by `shift` modulo 256.
std::string ScramblePassWord(std::string_view text, int shift);

// The last folder name of a stored path: blanks and control characters trimmed at both ends, trailing
// separators removed, then the text after the last separator (the whole text when it holds none).
std::string LastFolderName(std::string_view path);

// The text after the first ":" (the whole text when there is none), without the separators at its start.
std::string StripDrive(std::string_view path);

// Deletes the files of `folder` that `mask` selects ("*.*" for all, else "*" and an extension, letter case
// ignored), walking subfolders when `recurse` is set and removing `folder` at the end when `removeFolder` is set
// and it became empty. Reports nothing: what cannot be deleted stays. Symbolic links are deleted, never followed.
void DeleteFolderFiles(const std::string& folder, std::string_view mask, bool recurse, bool removeFolder);

// A byte count as French text in decimal units: "999 Octets", "1.5 Ko" (with the locale's decimal separator),
// "2 Mo", "4,294967295 Go".
std::string SizeToText(std::uint32_t bytes);

// The French texts of the attribute bits read-only, hidden, system and archive, in that order: long form
// "Lecture seule/Fichier caché/Fichier Système/Archive", short form "LCSA".
std::string AttributesToText(std::uint32_t attributes, bool longForm);

// The type description of a file judged from its name's extension ("Fichier PK3" for an unknown one); without
// `useAttributes` the file must exist, else the text is empty. At most 79 characters.
std::string ShellTypeName(const std::string& name, bool useAttributes);

// The index of the file's icon in the system image list; this platform has none, so always 0.
int ShellIconIndex(const std::string& name, bool useAttributes, bool large, bool open);
