// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/Rotation.h"

#include "ModFolder.h"

#include <QSet>

QStringList MapsOfGametype(const QStringList& mapsList, const QString& gametype) {
    // The brackets make a code match whole: "[tdm]" is not found inside "[tdmx]".
    const QString key = u'[' + gametype + u']';
    QStringList maps;
    maps.reserve(mapsList.size());
    QSet<QString> listed; // case-folded, so that a long catalogue is listed in linear time
    listed.reserve(mapsList.size());
    for (const QString& line : mapsList) {
        const qsizetype firstEquals = line.indexOf(u'=');
        const QStringView codes = QStringView(line).mid(line.lastIndexOf(u'=') + 1);
        if (!codes.contains(key, Qt::CaseSensitive))
            continue;
        const QString name = firstEquals < 0 ? QString() : line.left(firstEquals);
        // A name already in lower case folds to itself and shares its text: one allocation a line.
        const QString folded = name.toCaseFolded();
        if (!listed.contains(folded)) {
            listed.insert(folded);
            maps << name;
        }
    }
    return maps;
}

QList<int> RotationRowsToDrop(const QStringList& rotation, const QStringList& offered) {
    QSet<QString> folded;
    for (const QString& map : offered)
        folded.insert(map.toCaseFolded());
    QList<int> rows;
    for (qsizetype row = rotation.size() - 1; row >= 0; --row)
        if (!folded.contains(rotation[row].toCaseFolded()))
            rows << static_cast<int>(row);
    return rows;
}

bool CanAddToRotation(const QStringList& rotation, const QString& map) {
    return !rotation.contains(map, Qt::CaseInsensitive);
}

QStringList DroppedMapsLines(const QStringList& dropped, const QStringList& mapsList, const QString& gametype) {
    QSet<QString> catalogue;
    for (const QString& line : mapsList)
        if (const qsizetype firstEquals = line.indexOf(u'='); firstEquals >= 0)
            catalogue.insert(line.left(firstEquals).toCaseFolded());
    QStringList missing, otherGametypes;
    for (const QString& map : dropped)
        (catalogue.contains(map.toCaseFolded()) ? otherGametypes : missing) << map;
    QStringList lines;
    if (!missing.isEmpty())
        lines << QStringLiteral("Rotation : ") + missing.join(QStringLiteral(", ")) +
                     QStringLiteral(" dropped, not in the map catalogue");
    if (!otherGametypes.isEmpty())
        lines << QStringLiteral("Rotation : ") + otherGametypes.join(QStringLiteral(", ")) +
                     QStringLiteral(" dropped, not offered by the gametype ") + gametype;
    return lines;
}

QString GametypeName(const QString& code) {
    static const std::pair<const char*, QString> names[] = {
        {"dm", QStringLiteral("Deathmatch")},
        {"tdm", QStringLiteral("Team Deathmatch")},
        {"sd", QStringLiteral("Search and Destroy")},
        {"re", QStringLiteral("Retrieval")},
        {"bel", QStringLiteral("Behind Enemy Lines")},
        {"hq", QStringLiteral("Headquarters")},
        {"bhm", QStringLiteral("The gametype of ") + QString::fromStdString(ModFolderName)},
    };
    for (const auto& [known, name] : names)
        if (code == QLatin1String(known))
            return name;
    return {};
}
