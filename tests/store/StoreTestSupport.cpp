// SPDX-License-Identifier: GPL-3.0-or-later
#include "StoreTestSupport.h"

#include <random>
#include <stdexcept>

#include <zlib.h>

std::string SampleText(std::size_t size) {
    static constexpr std::string_view Line = "seta sv_hostname \"Quendry test server\" // the quick brown fox\r\n";
    std::string text;
    text.reserve(size);
    for (std::size_t i = 0; text.size() < size; ++i) {
        text += std::to_string(i);
        text += Line.substr(0, i % Line.size());
    }
    text.resize(size);
    return text;
}

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

std::int32_t Int32At(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(offset + i))) << (8 * i);
    return static_cast<std::int32_t>(value);
}

std::string ZlibCompress(std::string_view data, int level) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    packed.resize(size);
    return packed;
}

std::string CraftStore(const std::vector<std::pair<TResourceHeader, std::string>>& members, const std::string& prefix,
                       std::int32_t start) {
    std::string bytes = prefix;
    for (const auto& [header, data] : members) {
        const THeaderBytes encoded = EncodeHeader(header);
        bytes.append(encoded.data(), encoded.size()).append(data);
    }
    const TTrailerBytes trailer = EncodeTrailer({start, ""});
    return bytes.append(trailer.data(), trailer.size());
}
