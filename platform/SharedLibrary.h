// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

// A shared library loaded while the program runs, kept for the rest of the process: what it gives may be in use
// until the program ends.
class SharedLibrary {
public:
    // Loads the library at `path` (a bare file name is looked for where the system looks); nullopt, with the
    // system's reason in `error`, when it cannot be loaded.
    static std::optional<SharedLibrary> Load(const std::string& path, std::string& error);

    // The function the library gives as `name`, of the type `Function`; null when it gives none.
    template <typename Function> Function Resolve(const char* name) const {
        return reinterpret_cast<Function>(Symbol(name));
    }

private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void* Symbol(const char* name) const;

    void* handle_;
};
