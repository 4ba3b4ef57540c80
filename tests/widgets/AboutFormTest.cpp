// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/AboutForm.h"

#include "widgets/LabelExtra.h"

#include <QImage>
#include <QLabel>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

QStringList MemoLines(const TAboutForm& about) {
    return about.Find<QTextEdit>(QStringLiteral("Memo1"))->toPlainText().split(u'\n');
}

TEST(AboutForm, IsABorderlessBoxAsWideAsItsBannerWithTheNameVersionAndCredits) {
    TAboutForm about(QStringLiteral("Version 2.0.0.0"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About box"));
    EXPECT_EQ(about.width(), QImage(QStringLiteral(":/widgets/AboutBanner.png")).width());
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    const QStringList lines = MemoLines(about);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QString());
    EXPECT_EQ(lines[1], QStringLiteral("Brisela Quendry Version 2.0.0.0"));
    EXPECT_EQ(lines[2], QString::fromLatin1(AuthorWebPage));
    EXPECT_EQ(lines[3], QString());
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("PRM Realism 5 (thank to ")) && lines[4].endsWith(u" team)"));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("Blood FX 3 (thank to ")) && lines[5].endsWith(u" team)"));

    about.show(); // lays the text out at the box's width
    const QTextEdit* memo = about.Find<QTextEdit>(QStringLiteral("Memo1"));
    ASSERT_GT(memo->document()->size().height(), 0);
    EXPECT_LE(memo->document()->size().height(), memo->height()) << "all six lines show";

    TAboutForm unversioned(QStringLiteral("Unknown version"));
    EXPECT_EQ(MemoLines(unversioned)[1], QStringLiteral("Brisela Quendry Unknown version"));
}

TEST(AboutForm, ShowsTheBannerInsideARedFrameAlongTheEdge) {
    TAboutForm about(QStringLiteral("Version 2.0.0.0"));
    QImage image(about.size(), QImage::Format_RGB32);
    about.render(&image);
    const int right = about.width() - 1, bottom = about.height() - 1;
    for (const QPoint& edge :
         {QPoint(0, 0), QPoint(3, 100), QPoint(right, bottom), QPoint(right - 2, 50), QPoint(200, bottom - 2)})
        EXPECT_EQ(image.pixelColor(edge), QColor(Qt::red)) << edge.x() << ", " << edge.y();
    const QImage banner = QImage(QStringLiteral(":/widgets/AboutBanner.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(banner.size(), QSize(352, 124));
    EXPECT_EQ(image.copy(4, 4, 344, 116), banner.copy(4, 4, 344, 116)) << "the banner shows through the frame";
    EXPECT_EQ(image.pixelColor(10, bottom - 20), QColor(0x80, 0, 0)) << "maroon below the text";
}

TEST(AboutForm, WritesItsLinesInRed) {
    TAboutForm about(QStringLiteral("Version 2.0.0.0"));
    about.show();
    QImage image(about.size(), QImage::Format_RGB32);
    about.render(&image);
    // Inside the frame and below the banner only the text differs from maroon; the cores of its strokes are red.
    int red = 0, other = 0;
    for (int y = 140; y < about.height() - 6; ++y) {
        for (int x = 8; x < about.width() - 8; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel == QColor(255, 0, 0))
                ++red;
            else if (pixel.green() > 0x20 || pixel.blue() > 0x20)
                ++other;
        }
    }
    EXPECT_GT(red, 50);
    EXPECT_EQ(other, 0) << "no lighter red or other colour";
}

TEST(AboutForm, OpensCentredOverItsOwner) {
    QWidget owner;
    owner.setGeometry(120, 80, 700, 500);
    owner.show();
    TAboutForm about(QStringLiteral("Version 2.0.0.0"), &owner);
    about.show();
    EXPECT_EQ(about.geometry().center(), owner.geometry().center());
}

TEST(AboutForm, AClickOnThePictureTheFrameOrTheTextClosesIt) {
    TAboutForm about(QStringLiteral("Version 2.0.0.0"));
    for (const QPoint& where : {QPoint(100, 50), QPoint(1, 1), QPoint(176, 180)}) {
        about.show();
        ASSERT_TRUE(about.isVisible());
        QWidget* target = about.childAt(where);
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&about, where));
        EXPECT_FALSE(about.isVisible()) << "click at " << where.x() << ", " << where.y();
    }
}

TEST(AboutForm, EscapeClosesIt) {
    TAboutForm about(QStringLiteral("Version 2.0.0.0"));
    about.show();
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
}

} // namespace
