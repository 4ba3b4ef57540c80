// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/LabelPainter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

namespace {

using Pixels = std::set<std::pair<int, int>>;

const QColor Background(0, 0x80, 0);
const QColor Fill(0xFF, 0xFF, 0);

QFont CrispFont(bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// A label of `size` with a text ready to read pixel by pixel: crisp red text, a plain fill, no outline.
LabelLook TextLook(QSize size, const QString& caption) {
    LabelLook look;
    look.size = size;
    look.caption = caption;
    look.font = CrispFont();
    look.fontColor = Qt::red;
    look.filling = QBrush(Fill);
    look.outLine.style = psClear;
    look.shadow.color = Qt::blue;
    return look;
}

QImage Render(const LabelLook& look) {
    QImage image(look.size, QImage::Format_RGB32);
    image.fill(Background);
    QPainter painter(&image);
    PaintLabel(painter, look);
    return image;
}

Pixels PixelsOf(const QImage& image, const QColor& colour) {
    Pixels pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                pixels.insert({x, y});
    return pixels;
}

Pixels Shifted(const Pixels& pixels, int dx, int dy) {
    Pixels moved;
    for (const auto& [x, y] : pixels)
        moved.insert({x + dx, y + dy});
    return moved;
}

// Checks every pixel of `image` inside `area` against the colour that `expected` gives for it.
template <class Expected> void ExpectPixels(const QImage& image, const QRect& area, Expected expected) {
    int wrong = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor want = expected(x, y);
            if (image.pixelColor(x, y) != want && ++wrong <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << image.pixelColor(x, y).name().toStdString()
                              << ", expected " << want.name().toStdString();
        }
    EXPECT_EQ(wrong, 0);
}

// The pixels of the text alone, drawn in red with no visible shadow.
Pixels TextPixels(LabelLook look) {
    look.shadow.style = stNone;
    const Pixels text = PixelsOf(Render(look), Qt::red);
    EXPECT_GT(text.size(), 30u) << "the text drew too little to tell anything";
    return text;
}

// A label without text that draws only its shape.
LabelLook ShapeLook(QSize size, TDrawShape shape, const QBrush& filling, TLabelPen pen) {
    LabelLook look;
    look.size = size;
    look.shape = shape;
    look.filling = filling;
    look.outLine = pen;
    return look;
}

TEST(LabelPainter, AnEmptyCaptionStillDrawsItsRectangleWithThePenAlongTheEdge) {
    struct Case {
        const char* what;
        LabelLook look;
        int outside; // pixels along the edge that the shape leaves alone
        int band;    // then pixels of pen
    };
    const Case cases[] = {
        // The rectangle from (2, 2) to (352, 219) with a pen 4 wide: 4 pixels on every side, nothing inside.
        {"pen 4, clear filling", ShapeLook({353, 220}, dsRect, Qt::NoBrush, {Qt::red, 4, psSolid}), 0, 4},
        // From (0, 0) to (100, 50): a pen of width 0 still draws one pixel.
        {"pen 0", ShapeLook({100, 50}, dsRect, QBrush(Fill), {Qt::red, 0, psSolid}), 0, 1},
        // From (1, 1) to (59, 29), the pen inside it.
        {"inside frame 3", ShapeLook({60, 30}, dsRect, QBrush(Fill), {Qt::red, 3, psInsideFrame}), 1, 3},
        {"clear pen", ShapeLook({40, 20}, dsRect, QBrush(Fill), {Qt::red, 1, psClear}), 0, 0},
        // Dashes belong to thin pens; a wider dashed pen draws solid.
        {"dashed pen 2", ShapeLook({40, 20}, dsRect, QBrush(Fill), {Qt::red, 2, psDash}), 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QImage image = Render(c.look);
        const QColor inside = c.look.filling.style() == Qt::NoBrush ? Background : Fill;
        ExpectPixels(image, image.rect(), [&](int x, int y) {
            const int edge = std::min({x, y, image.width() - 1 - x, image.height() - 1 - y});
            return edge < c.outside ? Background : edge < c.outside + c.band ? QColor(Qt::red) : inside;
        });
    }
}

TEST(LabelPainter, AThinDottedPenLeavesGapsAlongTheEdge) {
    const QImage image = Render(ShapeLook({40, 20}, dsRect, QBrush(Fill), {Qt::red, 1, psDot}));
    int pen = 0;
    for (int x = 0; x < 40; ++x)
        pen += image.pixelColor(x, 0) == QColor(Qt::red);
    EXPECT_GT(pen, 5);
    EXPECT_LT(pen, 35);
}

TEST(LabelPainter, RoundCornersOfARectangle145By103Are25Wide) {
    const QImage image = Render(ShapeLook({145, 103}, dsRoundRect, QBrush(Fill), {Qt::black, 1, psSolid}));
    const QColor outline(Qt::black);
    // Straight edges begin 12.5 pixels (half the corner ellipse) from each corner.
    for (const auto& [x, y] : {std::pair{13, 0}, {72, 0}, {0, 13}, {0, 51}, {131, 102}, {144, 89}})
        EXPECT_EQ(image.pixelColor(x, y), outline) << x << ", " << y;
    // A corner of 25 leaves the outer 3 pixels of the diagonal and (4, 0) outside the shape ...
    for (const auto& [x, y] : {std::pair{0, 0}, {2, 2}, {4, 0}, {0, 4}, {144, 0}, {142, 100}, {140, 102}})
        EXPECT_EQ(image.pixelColor(x, y), Background) << x << ", " << y;
    // ... and (5, 5) inside it.
    for (const auto& [x, y] : {std::pair{5, 5}, {139, 5}, {5, 97}, {139, 97}, {72, 1}})
        EXPECT_EQ(image.pixelColor(x, y), Fill) << x << ", " << y;
}

TEST(LabelPainter, AnEllipseFillsItsMiddleAndLeavesTheCorners) {
    const QImage image = Render(ShapeLook({80, 40}, dsElipse, QBrush(Fill), {Qt::black, 1, psSolid}));
    EXPECT_EQ(image.pixelColor(0, 0), Background);
    EXPECT_EQ(image.pixelColor(79, 39), Background);
    EXPECT_EQ(image.pixelColor(40, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(0, 20), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(40, 20), Fill);
}

TEST(LabelPainter, HeadingDrawsItsBlackShadowOnePixelRightOfAndBelowTheText) {
    // The main window's headings: bold red text, black thin shadow to the south-east, maroon fill, a frame
    // of one pixel inside the label, centred.
    LabelLook look = TextLook(QSize(200, 24), QStringLiteral("Standard settings"));
    look.font = CrispFont(true);
    look.shadow = {Qt::black, sSouthEast, stThin};
    look.filling = QBrush(QColor(0x80, 0, 0));
    look.outLine = {QColor(0x40, 0x40, 0x40), 1, psInsideFrame};
    look.alignment = Qt::AlignHCenter;
    look.layout = Qt::AlignVCenter;
    const Pixels text = TextPixels(look);
    const QImage image = Render(look);
    ExpectPixels(image, image.rect().adjusted(1, 1, -1, -1), [&](int x, int y) {
        if (text.count({x, y}))
            return QColor(Qt::red);
        if (text.count({x - 1, y - 1}))
            return QColor(Qt::black);
        return QColor(0x80, 0, 0);
    });
    EXPECT_EQ(image.pixelColor(0, 12), QColor(0x40, 0x40, 0x40));
}

TEST(LabelPainter, NoShadowDrawsTheTextOnceAtTheRectanglesStart) {
    const QString caption = QStringLiteral("Wg&q\tx");
    LabelLook look = TextLook(QSize(120, 40), caption);
    look.shadow.style = stNone;
    const QImage image = Render(look);
    EXPECT_TRUE(PixelsOf(image, Qt::blue).empty()) << "the shadow is covered by the text";

    QImage expected(look.size, QImage::Format_RGB32);
    expected.fill(Fill);
    QPainter painter(&expected);
    painter.setFont(look.font);
    painter.setPen(Qt::red);
    painter.drawText(QRect(QPoint(0, 0), look.size),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs | Qt::TextShowMnemonic, caption);
    painter.end();
    EXPECT_EQ(image, expected);
}

TEST(LabelPainter, DissociatedShadowToTheNorthWestLiesAtTheStartAndTheTextThreePixelsFurther) {
    LabelLook look = TextLook(QSize(120, 40), QStringLiteral("Brisela"));
    const Pixels text = TextPixels(look);
    look.shadow = {Qt::blue, SNorthWest, stDissociated};
    const QImage image = Render(look);
    ExpectPixels(image, image.rect(), [&](int x, int y) {
        if (text.count({x - 3, y - 3}))
            return QColor(Qt::red);
        if (text.count({x, y}))
            return QColor(Qt::blue);
        return Fill;
    });
}

TEST(LabelPainter, ADisabledLabelDrawsRaisedGreyTextAndNoShadow) {
    LabelLook look = TextLook(QSize(120, 40), QStringLiteral("Disabled"));
    look.shadow = {Qt::blue, sSouthEast, stHeavy};
    const Pixels text = TextPixels(look);
    look.enabled = false;
    look.disabledLight = Qt::white;
    look.disabledDark = QColor(0x80, 0x80, 0x80);
    const QImage image = Render(look);
    ExpectPixels(image, image.rect(), [&](int x, int y) {
        if (text.count({x, y}))
            return QColor(0x80, 0x80, 0x80);
        if (text.count({x - 1, y - 1}))
            return QColor(Qt::white);
        return Fill;
    });
}

TEST(LabelPainter, LayoutMovesTheTextDownByWhatTheMeasureLeavesIncludingTheTextsOwnOffset) {
    LabelLook look = TextLook(QSize(100, 61), QStringLiteral("Hq"));
    // The height the platform measures for the line.
    const int lineHeight =
        QFontMetrics(look.font).boundingRect(QRect(0, 0, 100, 61), Qt::AlignTop, look.caption).height();
    const Pixels top = TextPixels(look);
    const std::tuple<Qt::Alignment, TShadowOrientation, TShadowStyle, int, int> cases[] = {
        {Qt::AlignBottom, sSouthEast, stNone, 0, 61 - lineHeight},
        {Qt::AlignVCenter, sSouthEast, stNone, 0, (61 - lineHeight) / 2},
        // The text lies 3 pixels right of and below its shadow, and the measure includes those 3 pixels.
        {Qt::AlignVCenter, SNorthWest, stDissociated, 3, 3 + (61 - lineHeight - 3) / 2},
        {Qt::AlignBottom, SNorthWest, stDissociated, 3, 3 + 61 - lineHeight - 3},
    };
    for (const auto& [layout, orientation, style, dx, dy] : cases) {
        look.layout = layout;
        look.shadow.orientation = orientation;
        look.shadow.style = style;
        EXPECT_EQ(PixelsOf(Render(look), Qt::red), Shifted(top, dx, dy)) << "layout " << layout << " style " << style;
    }
}

TEST(LabelPainter, MeasuringGivesAnEmptyTextOrALoneAmpersandOneLineAndLeavesTheRectangleMoved) {
    QImage image(100, 50, QImage::Format_RGB32);
    QPainter painter(&image);
    const int lineHeight =
        QFontMetrics(CrispFont()).boundingRect(QRect(0, 0, 100, 50), Qt::AlignTop, QStringLiteral(" ")).height();
    ASSERT_GT(lineHeight, 0);
    const std::tuple<QString, TShadowOrientation, TShadowStyle, QPoint> cases[] = {
        {QString(), sSouthEast, stThin, QPoint(0, 0)},
        {QStringLiteral("&"), sSouthEast, stThin, QPoint(0, 0)},
        {QString(), SNorthWest, stDissociated, QPoint(3, 3)},
        {QStringLiteral("&"), sSouth, stHeavy, QPoint(0, 0)},
    };
    for (const auto& [caption, orientation, style, moved] : cases) {
        LabelLook look = TextLook(QSize(100, 50), caption);
        look.shadow.orientation = orientation;
        look.shadow.style = style;
        QRect rect(0, 0, 100, 50);
        DrawLabelText(painter, look, rect, Qt::AlignTop, true);
        EXPECT_EQ(rect.topLeft(), moved) << caption.toStdString() << " style " << style;
        EXPECT_EQ(rect.height(), lineHeight) << caption.toStdString() << " style " << style;
    }
}

TEST(LabelPainter, VerticalTextHasABlankRowForALineFeedAndTwoForACarriageReturnAndLineFeed) {
    // The rows of ink from top to bottom: each H is a band; the blank rows leave gaps.
    const auto bandTops = [](const QString& caption) {
        LabelLook look = TextLook(QSize(30, 200), caption);
        look.textDirection = tVert;
        const QImage image = Render(look);
        std::vector<int> tops;
        bool inBand = false;
        for (int y = 0; y < image.height(); ++y) {
            bool ink = false;
            for (int x = 0; x < image.width() && !ink; ++x)
                ink = image.pixelColor(x, y) == QColor(Qt::red);
            if (ink && !inBand)
                tops.push_back(y);
            inBand = ink;
        }
        return tops;
    };
    const std::vector<int> lineFeed = bandTops(QStringLiteral("HH\nH"));
    ASSERT_EQ(lineFeed.size(), 3u);
    const int row = lineFeed[1] - lineFeed[0];
    EXPECT_GT(row, 0);
    EXPECT_EQ(lineFeed[2] - lineFeed[0], 3 * row) << "rows H, H, blank, H";
    const std::vector<int> pair = bandTops(QStringLiteral("HH\r\nH"));
    ASSERT_EQ(pair.size(), 3u);
    EXPECT_EQ(pair[2] - pair[0], 4 * row) << "rows H, H, blank, blank, H";
}

TEST(LabelPainter, AcceleratorMarksAreHiddenOnlyWhenShown) {
    LabelLook look = TextLook(QSize(120, 30), QStringLiteral("&&"));
    const std::size_t shown = PixelsOf(Render(look), Qt::red).size();
    look.showAccelChar = false;
    const std::size_t literal = PixelsOf(Render(look), Qt::red).size();
    EXPECT_GT(literal, shown) << "without accelerators both ampersands are drawn";
}

} // namespace
