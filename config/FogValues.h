// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/RgbColor.h"

#include <QLocale>
#include <QString>

#include <optional>
#include <string>

// The fog dialog's values: the texts of its fields are the data, its two sliders are views of them.

// Density slider: positions 10 to 60, in units of 0.0001 (density 0.001 to 0.006).
inline constexpr int DensityMin = 10;
inline constexpr int DensityMax = 60;
// Where the density slider stands before a setting moves it.
inline constexpr int DensityStart = 10;
// Distance slider: positions 3 to 10, in units of 1000 (distance 3000 to 10000).
inline constexpr int DistanceMin = 3;
inline constexpr int DistanceMax = 10;
// Where the distance slider stands before a setting moves it (the field's first text does not move it).
inline constexpr int DistanceStart = 5;

// The density text of a slider position: the shortest decimal text in ASCII digits, with the decimal separator
// of `locale`.
QString DensityText(int position, const QLocale& locale);
// The distance text of a slider position.
QString DistanceText(int position);

// Reads a density whose decimal separator is a comma, a point or that of `locale`. Throws std::runtime_error
// "'<text>' is not a valid floating point value" when it is not a finite decimal number.
double ParseDensity(const QString& text, const QLocale& locale);
// The density text `text` with its decimal separator, a point, a comma or the Arabic one, written as `separator`.
QString DensityWithSeparator(const QString& text, const QString& separator);
// The density text `text` as the field shows it: its one decimal separator written as that of `locale`; a text
// with several stays as it is, so that the error about it quotes what was typed.
QString ShownDensity(const QString& text, const QLocale& locale);
// The density text as the game reads it: its decimal separator written as a point.
std::string DensityForConfig(const std::string& text);
// Reads a signed decimal whole number. Throws std::runtime_error "'<text>' is not a valid integer value".
int ParseInteger(const QString& text);

// The density slider position of a density: rounded to the nearest step, clamped into the slider's range.
int DensityPosition(double density);
// The distance slider position of a distance: whole thousands (truncated toward zero), clamped into the range.
int DistancePosition(int distance);

// The panel colour of three typed components: only the low 8 bits of each count.
RgbColor PanelColor(int red, int green, int blue);

// Which value controls a fog type enables; nullopt for an index that is no fog type (nothing changes then).
struct FogControlsEnabled {
    bool density;  // the density slider, its label and field
    bool distance; // the distance slider, its label and field
    bool colour;   // the colour fields, their labels and the colour button
};
std::optional<FogControlsEnabled> FogControlsEnabledFor(int fogType);
