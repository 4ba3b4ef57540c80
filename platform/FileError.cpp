// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileError.h"

FileError::FileError(const std::string& what, const std::string& path, const std::string& reason)
    : std::runtime_error(what + " " + path + " (" + reason + ")"), reason_(reason) {}
