// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/FileRoutines.h"

#include "store/FileAttributes.h"

#include "platform/AsciiCase.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The part of `name` after its last folder separator.
std::string_view LastComponent(std::string_view name) {
    const auto cut = std::find_if(name.rbegin(), name.rend(), IsStoreSeparator);
    return name.substr(static_cast<std::size_t>(name.rend() - cut));
}

// The extension of the last component of `name`, its dot included; empty when it has none.
std::string_view Extension(std::string_view name) {
    const std::string_view last = LastComponent(name);
    const auto dot = last.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : last.substr(dot);
}

// Shorter than the text the shell would give, but the same for the files the store carries.
constexpr std::array<std::pair<std::string_view, std::string_view>, 9> KnownTypes{{
    {".TXT", "Document texte"},
    {".INI", "Paramètres de configuration"},
    {".CFG", "Fichier de configuration"},
    {".ZIP", "Dossier compressé"},
    {".EXE", "Application"},
    {".DLL", "Extension de l'application"},
    {".HTM", "Document HTML"},
    {".HTML", "Document HTML"},
    {".LNK", "Raccourci"},
}};

constexpr std::size_t MaxTypeNameLength = 79;

// `text` cut to at most `limit` bytes without splitting a UTF-8 character.
std::string CutUtf8(std::string text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

} // namespace

std::string ScramblePassWord(std::string_view text, int shift) {
    std::string scrambled(text.rbegin(), text.rend());
    for (char& c : scrambled)
        c = static_cast<char>(static_cast<unsigned char>(c) + shift);
    return scrambled;
}

std::string LastFolderName(std::string_view path) {
    while (!path.empty() && IsBlankOrControl(path.front()))
        path.remove_prefix(1);
    while (!path.empty() && IsBlankOrControl(path.back()))
        path.remove_suffix(1);
    while (!path.empty() && IsStoreSeparator(path.back()))
        path.remove_suffix(1);
    return std::string(LastComponent(path));
}

std::string StripDrive(std::string_view path) {
    const auto colon = path.find(':');
    if (colon != std::string_view::npos)
        path.remove_prefix(colon + 1);
    while (!path.empty() && IsStoreSeparator(path.front()))
        path.remove_prefix(1);
    return std::string(path);
}

void DeleteFolderFiles(const std::string& folder, std::string_view mask, bool recurse, bool removeFolder) {
    std::error_code error;
    std::error_code ignored;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& entry = it->path();
        const bool link = it->is_symlink(ignored);
        if (!link && it->is_directory(ignored)) {
            if (recurse)
                DeleteFolderFiles(entry.string(), mask, recurse, removeFolder);
            continue;
        }
        const std::string fileName = entry.filename().string();
        // The mask selects by "*" followed by the extension; "*.*" selects everything.
        if (mask != "*.*" && !(mask.starts_with('*') && SameTextAscii(mask.substr(1), Extension(fileName))))
            continue;
        if (!link && (GetFileAttributes(entry.string()) & FileAttributeReadOnly))
            SetFileAttributes(entry.string(), FileAttributeArchive);
        fs::remove(entry, ignored);
    }
    if (removeFolder)
        fs::remove(folder, ignored);
}

std::string SizeToText(std::uint32_t bytes) {
    if (bytes < 1000)
        return std::to_string(bytes) + " Octets";
    const auto [unit, name] = bytes < 1'000'000       ? std::pair{1e3, " Ko"}
                              : bytes < 1'000'000'000 ? std::pair{1e6, " Mo"}
                                                      : std::pair{1e9, " Go"};
    // %g follows the locale's decimal separator, as the user expects.
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.15g", bytes / unit);
    return text.data() + std::string(name);
}

std::string AttributesToText(std::uint32_t attributes, bool longForm) {
    struct AttributeText {
        std::uint32_t bit;
        const char* longText;
        const char* shortText;
    };
    static constexpr std::array<AttributeText, 4> Texts{{
        {FileAttributeReadOnly, "Lecture seule/", "L"},
        {FileAttributeHidden, "Fichier caché/", "C"},
        {FileAttributeSystem, "Fichier Système/", "S"},
        {FileAttributeArchive, "Archive", "A"},
    }};
    std::string text;
    for (const AttributeText& entry : Texts)
        if (attributes & entry.bit)
            text += longForm ? entry.longText : entry.shortText;
    return text;
}

std::string ShellTypeName(const std::string& name, bool useAttributes) {
    std::error_code error;
    if (!useAttributes && !fs::exists(name, error))
        return {};
    const std::string extension = UpperCaseAscii(std::string(Extension(name)));
    for (const auto& [known, typeName] : KnownTypes)
        if (extension == known)
            return std::string(typeName);
    if (extension.size() <= 1)
        return "Fichier";
    return CutUtf8("Fichier " + extension.substr(1), MaxTypeNameLength);
}

int ShellIconIndex(const std::string&, bool, bool, bool) {
    return 0;
}
