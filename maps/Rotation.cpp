#include "maps/Rotation.h"

QStringList MapsOfGametype(const QStringList& mapsList, const QString& gametype) {
    // The brackets make a code match whole: "[tdm]" is not found inside "[tdmx]".
    const QString key = u'[' + gametype + u']';
    QStringList maps;
    for (const QString& line : mapsList) {
        const qsizetype firstEquals = line.indexOf(u'=');
        const QString name = firstEquals < 0 ? QString() : line.left(firstEquals);
        const QString codes = line.mid(line.lastIndexOf(u'=') + 1);
        if (codes.contains(key, Qt::CaseSensitive) && !maps.contains(name, Qt::CaseInsensitive))
            maps << name;
    }
    return maps;
}

QList<int> RotationRowsToDrop(const QStringList& rotation, const QStringList& offered) {
    QList<int> rows;
    for (qsizetype row = rotation.size() - 1; row >= 0; --row)
        if (!offered.contains(rotation[row], Qt::CaseInsensitive))
            rows << static_cast<int>(row);
    return rows;
}

bool CanAddToRotation(const QStringList& rotation, const QString& map) {
    return !rotation.contains(map, Qt::CaseInsensitive);
}
