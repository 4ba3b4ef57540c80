// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// Asks the system to back the whole huge pages (2 MiB) that [data, data + size) covers by huge pages, where it offers
// them: memory is given to the program at its first write, a fault a page, and memory of megabytes would take
// thousands of faults. Only a hint: nothing changes where the system has no huge pages.
void PreferHugePages(const void* data, std::size_t size);
