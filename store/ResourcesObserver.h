// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

struct THeadExtraInfos;

// What a store reports while it works, for a status line, a progress bar or a member list. Every report does
// nothing unless overridden.
class TResourcesObserver {
public:
    virtual ~TResourcesObserver() = default;

    // The stored name of the member being handled.
    virtual void ShowStatus(const std::string& /*text*/) {}

    // Packing progress: `position` source bytes of `total` consumed; (0, 0) when a packing or unpacking is done.
    virtual void ShowProgress(std::int64_t /*position*/, std::int64_t /*total*/) {}

    // A member was added (as the last one).
    virtual void ResourceAdded(const THeadExtraInfos& /*infos*/) {}

    // The member of this stored name was removed.
    virtual void ResourceRemoved(const std::string& /*storedName*/) {}
};
