#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>

namespace {

std::optional<std::string>& ProgramFolderOverride() {
    static std::optional<std::string> folder;
    return folder;
}

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

std::string TrimTrailingBackslashes(std::string text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlankOrControl(text[begin]))
        ++begin;
    std::size_t end = text.size();
    while (end > begin && IsBlankOrControl(text[end - 1]))
        --end;
    text = text.substr(begin, end - begin);
    // The root keeps its separator: without it the path would name nothing.
    while (text.size() > 1 && text.back() == PathSeparator)
        text.pop_back();
    return text;
}

std::string GetTempFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    std::string folder = tmpdir && *tmpdir ? tmpdir : "/tmp";
    folder = TrimTrailingBackslashes(folder);
    return folder.empty() ? std::string(1, PathSeparator) : folder;
}

std::string GetProgramPath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string GetProgramFolder() {
    if (ProgramFolderOverride())
        return *ProgramFolderOverride();
    const std::string path = GetProgramPath();
    const auto cut = path.find_last_of(PathSeparator);
    if (cut == std::string::npos)
        return ".";
    return cut == 0 ? std::string(1, PathSeparator) : path.substr(0, cut);
}

void SetProgramFolderOverride(std::optional<std::string> folder) {
    ProgramFolderOverride() = std::move(folder);
}

std::string GetTextViewerCommand() {
    return "xdg-open";
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == PathSeparator)
        return folder + name;
    return folder + PathSeparator + name;
}
