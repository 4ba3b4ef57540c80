// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StatusCommand.h"

#include "app/CommandArguments.h"
#include "app/ServerTarget.h"
#include "server/StatusQuery.h"
#include "server/StatusText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <ostream>

namespace {

// The status as one JSON object for scripts; a value the server did not give is null.
QByteArray StatusJson(const ServerStatus& status, const std::string& address, std::chrono::milliseconds roundTrip) {
    QJsonArray players;
    for (const PlayerStatus& player : status.players)
        players.append(QJsonObject{{QStringLiteral("name"), QString::fromStdString(player.name)},
                                   {QStringLiteral("score"), player.score},
                                   {QStringLiteral("ping"), player.ping}});
    const QJsonObject object{
        {QStringLiteral("address"), QString::fromStdString(address)},
        {QStringLiteral("hostName"), QString::fromStdString(status.hostName)},
        {QStringLiteral("hostNameRaw"), QString::fromStdString(status.rawHostName)},
        {QStringLiteral("map"), QString::fromStdString(status.map)},
        {QStringLiteral("gametype"), QString::fromStdString(status.gametype)},
        {QStringLiteral("players"), players},
        {QStringLiteral("playerLimit"), status.playerLimit ? QJsonValue(*status.playerLimit) : QJsonValue()},
        {QStringLiteral("needsPassword"), status.needsPassword ? QJsonValue(*status.needsPassword) : QJsonValue()},
        {QStringLiteral("roundTripMs"), static_cast<qint64>(roundTrip.count())},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

int StatusCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    const ServerTarget target = ServerTargetOf(args);
    const StatusAnswer answer = QueryServerStatus(target.host, target.port);
    if (!answer.status) {
        err << "quendry status: " << answer.error << '\n';
        return 1;
    }
    if (args.IsSet("json")) {
        out << StatusJson(*answer.status, ServerAddress(target.host, target.port), answer.roundTrip).toStdString()
            << '\n';
        return 0;
    }
    for (const std::string& line : StatusReport(*answer.status))
        out << line << '\n';
    return 0;
}
