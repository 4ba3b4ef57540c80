#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// A file that could not be read, created or written: "<what> <path> (<reason>)", where the reason is the
// system's ("No space left on device").
class FileError : public std::runtime_error {
public:
    FileError(const std::string& what, const std::string& path, const std::string& reason);
    // The system's reason alone.
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

// Mode of a new file that holds passwords (settings files): only its owner may read it.
inline constexpr unsigned PrivateFileMode = 0600;

// Writes `content` to `path` whole: into a temporary file beside it, flushed, then renamed over the old file,
// so a crash or a full disk never leaves half a file. A symbolic link is followed and its target replaced; the
// replaced file keeps its mode and, where the system allows, its owner and group. A new file gets `newFileMode`
// less the umask. Throws FileError ("Impossible de créer le fichier <path> (<reason>)") when it cannot.
void WriteFileAtomically(const std::string& path, std::string_view content, unsigned newFileMode = 0666);

// Reads a whole file as bytes, without waiting on a pipe. Throws FileError ("Impossible d'ouvrir le fichier
// <path> (<reason>)") when it is not a readable regular file.
std::string ReadWholeFile(const std::string& path);
