// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileError.h"

#include <cstddef>
#include <exception>
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

// The file `relative` below the folder `root` written a piece at a time, atomically as WriteFileBelow writes a whole
// text: the pieces go into a temporary file beside it, which Commit renames over the old file. A failure on the way
// is kept, and thrown by Commit as WriteFileBelow would throw it, so that pieces may be written whatever happens; the
// temporary file is removed unless Commit renamed it.
class AtomicFileWriter {
public:
    AtomicFileWriter(const std::string& root, const std::string& relative, unsigned newFileMode = 0666);
    // The file at `path`, written as WriteFileAtomically writes a whole text.
    AtomicFileWriter(const std::string& path, unsigned newFileMode, ReplacedFile replaced);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Appends `piece` to the file.
    void Write(std::string_view piece);
    // Replaces the file with what was written. Throws FileError when anything failed.
    void Commit();

private:
    // Failures name `path`.
    AtomicFileWriter(const std::string& root, const std::string& relative, std::string path, unsigned newFileMode,
                     ReplacedFile replacing);
    void Fail();

    std::string path_;
    std::string target_;
    std::string scratch_; // empty once renamed, or when none was created
    int fd_ = -1;
    std::exception_ptr failure_;
};

// Writes the whole of `content` to the descriptor `fd`, again after an interruption; false when the system refuses,
// errno saying why.
bool WriteAll(int fd, std::string_view content);

// No limit on the size of a file read.
inline constexpr std::size_t NoSizeLimit = static_cast<std::size_t>(-1);

// Reads a whole file as bytes, without waiting on a pipe and without following a link of anyone else's than
// the running user or root. Throws FileError ("Impossible d'ouvrir le fichier <path> (<reason>)") when it is
// not a readable regular file, or holds more than `limit` bytes ("larger than N bytes"), which are never read.
std::string ReadWholeFile(const std::string& path, std::size_t limit = NoSizeLimit);

// ReadWholeFile for `relative` below the folder `root`, every link on the way below `root` checked; `mode`,
// when given, receives the file's permission bits.
std::string ReadFileBelow(const std::string& root, const std::string& relative, unsigned* mode = nullptr);
