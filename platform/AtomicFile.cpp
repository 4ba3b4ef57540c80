#include "platform/AtomicFile.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void ThrowCannotCreate(const std::string& path) {
    throw std::runtime_error("Impossible de créer le fichier " + path);
}

} // namespace

void WriteFileAtomically(const std::string& path, std::string_view content) {
    const std::string temporary = path + ".tmp~";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        ThrowCannotCreate(path);
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n <= 0) {
            ::close(fd);
            ::unlink(temporary.c_str());
            ThrowCannotCreate(path);
        }
        written += static_cast<std::size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    if (::close(fd) != 0 || !synced || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        ThrowCannotCreate(path);
    }
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("Impossible d'ouvrir le fichier " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
