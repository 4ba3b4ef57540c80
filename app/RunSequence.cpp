// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RunSequence.h"

#include "ModFolder.h"

#include "config/AdvancedConfig.h"
#include "config/StandardConfig.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/TrustedPath.h"
#include "store/ResourcesMaker.h"

#include <QLocale>

#include <filesystem>

namespace {

bool FileExists(const std::string& path) {
    return std::filesystem::is_regular_file(path);
}

// Which folder was checked and what it lacks.
std::string InvalidGamePathReason(const std::string& gameFolder) {
    if (gameFolder.empty())
        return "no game folder is chosen";
    std::error_code error;
    if (!std::filesystem::is_directory(gameFolder, error))
        return gameFolder + " is not a folder";
    return gameFolder + " holds neither an executable " + NativeServerName + " nor " + WindowsServerName;
}

std::string ModPath(const RunSettings& settings) {
    return JoinPath(settings.options.GameFolder(), settings.modFolder);
}

// The mod folder, created when missing, reached without following a link planted by others.
std::string MakeModFolder(const RunSettings& settings) {
    return ResolveBelow(settings.options.GameFolder(), settings.modFolder, "Impossible de créer le dossier", true);
}

// The locale's long time format, without the time zone that Qt's long format adds.
QString LongTimeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

// The invalid game folder's message: what it lacks when it is a folder, then `request`.
std::string InvalidGamePathMessage(const std::string& gameFolder, const std::string& request) {
    return GameFolderToPick(gameFolder) ? request : InvalidGamePathReason(gameFolder) + ".\n\n" + request;
}

} // namespace

bool GameFolderToPick(const std::string& gameFolder) {
    std::error_code error;
    return gameFolder.empty() || !std::filesystem::is_directory(gameFolder, error);
}

std::string NoGameFolderToScanMessage(const std::string& gameFolder) {
    return InvalidGamePathMessage(gameFolder,
                                  "You must select the install directory of Call Of Duty before scanning the maps");
}

std::string RunStopMessage(RunOutcome outcome, const std::string& gameFolder) {
    switch (outcome) {
    case RunOutcome::InvalidGamePath:
        return InvalidGamePathMessage(gameFolder, "You must select the install directory of Call Of Duty and then "
                                                  "press run");
    case RunOutcome::NoMaps:
        return "You must select some maps for the rotation and then press run";
    case RunOutcome::Launched:
        break;
    }
    return {};
}

RunSettings RunSettingsOf(OptionValues options, bool pathRestored, const Instance& instance) {
    return {SideFile("data.bin"), ModFolderName, pathRestored, std::move(options), instance};
}

std::string SessionLine(const QDateTime& moment) {
    const QLocale locale = QLocale::system();
    QString text = locale.toString(moment.date(), QLocale::ShortFormat);
    if (moment.time() != QTime(0, 0))
        text += QLatin1Char(' ') + locale.toString(moment.time(), LongTimeFormat(locale));
    return "Session : " + text.toStdString();
}

bool CheckGamePath(const std::string& gameFolder, const LogSink& log) {
    const bool valid = HasServerProgram(gameFolder);
    log(valid ? "Path : valid path" : "Path : invalid path");
    if (!valid)
        log("Path : " + InvalidGamePathReason(gameFolder));
    return valid;
}

void InstallModFiles(const RunSettings& settings, const LogSink& log) {
    const std::string& archive = settings.modStore;
    // A missing archive installs nothing, as an empty one does, and is not created.
    std::optional<TResourcesMaker> opened;
    if (std::filesystem::exists(archive))
        opened.emplace(archive, "", TStoreAccess::ReadOnly);
    if (!opened || opened->Count() == 0) {
        log("data.bin holds no files: nothing to install");
        return;
    }
    TResourcesMaker& store = *opened;
    const std::string modPath = MakeModFolder(settings);
    for (int i = 0; i < store.Count(); ++i) {
        const std::string fileName = store.GetExtraInfos(i).FileName;
        const std::string installed = JoinPath(modPath, fileName);
        // A restored game folder keeps what it holds; any other keeps a file only when it is the member itself,
        // so that a service's restarts do not write the same files again.
        if (settings.pathRestored ? FileExists(installed) : store.FileHoldsMember(installed, i)) {
            log(fileName + " : already installed");
            continue;
        }
        store.ExtractResource(modPath, settings.modFolder + "\\" + fileName, true, epFileNameOnly);
        log(fileName + " : installed");
    }
}

void ShellCopyFile(const std::string& folder, const std::string& source, const std::string& destination) {
    unsigned mode = 0;
    const std::string content = ReadFileBelow(folder, source, &mode);
    WriteFileBelow(folder, destination, content, mode);
}

void PatchDefaultConfig(const std::string& gameFolder, const LogSink& log) {
    const std::string patched = "main/default_mp.cfg";
    if (FileExists(JoinPath(gameFolder, patched))) {
        log("PATCH for default_mp.cfg : already applied");
        return;
    }
    const std::string original = "main/config_mp.cfg";
    if (FileExists(JoinPath(gameFolder, original)))
        ShellCopyFile(gameFolder, original, patched);
    else
        WriteFileBelow(gameFolder, patched, "");
    log("PATCH for default_mp.cfg : applied");
}

std::string ServerParameters(int dedicated, const std::string& modFolder, const NetSettings& net,
                             const Instance& instance) {
    return "+set dedicated " + std::to_string(dedicated) + " +set fs_game " + modFolder + NetParameters(net) +
           " +exec " + AdvancedConfigName(instance) + " +exec " + StandardConfigName(instance);
}

// A step that fails ends the log with its reason, as the error box shows it.
RunOutcome RunServer(const RunSettings& settings, const RunEnvironment& environment) try {
    const LogSink& log = environment.log;
    log(SessionLine(environment.now()));
    if (!CheckGamePath(settings.options.GameFolder(), log))
        return RunOutcome::InvalidGamePath;
    if (settings.options.Rotation().empty())
        return RunOutcome::NoMaps;
    InstallModFiles(settings, log);
    // An empty "data.bin" creates no mod folder, and the configuration files still need one.
    MakeModFolder(settings);
    PatchDefaultConfig(settings.options.GameFolder(), log);
    WriteStandardConfig(settings.options, settings.options.GameFolder(), settings.modFolder, settings.instance, log);
    WriteAdvancedConfig(settings.options.AdvancedLines(), settings.options.GameFolder(), settings.modFolder,
                        settings.instance, log);
    const NetSettings net = NetSettingsOf(settings.options.AdvancedLines());
    if (net.ip)
        log("Server address : " + *net.ip + " (from the advanced lines)");
    if (net.port)
        log("Server port : " + std::to_string(*net.port) + " (from the advanced lines)");
    const ServerLaunch launch{
        ServerExecutable(settings.options.GameFolder()),
        ServerParameters(settings.options.Dedicated(), settings.modFolder, net, settings.instance), ModPath(settings),
        settings.instance};
    log(std::string("Server program : ").append(ServerProgramText(launch.executable, WindowsProgramRunner())));
    const auto code = environment.launch(launch);
    log("Launch server : " + (code ? std::to_string(*code) : std::string("skipped")));
    return RunOutcome::Launched;
} catch (const std::exception& error) {
    environment.log(std::string("Run stopped : ") + error.what());
    throw;
}
