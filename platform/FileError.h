// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

// A file that could not be read, created or written: "<what> <path> (<reason>)", where the reason is the
// system's ("No space left on device").
class FileError : public std::runtime_error {
public:
    FileError(const std::string& what, const std::string& path, const std::string& reason);
    // The system's reason alone.
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};
