// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TextLines.h"

#include <gtest/gtest.h>

TEST(TextLines, AFinalLineBreakAddsNoEmptyLineAndLinesComeBackAsTheyWere) {
    struct Case {
        const char* text;
        QStringList lines;
    };
    const Case cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\n", {"one"}},
        {"one\ntwo", {"one", "two"}},
        {"\n", {""}},
        {"one\n\n", {"one", ""}},
        {"\n\nthree", {"", "", "three"}},
        {" blank ", {" blank "}},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(TextLines(text), c.lines) << c.text;
        EXPECT_EQ(TextLines(LinesText(c.lines)), c.lines) << c.text;
    }
    EXPECT_EQ(LinesText({"one", "two"}), QStringLiteral("one\ntwo"));
}
