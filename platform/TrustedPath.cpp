// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TrustedPath.h"

#include "platform/FileError.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <deque>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough for any chain of links a user makes; a loop ends here with the system's own reason.
constexpr int MaxLinks = 40;

std::deque<std::string> Components(const std::string& path) {
    std::deque<std::string> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (end > start)
            components.emplace_back(path, start, end - start);
        start = end + 1;
    }
    return components;
}

std::string OwnerName(uid_t owner) {
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::array<char, 4096> buffer{};
    const std::string number = "uid " + std::to_string(owner);
    if (::getpwuid_r(owner, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return std::string(found->pw_name) + " (" + number + ")";
    return number;
}

} // namespace

bool IsTrustedOwner(uid_t owner) {
    return owner == 0 || owner == ::geteuid();
}

std::string JoinBelow(const std::string& root, const std::string& relative) {
    if (root == ".")
        return relative;
    return root.empty() || root.back() == '/' ? root + relative : root + "/" + relative;
}

std::string FolderOf(const std::string& path) {
    const auto cut = path.find_last_of('/');
    if (cut == std::string::npos)
        return ".";
    return cut == 0 ? std::string("/") : path.substr(0, cut);
}

std::string NameOf(const std::string& path) {
    const auto cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string ResolveBelow(const std::string& root, const std::string& relative, const std::string& what,
                         bool makeFolders) {
    const std::string named = JoinBelow(root, relative);
    const auto fail = [&](const std::string& reason) { return FileError(what, named, reason); };
    std::string current = root;
    std::deque<std::string> rest = Components(relative);
    int links = 0;
    bool missing = false; // once a component is missing, nothing below it can be a link
    while (!rest.empty()) {
        const std::string component = std::move(rest.front());
        rest.pop_front();
        if (component == ".")
            continue;
        if (component == "..") {
            current = FolderOf(current);
            continue;
        }
        const std::string next = JoinBelow(current, component);
        struct stat status {};
        if (missing || ::lstat(next.c_str(), &status) != 0) {
            if (!missing && errno != ENOENT)
                throw fail(std::strerror(errno));
            missing = !makeFolders;
            if (makeFolders && ::mkdir(next.c_str(), 0777) != 0 && errno != EEXIST)
                throw fail(std::strerror(errno));
            current = next;
            continue;
        }
        if (!S_ISLNK(status.st_mode)) {
            current = next;
            continue;
        }
        if (!IsTrustedOwner(status.st_uid))
            throw fail("the link " + next + " belongs to " + OwnerName(status.st_uid) +
                       ", neither to you nor to root: it is not followed");
        if (++links > MaxLinks)
            throw fail(std::strerror(ELOOP));
        std::array<char, 4096> target{};
        const ssize_t length = ::readlink(next.c_str(), target.data(), target.size() - 1);
        if (length <= 0)
            throw fail(std::strerror(length < 0 ? errno : ENOENT));
        const std::string link(target.data(), static_cast<std::size_t>(length));
        if (link.front() == '/')
            current.assign(1, '/');
        std::deque<std::string> followed = Components(link);
        rest.insert(rest.begin(), followed.begin(), followed.end());
    }
    return current;
}

int OpenBelow(const std::string& root, const std::string& relative, int flags, unsigned mode) {
    const std::string what = (flags & O_CREAT) ? "Impossible de créer le fichier" : "Impossible d'ouvrir le fichier";
    const std::string path = ResolveBelow(root, relative, what);
    // The last component is opened without following a link, in case one was put there since it was looked at.
    const int descriptor = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, static_cast<mode_t>(mode));
    if (descriptor < 0)
        throw FileError(what, JoinBelow(root, relative), std::strerror(errno));
    return descriptor;
}
