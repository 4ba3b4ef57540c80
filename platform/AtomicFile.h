// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileError.h"

#include <cstddef>
#include <string>
#include <string_view>

// Mode of a new file that may hold passwords (settings and cfg files): only its owner may read it.
inline constexpr unsigned PrivateFileMode = 0600;

// What a file written over an existing one takes from it.
enum class ReplacedFile {
    KeepsModeAndOwner, // the user's files: a settings file keeps who may read it
    IsWrittenNew       // the program's own records: they belong to whoever writes them, with `newFileMode`
};

// Writes `content` to `path` whole: into a temporary file beside it, flushed, then renamed over the old file,
// so a crash or a full disk never leaves half a file. A symbolic link of the running user's or root's is
// followed and its target replaced; a link of anyone else's is refused (see TrustedPath.h). The replaced file
// keeps its mode and, where the system allows, its owner and group, unless `replaced` says otherwise. A new file
// gets `newFileMode` less the umask. Throws FileError ("Impossible de créer le fichier <path> (<reason>)") when it
// cannot.
void WriteFileAtomically(const std::string& path, std::string_view content, unsigned newFileMode = 0666,
                         ReplacedFile replaced = ReplacedFile::KeepsModeAndOwner);

// WriteFileAtomically for `relative` below the folder `root`, every link on the way below `root` checked as
// ResolveBelow does.
void WriteFileBelow(const std::string& root, const std::string& relative, std::string_view content,
                    unsigned newFileMode = 0666);

// No limit on the size of a file read.
inline constexpr std::size_t NoSizeLimit = static_cast<std::size_t>(-1);

// Reads a whole file as bytes, without waiting on a pipe and without following a link of anyone else's than
// the running user or root. Throws FileError ("Impossible d'ouvrir le fichier <path> (<reason>)") when it is
// not a readable regular file, or holds more than `limit` bytes ("larger than N bytes"), which are never read.
std::string ReadWholeFile(const std::string& path, std::size_t limit = NoSizeLimit);

// ReadWholeFile for `relative` below the folder `root`, every link on the way below `root` checked; `mode`,
// when given, receives the file's permission bits.
std::string ReadFileBelow(const std::string& root, const std::string& relative, unsigned* mode = nullptr);
