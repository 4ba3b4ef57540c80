#include "settings/SettingsCommands.h"

#include "forms/Guard.h"
#include "forms/Questions.h"
#include "platform/Paths.h"
#include "settings/SvgEditIni.h"
#include "store/ResourcesMaker.h"

#include <QAbstractButton>
#include <QFileInfo>

namespace {

const QString IniFilter = QStringLiteral("Ini files (*.ini)");
const QString IniSuffix = QStringLiteral("ini");
const std::string DefaultMember = "default.ini";

std::string ProgramFile(const std::string& name) {
    return JoinPath(GetProgramFolder(), name);
}

} // namespace

QString ConfigsFolder() {
    return QString::fromStdString(ProgramFile("configs") + PathSeparator);
}

std::string ScratchFolder() {
    return JoinPath(GetTempFolder(), "Quendry");
}

TSettingsCommands::TSettingsCommands(const TSettingsButtons& buttons, TSvgEditIni& store, std::function<void()> refresh,
                                     QObject* parent)
    : QObject(parent), store_(store), refresh_(std::move(refresh)) {
    ConnectGuarded(buttons.ButtonOpen, &QAbstractButton::clicked, this, &TSettingsCommands::ButtonOpenClick);
    ConnectGuarded(buttons.ButtonSave, &QAbstractButton::clicked, this, &TSettingsCommands::ButtonSaveClick);
    ConnectGuarded(buttons.ButtonDefault, &QAbstractButton::clicked, this, &TSettingsCommands::ButtonDefaultClick);
    ConnectGuarded(buttons.AddDefault, &QAbstractButton::clicked, this, &TSettingsCommands::AddDefaultClick);
    ConnectGuarded(buttons.AddPk3, &QAbstractButton::clicked, this, &TSettingsCommands::AddPk3Click);
}

void TSettingsCommands::ButtonOpenClick() {
    const auto path = Ask().PickOpenFile(ConfigsFolder(), IniFilter, IniSuffix);
    if (!path)
        return;
    // A name typed without an extension means the settings file of that name.
    store_.ChargeIni(QFileInfo(*path).suffix().isEmpty() ? *path + QLatin1Char('.') + IniSuffix : *path);
    refresh_();
}

void TSettingsCommands::ButtonSaveClick() {
    const auto path = Ask().PickSaveFile(ConfigsFolder(), IniFilter, IniSuffix);
    if (path)
        store_.SauveIni(*path);
}

void TSettingsCommands::ButtonDefaultClick() {
    {
        // Extracted before the question, and the store released before it, so that no file stays locked
        // while the user decides.
        TResourcesMaker resources(ProgramFile("default.bin"), "");
        resources.ExtractResource(ScratchFolder(), DefaultMember, true, epFileNameOnly);
    }
    if (!Ask().AskYesNo(QStringLiteral("Load default config ?")))
        return;
    store_.ChargeIni(QString::fromStdString(JoinPath(ScratchFolder(), DefaultMember)));
    refresh_();
}

void TSettingsCommands::AddDefaultClick() {
    const std::string snapshot = ProgramFile(DefaultMember);
    store_.SauveIni(QString::fromStdString(snapshot));
    TResourcesMaker resources(ProgramFile("default.bin"), "");
    resources.AddResource(snapshot, DefaultMember, true);
}

void TSettingsCommands::AddPk3Click() {
    TResourcesMaker resources(ProgramFile("data.bin"), "");
    // Relative to the working folder; stored under that same path, which Install finds by the mod folder's name.
    resources.AddResource("BriselaMod_v2/PRM_5.pk3", "", true);
}
