// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/LabelGeometry.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(LabelGeometry, JoinLinesSeparatesByLineFeedsWithNoneAfterTheLast) {
    EXPECT_EQ(JoinLines({}), QString());
    EXPECT_EQ(JoinLines({QStringLiteral("one")}), QStringLiteral("one"));
    EXPECT_EQ(JoinLines({QStringLiteral("one"), QString(), QStringLiteral("three")}), QStringLiteral("one\n\nthree"));
}

TEST(LabelGeometry, CaptionLinesBreakAtCarriageReturnLineFeedOrThePair) {
    const std::vector<std::pair<QString, QStringList>> cases = {
        {QString(), {}},
        {QStringLiteral("a"), {QStringLiteral("a")}},
        {QStringLiteral("a\nb"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\rb"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\r\nb"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\n\rb"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {QStringLiteral("a\r\n"), {QStringLiteral("a")}},
        {QStringLiteral("a\n\n"), {QStringLiteral("a"), QString()}},
        {QStringLiteral("\n"), {QString()}},
    };
    for (const auto& [caption, lines] : cases)
        EXPECT_EQ(CaptionLines(caption), lines) << caption.toStdString();
}

TEST(LabelGeometry, HorizontalDisplayTextHasSingleLineFeedsAndDropsAFinalBreak) {
    EXPECT_EQ(DisplayText(QStringLiteral("ab\r\ncd\ref\n"), THorz), QStringLiteral("ab\ncd\nef"));
    EXPECT_EQ(DisplayText(QString(), THorz), QString());
}

TEST(LabelGeometry, VerticalDisplayTextHasOneRowPerCharacterAndABlankRowPerBreakCharacter) {
    EXPECT_EQ(DisplayText(QStringLiteral("xy\nz"), tVert), QStringLiteral("x\ny\n \nz"));
    EXPECT_EQ(DisplayText(QStringLiteral("xy\r\nz"), tVert), QStringLiteral("x\ny\n \n \nz"));
    EXPECT_EQ(DisplayText(QStringLiteral("a\rb"), tVert), QStringLiteral("a\n \nb"));
    EXPECT_EQ(DisplayText(QStringLiteral("ab\n"), tVert), QStringLiteral("a\nb\n "));
    // A letter with its accent and a character beyond the basic plane stay one row each.
    EXPECT_EQ(DisplayText(QStringLiteral("e\u0301") + QString::fromUcs4(U"\U0001F600"), tVert),
              QStringLiteral("e\u0301\n") + QString::fromUcs4(U"\U0001F600"));
}

TEST(LabelGeometry, ShapeBoundsKeepThePenAlongTheBorder) {
    struct Case {
        int width, height, pen;
        TDrawShape shape;
        ShapeRect expected;
    };
    const Case cases[] = {
        {353, 220, 4, dsRect, {2, 2, 352, 219, 0}},       {100, 50, 0, dsRect, {0, 0, 100, 50, 0}},
        {100, 50, 1, dsRect, {0, 0, 100, 50, 0}},         {100, 50, 3, dsElipse, {1, 1, 99, 49, 0}},
        {145, 103, 1, dsRoundRect, {0, 0, 145, 103, 25}}, {103, 145, 1, dsRoundRect, {0, 0, 103, 145, 25}},
        {40, 20, 5, dsRoundRect, {2, 2, 38, 18, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShapeBounds(c.width, c.height, c.pen, c.shape), c.expected)
            << c.width << "x" << c.height << " pen " << c.pen;
}

TEST(LabelGeometry, ShadowOffsetsPutShadowAndTextNeverLeftOfOrAboveTheStart) {
    // (orientation, L, T, R, B) for a step of 1; the other styles scale the step.
    const std::tuple<TShadowOrientation, int, int, int, int> table[] = {
        {sNorth, 0, 0, 0, 1},     {sSouth, 0, 1, 0, -1},     {sEast, 1, 0, -1, 0},       {sWEst, 0, 0, 1, 0},
        {SNorthWest, 0, 0, 1, 1}, {sNorthEast, 1, 0, -1, 1}, {sSouthEast, 1, 1, -1, -1}, {sSouthWest, 0, 1, 1, -1},
    };
    const std::pair<TShadowStyle, int> steps[] = {{stThin, 1}, {stHeavy, 2}, {stDissociated, 3}, {stNone, 0}};
    for (const auto& [orientation, l, t, r, b] : table) {
        for (const auto& [style, step] : steps) {
            const ShadowOffsets offsets = ShadowOffsetsOf(orientation, style);
            EXPECT_EQ(offsets, (ShadowOffsets{l * step, t * step, r * step, b * step}))
                << "orientation " << orientation << " style " << style;
            EXPECT_GE(offsets.L + offsets.R, 0);
            EXPECT_GE(offsets.T + offsets.B, 0);
        }
    }
}

TEST(LabelGeometry, LayoutShiftMovesToTheBottomOrHalfWayTruncated) {
    EXPECT_EQ(LayoutShift(Qt::AlignTop, 100, 20), 0);
    EXPECT_EQ(LayoutShift(Qt::AlignBottom, 100, 20), 80);
    EXPECT_EQ(LayoutShift(Qt::AlignVCenter, 100, 21), 39);
    // A text taller than the label moves up, truncated toward zero.
    EXPECT_EQ(LayoutShift(Qt::AlignVCenter, 10, 13), -1);
}

} // namespace
