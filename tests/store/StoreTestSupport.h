// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/ResourceFormat.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Helpers shared by the store tests: sample contents and the file's integers.

// `size` bytes of readable, compressible text.
std::string SampleText(std::size_t size);

// `size` pseudo-random bytes from `seed`; zlib cannot shrink them.
std::string RandomBytes(std::size_t size, std::uint32_t seed);

// The 32-bit little-endian integer at `offset` of `bytes`.
std::int32_t Int32At(std::string_view bytes, std::size_t offset);

// `data` packed by zlib's own one-shot compress2 at `level`: what a member's data must be.
std::string ZlibCompress(std::string_view data, int level);

// A store file made byte by byte: `prefix`, then each member's header and data, then a trailer whose start
// offset is `start`, with an empty password.
std::string CraftStore(const std::vector<std::pair<TResourceHeader, std::string>>& members,
                       const std::string& prefix = {}, std::int32_t start = 0);
