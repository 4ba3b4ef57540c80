#pragma once

#include <optional>
#include <string>

// Folders of the program and of the system. Paths use the platform separator; none of the folders returned
// ends with a separator, except a file system root.

// Removes blanks and control characters (code 32 or less) at both ends, then every trailing separator but the
// root's own ("/" stays "/").
std::string TrimTrailingBackslashes(std::string text);

// The system's temporary folder: $TMPDIR, else /tmp, without trailing separator.
std::string GetTempFolder();

// Full path of the running executable.
std::string GetProgramPath();

// Folder of the running executable (or of the override set for tests), without trailing separator.
std::string GetProgramFolder();

// Makes GetProgramFolder answer `folder` instead of the executable's folder; nullopt restores it.
void SetProgramFolderOverride(std::optional<std::string> folder);

// The command that shows a text file to the user (the program's text viewer).
std::string GetTextViewerCommand();

// `folder` joined with `name` by one separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// The platform's path separator.
inline constexpr char PathSeparator = '/';
