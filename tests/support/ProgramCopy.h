// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

// A copy of the built program in `folder`, as an unpacked folder holds it: the executable and, beside it, the
// commands library it loads. The test's target defines QUENDRY_EXECUTABLE and QUENDRY_COMMANDS_LIBRARY.
inline void CopyProgram(const std::string& folder) {
    namespace fs = std::filesystem;
    fs::copy_file(QUENDRY_EXECUTABLE, fs::path(folder) / "quendry");
    fs::copy_file(QUENDRY_COMMANDS_LIBRARY, fs::path(folder) / fs::path(QUENDRY_COMMANDS_LIBRARY).filename());
}
