// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Windows1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Windows1252Test, EncodesLatinLettersAndTheEuroSign) {
    bool lost = false;
    EXPECT_EQ(EncodeWindows1252("caf\xC3\xA9 \xE2\x82\xAC 5", &lost), "caf\xE9 \x80 5");
    EXPECT_FALSE(lost);
}

TEST(Windows1252Test, ReplacesWhatItCannotHoldByAQuestionMark) {
    bool lost = false;
    EXPECT_EQ(EncodeWindows1252("\xE4\xB8\x96 ok", &lost), "? ok"); // a CJK character
    EXPECT_TRUE(lost);
    lost = false;
    EXPECT_EQ(EncodeWindows1252("bad \xC3", &lost), "bad ?"); // a cut UTF-8 sequence
    EXPECT_TRUE(lost);
}

TEST(Windows1252Test, DecodesEveryByteAndRoundTrips) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    const std::string utf8 = DecodeWindows1252(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    bool lost = false;
    EXPECT_EQ(EncodeWindows1252(utf8, &lost), all);
    EXPECT_FALSE(lost);
}

TEST(Windows1252Test, ReadsUtf8AsItIsAndOtherBytesAsWindows1252) {
    EXPECT_EQ(DecodeUtf8OrWindows1252("R\xC3\xA9seau"), "R\xC3\xA9seau");
    EXPECT_EQ(DecodeUtf8OrWindows1252("R\xE9seau"), "R\xC3\xA9seau");
}

// ASCII is looked at eight bytes at a time: a character is converted, and a bad byte found, wherever it stands
// among them, and after text written before.
TEST(Windows1252Test, ACharacterIsConvertedWhereverItStandsAmongAsciiOnes) {
    struct Case {
        std::string utf8;
        std::string encoded;
        bool lost;
        bool valid;
    };
    const Case cases[] = {
        {"\xC3\xA9", "\xE9", false, true},     // a letter of two bytes
        {"\xE2\x82\xAC", "\x80", false, true}, // the euro sign, three bytes
        {"\xE4\xB8\x96", "?", true, true},     // a CJK character, which Windows-1252 lacks
        {"\xFF", "?", true, false},            // a byte that starts no character
        {"\xC3", "?", true, false},            // a sequence cut short
        {"\xC2\x41", "?A", true, false},       // a lead byte before ASCII
    };
    for (const Case& c : cases)
        for (std::size_t before = 0; before <= 17; ++before)
            for (const std::size_t after : {0, 1, 7, 8, 9}) {
                const std::string ascii(before, 'a'), tail(after, 'b');
                std::string out = "kept ";
                bool lost = false;
                AppendWindows1252(out, ascii + c.utf8 + tail, &lost);
                EXPECT_EQ(out, "kept " + ascii + c.encoded + tail) << before << ' ' << after;
                EXPECT_EQ(lost, c.lost) << before << ' ' << after;
                EXPECT_EQ(IsValidUtf8(ascii + c.utf8 + tail), c.valid) << before << ' ' << after;
            }
    for (std::size_t size = 0; size <= 17; ++size) {
        bool lost = false;
        EXPECT_EQ(EncodeWindows1252(std::string(size, 'x'), &lost), std::string(size, 'x'));
        EXPECT_FALSE(lost);
        EXPECT_TRUE(IsValidUtf8(std::string(size, 'x')));
    }
}

} // namespace
