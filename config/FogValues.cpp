#include "config/FogValues.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

QString DensityText(int position, const QLocale& locale) {
    // General format with 15 significant digits gives the shortest text of each step: 0.0031, not 0.00310000...
    return locale.toString(position / 10000.0, 'g', 15);
}

QString DistanceText(int position) {
    return QString::number(position * 1000);
}

double ParseDensity(const QString& text, const QLocale& locale) {
    QLocale strict = locale;
    // A group separator would read "0,001" as 1 under a decimal-point locale; refuse it instead.
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double density = strict.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(density))
        throw std::runtime_error("'" + text.toStdString() + "' is not a valid floating point value");
    return density;
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
