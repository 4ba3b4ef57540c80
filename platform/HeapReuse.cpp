// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HeapReuse.h"

#include <malloc.h>

void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    // Blocks up to 32 MiB come from the heap, where freed memory is reused, not from maps of their own that are
    // unmapped when freed; the heap's top goes back to the system only beyond 64 MiB.
    constexpr int LargestHeapBlock = 32 * 1024 * 1024;
    constexpr int KeptHeapTop = 64 * 1024 * 1024;
    ::mallopt(M_MMAP_THRESHOLD, LargestHeapBlock);
    ::mallopt(M_TRIM_THRESHOLD, KeptHeapTop);
#endif
}
