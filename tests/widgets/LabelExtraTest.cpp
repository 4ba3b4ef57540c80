// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/LabelExtra.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(LabelExtra, StartsTransparentCentredAndFramedAsDesigned) {
    TLabelExtra label;
    EXPECT_TRUE(label.AutoCenter());
    EXPECT_TRUE(label.Lines().isEmpty());
    EXPECT_EQ(label.Filling().style(), Qt::SolidPattern);
    EXPECT_EQ(label.OutLine().width, 1);
    EXPECT_EQ(label.OutLine().style, psSolid);
    EXPECT_EQ(label.Shape(), dsRect);
    EXPECT_EQ(label.FontShadow().ShadowColor(), QColor(Qt::white));
    EXPECT_EQ(label.FontShadow().ShadowOrientation(), sSouthEast);
    EXPECT_EQ(label.FontShadow().ShadowStyle(), stThin);
    EXPECT_EQ(label.TextDirection(), THorz);
    EXPECT_TRUE(label.ShowAccelChar());
    EXPECT_FALSE(label.autoFillBackground());
}

TEST(LabelExtra, LinesAndCaptionFollowEachOther) {
    TLabelExtra label;
    label.SetLines({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    EXPECT_EQ(label.text(), QStringLiteral("one\ntwo\nthree"));
    label.setText(QStringLiteral("a\r\nb\rc\n"));
    EXPECT_EQ(label.Lines(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
}

TEST(LabelExtra, EveryShadowSetterTellsItsOwnerAlsoWhenTheValueStays) {
    TShadow shadow;
    int changes = 0;
    shadow.OnChange = [&] { ++changes; };
    shadow.SetShadowColor(Qt::white);
    shadow.SetShadowOrientation(sSouthEast);
    shadow.SetShadowStyle(stHeavy);
    EXPECT_EQ(changes, 3);

    TLabelExtra label;
    label.SetFontShadow(shadow);
    EXPECT_EQ(label.FontShadow().Look(), (TShadowLook{Qt::white, sSouthEast, stHeavy}));
}

TEST(LabelExtra, AutoCenterCentresTheTextForGood) {
    TLabelExtra label;
    label.resize(200, 60);
    label.setText(QStringLiteral("Hi"));
    label.SetFontColor(Qt::red);
    label.SetOutLine({Qt::black, 1, psClear});
    label.SetAlignment(Qt::AlignLeft);
    label.SetLayout(Qt::AlignTop);

    QImage image(label.size(), QImage::Format_RGB32);
    label.render(&image);
    EXPECT_EQ(label.Alignment(), Qt::AlignHCenter);
    EXPECT_EQ(label.Layout(), Qt::AlignVCenter);
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).red() > 200 && image.pixelColor(x, y).green() < 80)
                ink |= QRect(x, y, 1, 1);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 100, 3);
    EXPECT_NEAR(ink.center().y(), 30, 6);

    // Without AutoCenter the alignment stays as set.
    label.SetAutoCenter(false);
    label.SetAlignment(Qt::AlignRight);
    label.render(&image);
    EXPECT_EQ(label.Alignment(), Qt::AlignRight);
}

TEST(LabelExtra, ALeftClickInsideIsAClick) {
    TLabelExtra label;
    label.resize(50, 20);
    QSignalSpy clicks(&label, &TLabelExtra::Click);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
}

} // namespace
