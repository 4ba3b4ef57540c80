// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Volumes.h"

namespace {

// One file system tree: no removable disks and no labels to read.
class FixedVolumes final : public Volumes {
public:
    int DriveKind(const std::string&) override { return DriveFixed; }
    std::optional<std::string> VolumeLabel(const std::string&) override { return std::string(); }
};

Volumes*& Installed() {
    static Volumes* installed = nullptr;
    return installed;
}

} // namespace

Volumes& SystemVolumes() {
    static FixedVolumes fixed;
    Volumes* installed = Installed();
    return installed != nullptr ? *installed : fixed;
}

void SetVolumes(Volumes* volumes) {
    Installed() = volumes;
}
