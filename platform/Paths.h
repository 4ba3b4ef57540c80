// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

// Folders of the program and of the system. Paths use the platform separator; none of the folders returned
// ends with a separator, except a file system root.

// Removes blanks and control characters (code 32 or less) at both ends, then every trailing separator but the
// root's own ("/" stays "/").
std::string TrimFolderPath(std::string text);

// The system's temporary folder: $TMPDIR, else /tmp, without trailing separator.
std::string GetTempFolder();

// The folder for the program's scratch files (Default extracts "default.ini" into it): in the temporary folder,
// which every user of the machine shares, "Quendry-" and the user's number, so that no other user can put or
// change a file in it. The path only; see MakeScratchFolder.
std::string ScratchFolderPath();

// The scratch folder, made for this user alone (mode 0700) when it is missing. Throws std::runtime_error naming
// the folder when it cannot be made, or when what stands there is not a folder of this user's (a link, a file,
// another user's folder); a folder of this user's that others may change is closed to them first.
std::string MakeScratchFolder();

// Full path of the running executable.
std::string GetProgramPath();

// Folder of the running executable (or of the override set for tests), without trailing separator.
std::string GetProgramFolder();

// Makes GetProgramFolder answer `folder` instead of the executable's folder; nullopt restores it.
void SetProgramFolderOverride(std::optional<std::string> folder);

// Where the side files live. A program folder that its user can write (a build, an unpacked folder) keeps
// everything beside the executable. An installed program, whose folder its user cannot write or which finds its
// side files in the install's share/quendry instead of beside itself, reads the read-only side files from there
// and keeps the files it writes in the user's configuration folder, "quendry" in GetConfigHome().
struct ProgramFolders {
    std::string sideFiles; // read-only side files: data.bin, default.bin, readme.txt, help, utils
    std::string userFiles; // written files: the default settings file, maps.ini, configs, user copies of stores
    bool installed = false;
    std::string reason; // why the layout was chosen, in a few words for the user
};

// The folders in use for the program folder of the moment. Reads the file system; changes nothing.
ProgramFolders GetProgramFolders();

// The program's private library `name` (the unzip library, the window library) for the program in
// `programFolder`: beside the program when it is there (a build, an unpacked folder), else in the install's
// library folder when it is there, else beside the program, where its absence is reported.
std::string PrivateLibrary(const std::string& programFolder, const std::string& name);

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::string GetConfigHome();

// A read-only side file: the user's own copy when the user folder holds one, else the one in the side folder.
std::string SideFile(const std::string& name);

// A file that the program writes: `name` in the user folder.
std::string UserFile(const std::string& name);

// Creates the user folder and its parents when they are missing. Throws std::runtime_error naming the folder
// with the system's reason.
void CreateUserFolder();

// The command that shows a text file to the user (the program's text viewer).
std::string GetTextViewerCommand();

// `folder` joined with `name` by one separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// The platform's path separator.
inline constexpr char PathSeparator = '/';
