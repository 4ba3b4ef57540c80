// SPDX-License-Identifier: GPL-3.0-or-later
// `quendry zip list`: the archive's directory read without the unzip library, and without Qt.
#include "zip/ZipCommand.h"

#include "forms/ConsoleAnswers.h"
#include "platform/TerminalText.h"
#include "platform/Windows1252.h"
#include "zip/ZipDirectory.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>

namespace fs = std::filesystem;

namespace {

std::string MethodName(int method) {
    switch (method) {
    case MethodStored:
        return "stored";
    case MethodDeflated:
        return "deflated";
    default:
        return "method " + std::to_string(method);
    }
}

std::string HostName(int host) {
    static const std::map<int, std::string> Names = {{0, "MS-DOS"},    {3, "Unix"},          {6, "OS/2 HPFS"},
                                                     {7, "Macintosh"}, {10, "Windows NTFS"}, {14, "VFAT"},
                                                     {19, "OS X"}};
    const auto name = Names.find(host);
    return name != Names.end() ? name->second : "host " + std::to_string(host);
}

void List(const TZipDirectory& directory, std::ostream& out) {
    for (const TFileInfo& entry : directory.entries) {
        out << TerminalSafe(entry.FileName) << '\t' << entry.Header.CompressedSize << '\t'
            << entry.Header.UncompressedSize << '\t' << MethodName(entry.Header.Method) << '\t'
            << HostName(entry.Header.HostSystem()) << '\t' << (entry.Encrypted ? "encrypted" : "-") << '\n';
    }
    if (!directory.comment.empty())
        out << TerminalSafe(DecodeUtf8OrWindows1252(directory.comment)) << '\n';
}

} // namespace

bool IsArchiveFile(const std::string& archive, std::ostream& err) {
    std::error_code error;
    if (fs::is_regular_file(archive, error))
        return true;
    err << "\"" << archive << "\": " << (fs::exists(archive, error) ? "not a file" : std::strerror(ENOENT)) << '\n';
    return false;
}

int ZipList(const std::string& archive, std::ostream& out, std::ostream& err) {
    if (!IsArchiveFile(archive, err))
        return 1;
    try {
        CheckArchiveDrive(archive);
        TZipDirectory directory;
        // A listing reads no answers: the disk questions of a spanned archive are shown and cancelled.
        ReadZipDirectory(
            archive, [](const std::string& question) { return AskOkCancelOnConsole(std::cerr, nullptr, question); },
            directory);
        List(directory, out);
        return 0;
    } catch (const std::exception& failure) {
        err << failure.what() << '\n';
        return 1;
    }
}
