// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Windows1252.h"

#include <gtest/gtest.h>

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

} // namespace
