// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ResourceFormat.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t NameOffset = 16;
constexpr std::size_t NameField = 261;
constexpr std::size_t PackedSizeOffset = 280;
constexpr std::size_t RealSizeOffset = 284;
constexpr std::size_t AttributesOffset = 288;
constexpr std::size_t StartOffsetOffset = 16;
constexpr std::size_t PassWordOffset = 20;

void PutInt32(char* at, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

std::int32_t GetInt32(const char* at) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(at[i])) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

// The text of a field of `size` bytes, cut at its first NUL.
std::string FieldText(const char* at, std::size_t size) {
    return std::string(at, std::find(at, at + size, '\0'));
}

void PutText(char* at, std::string_view text, std::size_t limit) {
    std::memcpy(at, text.data(), std::min(text.size(), limit));
}

} // namespace

THeaderBytes EncodeHeader(const TResourceHeader& header) {
    THeaderBytes bytes{};
    PutText(bytes.data(), MemberMarker, MemberMarker.size());
    PutText(bytes.data() + NameOffset, header.name, MaxStoredNameLength);
    PutInt32(bytes.data() + PackedSizeOffset, header.packedSize);
    PutInt32(bytes.data() + RealSizeOffset, header.realSize);
    PutInt32(bytes.data() + AttributesOffset, header.attributes);
    return bytes;
}

std::optional<TResourceHeader> DecodeHeader(const THeaderBytes& bytes) {
    if (std::string_view(bytes.data(), MemberMarker.size()) != MemberMarker)
        return std::nullopt;
    return TResourceHeader{FieldText(bytes.data() + NameOffset, NameField), GetInt32(bytes.data() + PackedSizeOffset),
                           GetInt32(bytes.data() + RealSizeOffset), GetInt32(bytes.data() + AttributesOffset)};
}

TTrailerBytes EncodeTrailer(const TResourcesTrailer& trailer) {
    TTrailerBytes bytes{};
    PutText(bytes.data(), TrailerSignature, TrailerSignature.size());
    PutInt32(bytes.data() + StartOffsetOffset, trailer.startOffset);
    PutText(bytes.data() + PassWordOffset, trailer.passWord, MaxPassWordLength);
    return bytes;
}

std::optional<TResourcesTrailer> DecodeTrailer(const TTrailerBytes& bytes) {
    if (std::string_view(bytes.data(), TrailerSignature.size()) != TrailerSignature)
        return std::nullopt;
    return TResourcesTrailer{GetInt32(bytes.data() + StartOffsetOffset),
                             FieldText(bytes.data() + PassWordOffset, MaxPassWordLength)};
}
