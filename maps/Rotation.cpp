#include "maps/Rotation.h"

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
