// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Windows1252.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 marks the five bytes that Windows-1252 leaves undefined.
constexpr std::array<char32_t, 32> HighControls = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                   0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t ByteToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F && HighControls[byte - 0x80] != 0)
        return HighControls[byte - 0x80];
    return byte;
}

// The Windows-1252 byte of a code point, or -1 when it has none.
int CodePointToByte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (std::size_t i = 0; i < HighControls.size(); ++i)
        if (HighControls[i] == cp)
            return static_cast<int>(0x80 + i);
    // The undefined bytes map to themselves, as Windows does when it converts them.
    if (cp == 0x81 || cp == 0x8D || cp == 0x8F || cp == 0x90 || cp == 0x9D)
        return static_cast<int>(cp);
    return -1;
}

// Code points of the bytes 0x80 to 0xFF in code page 437, the OEM code page of DOS.
constexpr std::array<char32_t, 128> CodePage437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The end of the run of ASCII bytes of `text` that starts at `pos`, found eight bytes at a time.
std::size_t AsciiRunEnd(std::string_view text, std::size_t pos) {
    for (std::uint64_t word = 0; pos + sizeof word <= text.size(); pos += sizeof word) {
        std::memcpy(&word, text.data() + pos, sizeof word);
        if ((word & 0x8080808080808080u) != 0)
            break;
    }
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80)
        ++pos;
    return pos;
}

} // namespace

std::size_t DecodeUtf8At(std::string_view text, std::size_t pos, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

void AppendWindows1252(std::string& out, std::string_view utf8, bool* lost) {
    // ASCII, most of any configuration text, is the same in both.
    if (AsciiRunEnd(utf8, 0) == utf8.size()) {
        out.append(utf8);
        return;
    }
    // No character takes more bytes in Windows-1252 than in UTF-8: the room is made once and written straight into.
    const std::size_t start = out.size();
    out.resize(start + utf8.size());
    char* write = out.data() + start;
    for (std::size_t pos = 0; pos < utf8.size();) {
        // ASCII is copied a run at a time.
        if (const std::size_t ascii = AsciiRunEnd(utf8, pos); ascii > pos) {
            std::memcpy(write, utf8.data() + pos, ascii - pos);
            write += ascii - pos;
            pos = ascii;
            continue;
        }
        char32_t cp = 0;
        std::size_t length = DecodeUtf8At(utf8, pos, cp);
        int byte = -1;
        if (length == 0)
            length = 1;
        else
            byte = CodePointToByte(cp);
        if (byte < 0) {
            *write++ = '?';
            if (lost)
                *lost = true;
        } else {
            *write++ = static_cast<char>(byte);
        }
        pos += length;
    }
    out.resize(static_cast<std::size_t>(write - out.data()));
}

std::string EncodeWindows1252(std::string_view utf8, bool* lost) {
    std::string out;
    out.reserve(utf8.size());
    AppendWindows1252(out, utf8, lost);
    return out;
}

std::string DecodeWindows1252(std::string_view bytes) {
    std::string out(bytes);
    DecodeWindows1252InPlace(out);
    return out;
}

void DecodeWindows1252InPlace(std::string& text) {
    std::size_t size = 0;
    for (const char c : text) {
        const char32_t cp = ByteToCodePoint(static_cast<unsigned char>(c));
        size += cp < 0x80 ? 1 : cp < 0x800 ? 2 : 3;
    }
    // Each byte widens to its character's UTF-8 bytes from the end backwards, so that none is overwritten
    // before it is read.
    std::size_t read = text.size();
    text.resize(size);
    std::size_t write = size;
    while (read > 0) {
        const auto byte = static_cast<unsigned char>(text[--read]);
        if (byte < 0x80) {
            text[--write] = static_cast<char>(byte);
            continue;
        }
        std::string encoded;
        AppendUtf8(encoded, ByteToCodePoint(byte));
        write -= encoded.size();
        encoded.copy(&text[write], encoded.size());
    }
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        // ASCII is valid.
        pos = AsciiRunEnd(bytes, pos);
        if (pos == bytes.size())
            return true;
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8At(bytes, pos, cp);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

std::string DecodeUtf8OrWindows1252(std::string_view bytes) {
    return IsValidUtf8(bytes) ? std::string(bytes) : DecodeWindows1252(bytes);
}

std::string DecodeCodePage437(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte < 0x80 ? char32_t(byte) : CodePage437High[byte - 0x80]);
    }
    return out;
}
