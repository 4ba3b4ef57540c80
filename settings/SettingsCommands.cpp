// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsCommands.h"

#include "settings/SettingsLocation.h"

#include "forms/Guard.h"
#include "forms/Questions.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "settings/IniFile.h"
#include "store/ResourcesMaker.h"

#include <QAbstractButton>
#include <QFileInfo>

#include <filesystem>

namespace {

const QString IniFilter = QStringLiteral("Ini files (*.ini)");
const QString IniSuffix = QStringLiteral("ini");
const std::string DefaultMember = "default.ini";

// The store that a maintenance command changes. An installed store is never changed: the first change goes into
// a copy in the user folder, which is read from then on in place of the installed one, and the user is told.
std::string StoreToChange(const std::string& name) {
    const ProgramFolders folders = GetProgramFolders();
    const std::string store = JoinPath(folders.userFiles, name);
    std::error_code error;
    if (!folders.installed || std::filesystem::exists(store, error))
        return store;
    CreateUserFolder();
    const std::string installed = JoinPath(folders.sideFiles, name);
    if (std::filesystem::exists(installed, error))
        WriteFileAtomically(store, ReadWholeFile(installed));
    Ask().ShowMessage(QString::fromStdString("The installed " + installed + " stays as it is: this change goes into " +
                                             "your own copy, " + store + ", which is read from now on in its place."));
    return store;
}

} // namespace

TSettingsCommands::TSettingsCommands(const TSettingsButtons& buttons, std::function<void(const TIniFile&)> load,
                                     std::function<void(const QString&)> save, QObject* parent)
    : QObject(parent), load_(std::move(load)), save_(std::move(save)) {
    ConnectGuarded(buttons.ButtonOpen, &QAbstractButton::clicked, this, &TSettingsCommands::ButtonOpenClick);
    ConnectGuarded(buttons.ButtonSave, &QAbstractButton::clicked, this, &TSettingsCommands::ButtonSaveClick);
    ConnectGuarded(buttons.ButtonDefault, &QAbstractButton::clicked, this, &TSettingsCommands::ButtonDefaultClick);
    ConnectGuarded(buttons.AddDefault, &QAbstractButton::clicked, this, &TSettingsCommands::AddDefaultClick);
    ConnectGuarded(buttons.AddPk3, &QAbstractButton::clicked, this, &TSettingsCommands::AddPk3Click);
}

void TSettingsCommands::ButtonOpenClick() {
    const auto path = Ask().PickOpenFile(QStringLiteral("Open settings"), MakeConfigsFolder(), IniFilter, IniSuffix);
    if (!path)
        return;
    // A name typed without an extension means the settings file of that name.
    const QString file = QFileInfo(*path).suffix().isEmpty() ? *path + QLatin1Char('.') + IniSuffix : *path;
    // A file that does not exist loads nothing; the windows still refresh.
    const TIniFile ini(file);
    if (QFileInfo::exists(file))
        RequireQuendrySettings(ini);
    load_(ini);
}

void TSettingsCommands::ButtonSaveClick() {
    const auto path = Ask().PickSaveFile(QStringLiteral("Save settings"), MakeConfigsFolder(), IniFilter, IniSuffix);
    if (!path)
        return;
    if (const std::string own = ProgramOwnFile(path->toStdString()); !own.empty())
        Ask().ShowMessage(QString::fromStdString(ProgramOwnFileMessage(path->toStdString(), own)));
    else
        save_(*path);
}

void TSettingsCommands::ButtonDefaultClick() {
    {
        // Extracted before the question, and the store released before it, so that no file stays locked
        // while the user decides.
        TResourcesMaker resources(SideFile("default.bin"), "", TStoreAccess::ReadOnly);
        resources.ExtractResource(MakeScratchFolder(), DefaultMember, true, epFileNameOnly);
    }
    if (!Ask().AskYesNo(QStringLiteral("Load default config ?")))
        return;
    load_(TIniFile(QString::fromStdString(JoinPath(ScratchFolderPath(), DefaultMember))));
}

void TSettingsCommands::AddDefaultClick() {
    const std::string store = StoreToChange("default.bin");
    const std::string snapshot = UserFile(DefaultMember);
    save_(QString::fromStdString(snapshot));
    TResourcesMaker resources(store, "");
    resources.AddResource(snapshot, DefaultMember, true);
}

void TSettingsCommands::AddPk3Click() {
    TResourcesMaker resources(StoreToChange("data.bin"), "");
    // Relative to the working folder; stored under that same path, which Install finds by the mod folder's name.
    resources.AddResource("BriselaMod_v2/PRM_5.pk3", "", true);
}
