// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The rules of the map rotation, apart from any window. The maps list holds the lines of "maps.ini", each a
// map name, "=" and the map's gametype codes in brackets ("mp_harbor=[dm] [tdm] [bhm]").

// The maps that offer `gametype`, in catalogue order, each once (letter case ignored). A line offers it when
// the text after its last "=" holds "[" + gametype + "]" with the same letter case; its map is the text
// before its first "=" (empty when it has none).
QStringList MapsOfGametype(const QStringList& mapsList, const QString& gametype);

// The rows of `rotation` whose map `offered` does not hold (letter case ignored), from the last to the first,
// so that deleting them in this order keeps the other rows valid.
QList<int> RotationRowsToDrop(const QStringList& rotation, const QStringList& offered);

// True when `map` may join `rotation`: the rotation does not hold it yet (letter case ignored).
bool CanAddToRotation(const QStringList& rotation, const QString& map);

// The run log's lines for the maps `dropped` from the rotation when the maps of `gametype` were listed, each map
// by name: first those the catalogue does not hold at all, "Rotation : <maps> dropped, not in the map catalogue",
// then those it holds for other gametypes only, "Rotation : <maps> dropped, not offered by the gametype <gametype>".
// No line for an empty group.
QStringList DroppedMapsLines(const QStringList& dropped, const QStringList& mapsList, const QString& gametype);

// The name of a gametype code ("sd": "Search and Destroy"), or an empty text for a code the program does not know.
QString GametypeName(const QString& code);
