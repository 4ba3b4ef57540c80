// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// A folder of its own under the system temporary folder ("rmTemp." and a unique suffix), emptied and removed
// when the object goes. Unique so that two stores, in one program or in two, never share scratch files.
class TTempFolder {
public:
    // Creates the folder; throws std::runtime_error when it cannot.
    TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    ~TTempFolder();

    // The folder's path, without trailing separator.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
