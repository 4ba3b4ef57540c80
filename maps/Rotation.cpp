#include "maps/Rotation.h"

#include <QSet>

QStringList MapsOfGametype(const QStringList& mapsList, const QString& gametype) {
    // The brackets make a code match whole: "[tdm]" is not found inside "[tdmx]".
    const QString key = u'[' + gametype + u']';
    QStringList maps;
    QSet<QString> listed; // case-folded, so that a long catalogue is listed in linear time
    for (const QString& line : mapsList) {
        const qsizetype firstEquals = line.indexOf(u'=');
        const QStringView name = firstEquals < 0 ? QStringView() : QStringView(line).left(firstEquals);
        const QStringView codes = QStringView(line).mid(line.lastIndexOf(u'=') + 1);
        if (!codes.contains(key, Qt::CaseSensitive))
            continue;
        QString folded = name.toString().toCaseFolded();
        if (!listed.contains(folded)) {
            listed.insert(std::move(folded));
            maps << name.toString();
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
