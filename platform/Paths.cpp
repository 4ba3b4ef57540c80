// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"

#include "InstallLayout.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

const std::string UserFolderName = "quendry";

std::optional<std::string>& ProgramFolderOverride() {
    static std::optional<std::string> folder;
    return folder;
}

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Only a folder that exists and refuses writing makes an install; a missing folder is left to fail where it is
// used, with its own message.
bool RefusesWriting(const std::string& folder) {
    return access(folder.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS || errno == EPERM);
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (home.empty())
        if (const passwd* entry = getpwuid(getuid()))
            home = entry->pw_dir;
    return home;
}

} // namespace

std::string TrimFolderPath(std::string text) {
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
    folder = TrimFolderPath(folder);
    return folder.empty() ? std::string(1, PathSeparator) : folder;
}

std::string ScratchFolderPath() {
    return JoinPath(GetTempFolder(), "Quendry-" + std::to_string(::getuid()));
}

std::string MakeScratchFolder() {
    const std::string folder = ScratchFolderPath();
    if (::mkdir(folder.c_str(), S_IRWXU) != 0 && errno != EEXIST)
        throw std::runtime_error("Cannot create the scratch folder " + folder + " (" + std::strerror(errno) + ")");
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0)
        throw std::runtime_error("Cannot read the scratch folder " + folder + " (" + std::strerror(errno) + ")");
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::getuid())
        throw std::runtime_error("The scratch folder " + folder + " is not a folder of this user's");
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0 && ::chmod(folder.c_str(), S_IRWXU) != 0)
        throw std::runtime_error("Cannot close the scratch folder " + folder + " to other users (" +
                                 std::strerror(errno) + ")");
    return folder;
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

std::string GetConfigHome() {
    const std::string configHome = Environment("XDG_CONFIG_HOME");
    // Relative values are invalid and ignored, as every program of the desktop does.
    if (!configHome.empty() && configHome.front() == PathSeparator)
        return TrimFolderPath(configHome);
    return JoinPath(HomeFolder(), ".config");
}

ProgramFolders GetProgramFolders() {
    const std::string program = GetProgramFolder();
    const std::string installed =
        fs::path(JoinPath(program, QUENDRY_SIDE_FILES_FROM_PROGRAM)).lexically_normal().string();
    std::error_code error;
    const bool sideFilesBeside = fs::exists(JoinPath(program, "data.bin"), error);
    const bool sideFilesInstalled = fs::is_directory(installed, error);
    const bool readOnly = RefusesWriting(program);
    ProgramFolders folders;
    folders.installed = readOnly || (!sideFilesBeside && sideFilesInstalled);
    if (!folders.installed) {
        folders.sideFiles = folders.userFiles = program;
        folders.reason = "the program folder " + program + " can be written";
        return folders;
    }
    folders.reason = readOnly ? "the program folder " + program + " cannot be written"
                              : "the side files are installed in " + installed;
    folders.sideFiles = sideFilesInstalled && !sideFilesBeside ? installed : program;
    folders.userFiles = JoinPath(GetConfigHome(), UserFolderName);
    return folders;
}

std::string PrivateLibrary(const std::string& programFolder, const std::string& name) {
    const std::string beside = JoinPath(programFolder, name);
    const std::string installed =
        fs::path(JoinPath(JoinPath(programFolder, QUENDRY_LIBRARIES_FROM_PROGRAM), name)).lexically_normal().string();
    std::error_code error;
    return !fs::exists(beside, error) && fs::exists(installed, error) ? installed : beside;
}

std::string SideFile(const std::string& name) {
    const ProgramFolders folders = GetProgramFolders();
    const std::string userCopy = JoinPath(folders.userFiles, name);
    std::error_code error;
    return folders.installed && fs::exists(userCopy, error) ? userCopy : JoinPath(folders.sideFiles, name);
}

std::string UserFile(const std::string& name) {
    return JoinPath(GetProgramFolders().userFiles, name);
}

void CreateUserFolder() {
    const ProgramFolders folders = GetProgramFolders();
    if (!folders.installed)
        return; // the program folder exists, and its "configs" is the user's to make
    // The configuration folder is out of sight, so the pickers of Open and Save start in a "configs" of its own.
    const std::string configs = JoinPath(folders.userFiles, "configs");
    std::error_code error;
    fs::create_directories(configs, error);
    if (error)
        throw std::runtime_error("Impossible de créer le dossier " + configs + " (" + error.message() + ")");
}
