// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SharedLibrary.h"

#include <dlfcn.h>

std::optional<SharedLibrary> SharedLibrary::Load(const std::string& path, std::string& error) {
    void* handle = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle) {
        error = ::dlerror();
        return std::nullopt;
    }
    return SharedLibrary(handle);
}

void* SharedLibrary::Symbol(const char* name) const {
    return ::dlsym(handle_, name);
}
