// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StartState.h"

#include "config/StoredOptions.h"
#include "maps/MapScan.h"
#include "maps/Rotation.h"
#include "platform/AtomicFile.h"
#include "platform/Utf8Text.h"
#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

// The maps the catalogue offers for a gametype. A long catalogue is filtered once per gametype, however many
// settings files choose it.
class OfferedMaps {
public:
    explicit OfferedMaps(const QStringList& mapsList) : mapsList_(mapsList) {}

    const QStringList& Of(const QString& gametype) {
        if (!gametype_ || *gametype_ != gametype) {
            offered_ = MapsOfGametype(mapsList_, gametype);
            gametype_ = gametype;
        }
        return offered_;
    }

private:
    const QStringList& mapsList_;
    std::optional<QString> gametype_;
    QStringList offered_;
};

// Keeps in the rotation only the maps the catalogue offers for the chosen gametype, as the maps page does.
void KeepOfferedMaps(OptionValues& options, OfferedMaps& catalogue) {
    auto& rotation = options.Rotation();
    if (rotation.empty())
        return;
    const QStringList& offered = catalogue.Of(FromUtf8(options.Gametype()));
    for (const int row : RotationRowsToDrop(FromUtf8(rotation), offered))
        rotation.erase(rotation.begin() + row);
}

void LoadSettingsFile(const TIniFile& settings, StartState& state, OfferedMaps& catalogue) {
    LoadStoredOptions(settings, state.options);
    KeepOfferedMaps(state.options, catalogue);
}

} // namespace

StartState LoadStartState(const TIniFile* settings, const Instance& instance) {
    StartState state{FirstOptionValues(), {}, false};
    const QString mapsFile = QString::fromStdString(MapsFilePath());
    if (QFile::exists(mapsFile))
        state.mapsList = ReadIniLines(mapsFile);
    OfferedMaps catalogue(state.mapsList);
    std::optional<TIniFile> lastState;
    try {
        lastState.emplace(LastStateFile(instance));
    } catch (const std::exception&) {
        // an unreadable file loads nothing, as in the windows
    }
    if (lastState)
        LoadSettingsFile(*lastState, state, catalogue);
    state.pathRestored = !state.options.GameFolder().empty();
    if (settings)
        LoadSettingsFile(*settings, state, catalogue);
    return state;
}

GivenSettings ReadGivenSettings(const std::string& file) {
    const QString name = QString::fromStdString(file);
    GivenSettings given;
    std::string reason = QFileInfo::exists(name) ? std::string() : std::strerror(ENOENT);
    try {
        if (reason.empty()) {
            given.ini.emplace(name);
            RequireQuendrySettings(*given.ini);
        }
    } catch (const FileError& error) {
        reason = error.Reason();
    } catch (const std::runtime_error&) {
        reason = "holds no Quendry settings";
    }
    if (!reason.empty()) {
        given.ini.reset();
        given.unusable = "settings file " + file + ": " + reason;
    }
    return given;
}
