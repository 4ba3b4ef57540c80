// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTemporaryDir>

#include <string>
#include <string_view>

// A fresh temporary folder for one test, removed with everything in it when the test ends.
class TestFolder {
public:
    TestFolder();

    // The folder's path, without trailing separator.
    const std::string& Path() const { return path_; }

    // Path of `name` inside the folder.
    std::string File(const std::string& name) const;

    // Writes `content` to `name` inside the folder, creating its parent folders; returns the file's path.
    std::string Write(const std::string& name, std::string_view content) const;

    // Writes `content` to `name` inside the folder as a stand-in for a protected system file: mode 0600 and, where
    // the test runs as root, owned by "nobody". A test that proves a path is refused aims it at such a decoy, never
    // at the system's own files. Returns the decoy's path.
    std::string WriteDecoy(const std::string& name, std::string_view content) const;

    // Reads `name` inside the folder (or a full path) as bytes.
    std::string Read(const std::string& name) const;

private:
    QTemporaryDir dir_;
    std::string path_;
};
