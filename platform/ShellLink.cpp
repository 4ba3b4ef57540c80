// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ShellLink.h"

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Process.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A value as a launcher stores it: backslashes and line breaks escaped, a leading blank kept.
std::string EntryValue(const std::string& text) {
    std::string value;
    for (char c : text) {
        switch (c) {
        case '\\':
            value += "\\\\";
            break;
        case '\n':
            value += "\\n";
            break;
        case '\t':
            value += "\\t";
            break;
        case '\r':
            value += "\\r";
            break;
        default:
            value += c;
        }
    }
    if (!value.empty() && value.front() == ' ')
        value.replace(0, 1, "\\s");
    return value;
}

// One word of the command to run: quoted when it holds a character that the launcher's grammar reserves, with
// "%" doubled so that no word reads as a field code.
std::string ExecWord(const std::string& word) {
    const bool quote = word.empty() || word.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
    std::string text = quote ? "\"" : "";
    for (char c : word) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            text += '\\';
        text += c;
        if (c == '%')
            text += '%';
    }
    return quote ? text + "\"" : text;
}

std::string FolderOf(const std::string& path) {
    const auto cut = path.find_last_of(PathSeparator);
    if (cut == std::string::npos)
        return ".";
    return cut == 0 ? std::string(1, PathSeparator) : path.substr(0, cut);
}

} // namespace

std::string ShellLinkText(const std::string& target, const std::string& linkName, const std::string& arguments,
                          const std::string& iconFile) {
    std::string exec =
        IsWindowsProgram(target) ? ExecWord(WindowsProgramRunner()) + " " + ExecWord(target) : ExecWord(target);
    for (const std::string& word : SplitCommandLine(arguments)) {
        exec += ' ';
        exec += ExecWord(word);
    }
    return "[Desktop Entry]\nType=Application\nName=" +
           EntryValue(linkName.substr(linkName.find_last_of(PathSeparator) + 1)) + "\nExec=" + EntryValue(exec) +
           "\nPath=" + EntryValue(FolderOf(target)) + "\nIcon=" + EntryValue(iconFile) + "\n";
}

std::string WriteShellLink(const std::string& target, const std::string& linkName, const std::string& arguments,
                           const std::string& iconFile) {
    const std::string path = linkName + ".desktop";
    WriteFileAtomically(path, ShellLinkText(target, linkName, arguments, iconFile));
    // Whoever may read the launcher may start it, as chmod +x gives.
    std::error_code error;
    const fs::perms mode = fs::status(path, error).permissions();
    fs::perms executable = fs::perms::owner_exec;
    if ((mode & fs::perms::group_read) != fs::perms::none)
        executable |= fs::perms::group_exec;
    if ((mode & fs::perms::others_read) != fs::perms::none)
        executable |= fs::perms::others_exec;
    fs::permissions(path, executable, fs::perm_options::add, error);
    if (error)
        throw FileError("Cannot make this launcher executable:", path, error.message());
    return path;
}
