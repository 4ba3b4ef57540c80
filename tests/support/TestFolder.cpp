// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestFolder.h"

#include "platform/AtomicFile.h"
#include "platform/Paths.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <sys/stat.h>
#include <unistd.h>

TestFolder::TestFolder() : path_(dir_.path().toStdString()) {}

std::string TestFolder::File(const std::string& name) const {
    return name.starts_with(PathSeparator) ? name : JoinPath(path_, name);
}

std::string TestFolder::Write(const std::string& name, std::string_view content) const {
    const std::string path = File(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string TestFolder::WriteDecoy(const std::string& name, std::string_view content) const {
    const std::string path = Write(name, content);
    constexpr uid_t Nobody = 65534;
    if (::chmod(path.c_str(), 0600) != 0 || (::geteuid() == 0 && ::chown(path.c_str(), Nobody, Nobody) != 0))
        throw std::runtime_error("cannot make the decoy " + path);
    return path;
}

std::string TestFolder::Read(const std::string& name) const {
    return ReadWholeFile(File(name));
}
