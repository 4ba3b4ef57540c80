// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Instance.h"

#include <algorithm>

namespace {

// ASCII only: the name goes into file names and a service's unit name, whatever the locale.
bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

} // namespace

std::optional<Instance> Instance::Named(std::string_view name) {
    if (name.empty() || name.size() > LongestName || !std::all_of(name.begin(), name.end(), IsNameCharacter))
        return std::nullopt;
    return Instance(std::string(name));
}

std::string Instance::NameRule(std::string_view name) {
    return "the instance name '" + std::string(name) + "' must be 1 to " + std::to_string(LongestName) +
           " letters, digits, '-' or '_'";
}

std::string Instance::Label() const {
    return IsPlain() ? std::string("(plain)") : name_;
}

std::string Instance::FileName(std::string_view stem, std::string_view extension) const {
    std::string name(stem);
    if (!IsPlain())
        name.append("-").append(name_);
    return name.append(extension);
}

std::optional<Instance> Instance::OfFileName(std::string_view fileName, std::string_view stem,
                                             std::string_view extension) {
    if (fileName.size() < stem.size() + extension.size() || fileName.substr(0, stem.size()) != stem ||
        fileName.substr(fileName.size() - extension.size()) != extension)
        return std::nullopt;
    const std::string_view middle = fileName.substr(stem.size(), fileName.size() - stem.size() - extension.size());
    if (middle.empty())
        return Instance();
    if (middle.front() != '-')
        return std::nullopt;
    return Named(middle.substr(1));
}
