// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

// One server of a game folder. Several servers can run from one game installation, each on its own port; each is
// an instance with a name of its own, and the server started without a name is the plain instance, whose files
// keep the names they always had. Every file an instance owns is named by FileName, the one rule of the suffix.
class Instance {
public:
    // The longest name an instance may have.
    static constexpr std::size_t LongestName = 32;

    // The plain instance.
    Instance() = default;

    // The instance `name`: letters, digits, "-" and "_", from 1 to LongestName characters; nullopt for any other
    // name.
    static std::optional<Instance> Named(std::string_view name);
    // Why `name` cannot name an instance, as a command line error.
    static std::string NameRule(std::string_view name);

    bool IsPlain() const { return name_.empty(); }
    // Empty for the plain instance.
    const std::string& Name() const { return name_; }
    // How lists and messages name it: the name, or "(plain)" for the plain instance, which no name can be.
    std::string Label() const;

    // "STEM.EXTENSION" for the plain instance, "STEM-NAME.EXTENSION" for a named one (`extension` with its dot).
    std::string FileName(std::string_view stem, std::string_view extension) const;
    // The instance whose FileName(stem, extension) `fileName` is; nullopt when it is no instance's.
    static std::optional<Instance> OfFileName(std::string_view fileName, std::string_view stem,
                                              std::string_view extension);

    friend bool operator==(const Instance&, const Instance&) = default;
    friend auto operator<=>(const Instance&, const Instance&) = default;

private:
    explicit Instance(std::string name) : name_(std::move(name)) {}
    std::string name_;
};
