// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <string>

// Paths below a folder that the running user trusts (the game folder, the folder of a file the user named),
// walked so that a symbolic link planted by someone else is never followed. A link below the folder is
// followed only when it belongs to the running user or to root; any other link is refused with a FileError
// whose reason names the link and its owner.

// True for a file or link that the running user may believe: its own, or root's.
bool IsTrustedOwner(uid_t owner);

// The path that `relative` (components separated by "/") names below `root`, with every link on the way below
// `root` replaced by its target; a missing component stays as named, so that a file or folder can be created
// there. `what` begins the error's message ("Impossible de créer le fichier"), which names root/relative.
// When `makeFolders` is set, every missing folder on the way (the last component included) is created.
std::string ResolveBelow(const std::string& root, const std::string& relative, const std::string& what,
                         bool makeFolders = false);

// Opens `relative` below `root` with the open(2) `flags` (O_NOFOLLOW and O_CLOEXEC added) after ResolveBelow;
// a created file gets `mode` less the umask. Throws FileError ("Impossible de créer le fichier" when `flags`
// hold O_CREAT, else "Impossible d'ouvrir le fichier") with the system's reason.
int OpenBelow(const std::string& root, const std::string& relative, int flags, unsigned mode = 0666);

// `relative` below `root` as a path to show: joined by one separator, a bare name for the current folder.
std::string JoinBelow(const std::string& root, const std::string& relative);

// The folder part of `path` ("." for a bare name, "/" for a file of the root).
std::string FolderOf(const std::string& path);

// The last component of `path`.
std::string NameOf(const std::string& path);
