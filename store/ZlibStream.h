// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/FileHandle.h"

#include <cstdint>
#include <functional>
#include <stdexcept>

// Packing and unpacking of one member as one zlib stream (RFC 1950), window 15 bits, memory level 8, default
// strategy, through fixed-size buffers.

// A damaged or truncated zlib stream, or one that does not give the announced size.
class EZlibData : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a packing read and wrote.
struct TPackedSizes {
    std::int64_t real = 0;
    std::int64_t packed = 0;
};

// Called while packing with the number of source bytes consumed so far.
using TPackProgress = std::function<void(std::int64_t consumed)>;

// Packs `source` from its first byte to its end at zlib `level` into `target` from offset 0. An empty source
// gives no stream at all (packed size 0).
TPackedSizes DeflateFile(const TFileHandle& source, TFileHandle& target, int level, const TPackProgress& progress);

// Inflates the stream of at most `packedSize` bytes at `offset` in `source` into `target` from offset 0; the
// stream must end, its checksum must hold and it must give exactly `realSize` bytes, else EZlibData.
void InflateFile(const TFileHandle& source, std::int64_t offset, std::int64_t packedSize, std::int64_t realSize,
                 TFileHandle& target);
