// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// How ExtractResource places a member below its destination folder.
enum TExtractPathMode {
    epFileNameOnly = 0, // the file name directly in the folder
    epLastFolder = 1,   // the last folder of the stored name, then the file name
    epFullPath = 2,     // the stored name's folders without drive, then the file name
};

// Where a member goes: the folder to create (with its parents) and the file's path in it.
struct TExtractTarget {
    std::string folder;
    std::string file;
};

// The target of the member `storedName` below `folder` in `mode`. Throws EResourcesMaker when the stored name
// has no file name or its folders would lead outside `folder` (".."). Creates nothing.
TExtractTarget TargetPath(const std::string& folder, const std::string& storedName, TExtractPathMode mode);

// The last component of a stored name: the text after its last folder separator.
std::string StoredFileName(const std::string& storedName);
