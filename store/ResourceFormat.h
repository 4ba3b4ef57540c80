// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Byte layout of a store file: host bytes, then per member a 292-byte header and its zlib data, then a 28-byte
// trailer. Integers are 32-bit little-endian and signed; texts are Windows-1252 bytes.

inline constexpr std::size_t HeaderSize = 292;
inline constexpr std::size_t TrailerSize = 28;
inline constexpr std::size_t MaxStoredNameLength = 260;
inline constexpr std::size_t MaxPassWordLength = 7;
inline constexpr std::string_view MemberMarker = "<$1801%%ODCDPH$>";
inline constexpr std::string_view TrailerSignature = "rmResourcesFiles";

using THeaderBytes = std::array<char, HeaderSize>;
using TTrailerBytes = std::array<char, TrailerSize>;

// One member header. `name` holds the stored name's bytes.
struct TResourceHeader {
    std::string name;
    std::int32_t packedSize = 0;
    std::int32_t realSize = 0;
    std::int32_t attributes = 0;
};

// The trailer: where the first member header lies, and the scrambled password.
struct TResourcesTrailer {
    std::int32_t startOffset = 0;
    std::string passWord;
};

// The 292 bytes of `header`: marker, name (at most 260 bytes, zero padded), zeros, packed, real, attributes.
THeaderBytes EncodeHeader(const TResourceHeader& header);

// The header that `bytes` hold; nullopt when they do not begin with the member marker.
std::optional<TResourceHeader> DecodeHeader(const THeaderBytes& bytes);

// The 28 bytes of `trailer`: signature, start offset, password (at most 7 bytes) and zeros.
TTrailerBytes EncodeTrailer(const TResourcesTrailer& trailer);

// The trailer that `bytes` hold; nullopt when they do not begin with the signature.
std::optional<TResourcesTrailer> DecodeTrailer(const TTrailerBytes& bytes);
