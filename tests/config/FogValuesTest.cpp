// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FogValues.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const QLocale French(QLocale::French, QLocale::France);
const QLocale English(QLocale::English, QLocale::UnitedStates);

TEST(FogValuesTest, EveryDensityStepRoundTripsUnderEitherDecimalSeparator) {
    for (const QLocale& locale : {French, English})
        for (int position = DensityMin; position <= DensityMax; ++position) {
            const QString text = DensityText(position, locale);
            EXPECT_EQ(DensityPosition(ParseDensity(text, locale)), position) << text.toStdString();
            EXPECT_LE(text.size(), 6) << text.toStdString();
        }
    EXPECT_EQ(DensityText(10, French), QStringLiteral("0,001"));
    EXPECT_EQ(DensityText(10, English), QStringLiteral("0.001"));
    EXPECT_EQ(DensityText(31, French), QStringLiteral("0,0031"));
    EXPECT_EQ(DensityText(60, French), QStringLiteral("0,006"));
}

TEST(FogValuesTest, DensityDigitsAreAsciiWithTheLocalesOwnSeparator) {
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    const QLocale persian(QLocale::Persian, QLocale::Iran);
    for (const QLocale& locale : {arabic, persian}) {
        const QString separator = locale.decimalPoint();
        EXPECT_EQ(DensityText(10, locale), QStringLiteral("0") + separator + QStringLiteral("001"));
        EXPECT_EQ(DensityText(31, locale), QStringLiteral("0") + separator + QStringLiteral("0031"));
        for (int position = DensityMin; position <= DensityMax; ++position)
            EXPECT_EQ(DensityPosition(ParseDensity(DensityText(position, locale), locale)), position);
    }
    EXPECT_EQ(DensityForConfig(DensityText(31, arabic).toStdString()), "0.0031");
}

TEST(FogValuesTest, ADensityReadsWithACommaOrAPointUnderAnyLocale) {
    // The shipped defaults and every file saved on a decimal-comma system hold "0,001".
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    for (const QLocale& locale : {French, English, arabic})
        for (const char* text : {"0,0025", " 0.0025 "})
            EXPECT_DOUBLE_EQ(ParseDensity(QString::fromLatin1(text), locale), 0.0025) << text;
    EXPECT_DOUBLE_EQ(ParseDensity(QStringLiteral("\u0660\u066b\u0660\u0660\u0661"), arabic), 0.001);
    const std::vector<std::pair<QString, QLocale>> bad = {
        {QStringLiteral("abc"), French},   {QString(), French},
        {QStringLiteral("inf"), English},  {QStringLiteral("1,000.5"), English},
        {QStringLiteral("0,0,1"), French},
    };
    for (const auto& [text, locale] : bad) {
        try {
            ParseDensity(text, locale);
            ADD_FAILURE() << "accepted " << text.toStdString();
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), "'" + text.toStdString() + "' is not a valid floating point value");
        }
    }
}

TEST(FogValuesTest, WholeNumbersAreSignedDecimals) {
    EXPECT_EQ(ParseInteger(QStringLiteral("3500")), 3500);
    EXPECT_EQ(ParseInteger(QStringLiteral("-7")), -7);
    for (const char* text : {"3,5", "", "12a", "0x10", "99999999999"})
        EXPECT_THROW(ParseInteger(QString::fromLatin1(text)), std::runtime_error) << text;
}

TEST(FogValuesTest, SliderPositionsAreClampedIntoTheirRanges) {
    const std::vector<std::pair<double, int>> densities = {{0.0005, 10}, {0.001, 10}, {0.00154, 15}, {0.00156, 16},
                                                           {0.006, 60},  {0.01, 60},  {-1, 10},      {1e300, 60}};
    for (const auto& [density, position] : densities)
        EXPECT_EQ(DensityPosition(density), position) << density;
    const std::vector<std::pair<int, int>> distances = {{3500, 3}, {3000, 3},   {500, 3},   {-9000, 3},
                                                        {9999, 9}, {10000, 10}, {12000, 10}};
    for (const auto& [distance, position] : distances)
        EXPECT_EQ(DistancePosition(distance), position) << distance;
    EXPECT_EQ(DistanceText(7), QStringLiteral("7000"));
}

TEST(FogValuesTest, ThePanelUsesTheLowEightBitsOfEachComponent) {
    EXPECT_EQ(PanelColor(255, 300, -1), (RgbColor{255, 44, 255}));
    EXPECT_EQ(PanelColor(0, 256, 513), (RgbColor{0, 0, 1}));
}

TEST(FogValuesTest, EachFogTypeEnablesItsControls) {
    struct Case {
        int type;
        std::optional<FogControlsEnabled> enabled;
    };
    for (const auto& [type, enabled] : std::vector<Case>{{0, FogControlsEnabled{false, false, false}},
                                                         {1, FogControlsEnabled{false, true, true}},
                                                         {2, FogControlsEnabled{true, false, true}},
                                                         {-1, std::nullopt},
                                                         {3, std::nullopt}}) {
        const auto actual = FogControlsEnabledFor(type);
        ASSERT_EQ(actual.has_value(), enabled.has_value()) << type;
        if (actual) {
            EXPECT_EQ(actual->density, enabled->density) << type;
            EXPECT_EQ(actual->distance, enabled->distance) << type;
            EXPECT_EQ(actual->colour, enabled->colour) << type;
        }
    }
}

} // namespace
