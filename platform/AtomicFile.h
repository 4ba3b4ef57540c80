// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileError.h"

#include <string>
#include <string_view>

// Mode of a new file that holds passwords (settings files): only its owner may read it.
inline constexpr unsigned PrivateFileMode = 0600;

// Writes `content` to `path` whole: into a temporary file beside it, flushed, then renamed over the old file,
// so a crash or a full disk never leaves half a file. A symbolic link of the running user's or root's is
// followed and its target replaced; a link of anyone else's is refused (see TrustedPath.h). The replaced file
// keeps its mode and, where the system allows, its owner and group. A new file gets `newFileMode` less the
// umask. Throws FileError ("Impossible de créer le fichier <path> (<reason>)") when it cannot.
void WriteFileAtomically(const std::string& path, std::string_view content, unsigned newFileMode = 0666);

// WriteFileAtomically for `relative` below the folder `root`, every link on the way below `root` checked as
// ResolveBelow does.
void WriteFileBelow(const std::string& root, const std::string& relative, std::string_view content,
                    unsigned newFileMode = 0666);

// Reads a whole file as bytes, without waiting on a pipe and without following a link of anyone else's than
// the running user or root. Throws FileError ("Impossible d'ouvrir le fichier <path> (<reason>)") when it is
// not a readable regular file.
std::string ReadWholeFile(const std::string& path);
// ReadWholeFile, stopping after the first `maxBytes` bytes: however large the file is, or grows while it is read.
std::string ReadFileStart(const std::string& path, std::size_t maxBytes);

// ReadWholeFile for `relative` below the folder `root`, every link on the way below `root` checked; `mode`,
// when given, receives the file's permission bits.
std::string ReadFileBelow(const std::string& root, const std::string& relative, unsigned* mode = nullptr);
