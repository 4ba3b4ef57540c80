// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/StartFailureHints.h"

#include "platform/TerminalText.h"

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

// How 32-bit libraries are added to a 64-bit Debian or Ubuntu system.
constexpr std::string_view AddI386 = "dpkg --add-architecture i386 && apt-get update && apt-get install ";

// The 32-bit package that usually provides a library the game's servers ask for.
struct LibraryPackage {
    std::string_view library;
    std::string_view package;
};
constexpr LibraryPackage LibraryPackages[] = {
    {"libstdc++.so.5", "libstdc++5:i386"}, {"libstdc++.so.6", "libstdc++6:i386"}, {"libgcc_s.so.1", "libgcc-s1:i386"},
    {"libz.so.1", "zlib1g:i386"},          {"libc.so.6", "libc6:i386"},           {"libm.so.6", "libc6:i386"},
    {"libdl.so.2", "libc6:i386"},          {"libpthread.so.0", "libc6:i386"},
};

// The interpreter that a 32-bit little-endian ELF program names, or nothing.
std::optional<std::string> Interpreter32(const std::string& executable) {
    std::ifstream file(executable, std::ios::binary);
    Elf32_Ehdr header{};
    if (!file.read(reinterpret_cast<char*>(&header), sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS32 ||
        header.e_ident[EI_DATA] != ELFDATA2LSB || header.e_phentsize != sizeof(Elf32_Phdr))
        return std::nullopt;
    for (int i = 0; i < header.e_phnum; ++i) {
        Elf32_Phdr program{};
        file.seekg(header.e_phoff + static_cast<std::streamoff>(i) * header.e_phentsize);
        if (!file.read(reinterpret_cast<char*>(&program), sizeof program))
            return std::nullopt;
        // A loader's path is short; anything longer is no program the system would start.
        if (program.p_type != PT_INTERP || program.p_filesz == 0 || program.p_filesz > 4096)
            continue;
        std::string path(program.p_filesz, '\0');
        file.seekg(program.p_offset);
        if (!file.read(path.data(), static_cast<std::streamsize>(path.size())))
            return std::nullopt;
        path.resize(std::strlen(path.c_str()));
        return path;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> MissingLoader(const std::string& executable) {
    const auto loader = Interpreter32(executable);
    std::error_code error;
    if (!loader || loader->empty() || std::filesystem::exists(*loader, error))
        return std::nullopt;
    return "the 32-bit loader " + TerminalSafe(*loader) + " is missing: " + std::string(AddI386) + "libc6:i386";
}

std::vector<std::string> StartFailureHints(const std::vector<std::string>& output) {
    static constexpr std::string_view LoaderError = "error while loading shared libraries: ";
    std::vector<std::string> hints;
    const auto add = [&hints](std::string hint) {
        if (std::ranges::find(hints, hint) == hints.end())
            hints.push_back(std::move(hint));
    };
    for (const std::string& line : output) {
        if (const auto at = line.find(LoaderError); at != std::string::npos) {
            const std::string_view rest = std::string_view(line).substr(at + LoaderError.size());
            const std::string library(rest.substr(0, rest.find(':')));
            const auto known = std::ranges::find(LibraryPackages, library, &LibraryPackage::library);
            add("Server program : the 32-bit library " + TerminalSafe(library) + " is missing: " +
                (known != std::end(LibraryPackages) ? std::string(AddI386) + std::string(known->package)
                                                    : "install the i386 package that provides it"));
        }
        if (line.find("wine32 is missing") != std::string::npos)
            add("Server program : 32-bit Wine is missing: " + std::string(AddI386) + "wine32:i386");
    }
    return hints;
}
