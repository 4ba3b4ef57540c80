#include "app/StartState.h"

#include "config/StoredOptions.h"
#include "maps/MapScan.h"
#include "maps/Rotation.h"
#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"

#include <QFile>

namespace {

void LoadSettingsFile(const QString& fileName, StartState& state) {
    try {
        LoadStoredOptions(TIniFile(fileName), state.options);
    } catch (const std::exception&) {
        return; // an unreadable file loads nothing, as in the windows
    }
    KeepOfferedMaps(state.options, state.mapsList);
}

QStringList ToQStringList(const std::vector<std::string>& lines) {
    QStringList converted;
    for (const std::string& line : lines)
        converted << QString::fromStdString(line);
    return converted;
}

} // namespace

void KeepOfferedMaps(OptionValues& options, const QStringList& mapsList) {
    auto& rotation = options.lines.at("ListBoxSelectedMaps");
    const QStringList offered = MapsOfGametype(mapsList, QString::fromStdString(options.Text("g_gametype")));
    for (const int row : RotationRowsToDrop(ToQStringList(rotation), offered))
        rotation.erase(rotation.begin() + row);
}

StartState LoadStartState(const std::optional<std::string>& settingsFile) {
    StartState state{FirstOptionValues(), {}, false};
    const QString mapsFile = QString::fromStdString(MapsFilePath());
    if (QFile::exists(mapsFile))
        state.mapsList = ReadIniLines(mapsFile);
    LoadSettingsFile(DefaultSettingsFile(), state);
    state.pathRestored = !state.options.Text("EditPath").empty();
    if (settingsFile)
        LoadSettingsFile(QString::fromStdString(*settingsFile), state);
    return state;
}
