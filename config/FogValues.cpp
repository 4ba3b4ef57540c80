// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FogValues.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

QString DensityText(int position, const QLocale& locale) {
    // General format with 15 significant digits gives the shortest text of each step: 0.0031, not 0.00310000...
    // ASCII digits whatever the locale, since the game reads no others; only the separator is the user's.
    QString text = QString::number(position / 10000.0, 'g', 15);
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

QString DistanceText(int position) {
    return QString::number(position * 1000);
}

double ParseDensity(const QString& text, const QLocale& locale) {
    // Settings files travel between systems, and the shipped defaults hold "0,001": a comma, a point and the
    // locale's own separator all mark the decimals. No group separator is accepted.
    QString decimal = text.trimmed();
    decimal.replace(locale.decimalPoint(), QStringLiteral("."));
    decimal.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    double density = QLocale::c().toDouble(decimal, &ok);
    if (!ok) { // digits of the user's own script, as older versions wrote them
        QLocale strict = locale;
        strict.setNumberOptions(QLocale::RejectGroupSeparator);
        density = strict.toDouble(text.trimmed(), &ok);
    }
    if (!ok || !std::isfinite(density))
        throw std::runtime_error("'" + text.toStdString() + "' is not a valid floating point value");
    return density;
}

QString DensityWithSeparator(const QString& text, const QString& separator) {
    constexpr char16_t ArabicDecimalSeparator = u'\u066B';
    QString density = text;
    for (const QChar mark : {QChar(u','), QChar(u'.'), QChar(ArabicDecimalSeparator)})
        density.replace(mark, separator);
    return density;
}

QString ShownDensity(const QString& text, const QLocale& locale) {
    const QString marked = DensityWithSeparator(text, QStringLiteral("."));
    return marked.count(QLatin1Char('.')) == 1 ? DensityWithSeparator(text, locale.decimalPoint()) : text;
}

std::string DensityForConfig(const std::string& text) {
    return DensityWithSeparator(QString::fromStdString(text), QStringLiteral(".")).toStdString();
}

int ParseInteger(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw std::runtime_error("'" + text.toStdString() + "' is not a valid integer value");
    return value;
}

int DensityPosition(double density) {
    // Clamped before the conversion, so a huge typed density cannot overflow the position.
    return static_cast<int>(std::clamp(std::round(density * 10000), double{DensityMin}, double{DensityMax}));
}

int DistancePosition(int distance) {
    return std::clamp(distance / 1000, DistanceMin, DistanceMax);
}

RgbColor PanelColor(int red, int green, int blue) {
    return {red & 0xFF, green & 0xFF, blue & 0xFF};
}

std::optional<FogControlsEnabled> FogControlsEnabledFor(int fogType) {
    switch (fogType) {
    case 0: // no fog
        return FogControlsEnabled{false, false, false};
    case 1: // fog by distance
        return FogControlsEnabled{false, true, true};
    case 2: // haze by density
        return FogControlsEnabled{true, false, true};
    default:
        return std::nullopt;
    }
}
