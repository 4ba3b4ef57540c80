// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HugePages.h"

#include <cstdint>

#include <sys/mman.h>

void PreferHugePages(const void* data, std::size_t size) {
    constexpr std::uintptr_t HugePage = 2 * 1024 * 1024;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (start + HugePage - 1) & ~(HugePage - 1);
    const std::uintptr_t end = (start + size) & ~(HugePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
