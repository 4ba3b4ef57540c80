// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>
#include <string>
#include <vector>

// The zip component's commands. An archive that does not exist is an error (listing never creates it). Each
// returns 0 on success; errors go to `err` with 1.

// Lists ARCHIVE, one member a line: name as listed, compressed size, size, method, host system, encrypted; then
// the archive comment. Names and comment are shown terminal-safe (TerminalSafe).
int ZipList(const std::string& archive, std::ostream& out, std::ostream& err);

// True when ARCHIVE is a file; else false, with why not ("No such file or directory", "not a file") on `err`.
bool IsArchiveFile(const std::string& archive, std::ostream& err);

// Extracts the members `names` of ARCHIVE into `folder` through the unzip library found in `libraryFolder`, with
// the default options; questions go to the questions in force.
int ZipExtract(const std::string& archive, const std::string& folder, const std::vector<std::string>& names,
               const std::string& libraryFolder, std::ostream& out, std::ostream& err);
