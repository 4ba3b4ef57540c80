// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "app/ProgramCommands.h"
#include "app/RconCommand.h"
#include "app/RunCommand.h"
#include "app/SettingsCommand.h"
#include "app/StopCommand.h"
#include "app/VersionText.h"
#include "forms/ConsoleQuestions.h"
#include "platform/Paths.h"
#include "settings/SettingsLocation.h"
#include "store/StoreCommand.h"
#include "zip/ZipCommand.h"

#include <QString>

#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// `quendry paths`: the layout in use and the place of every side file, one "name  path" line each.
int PathsCommand(const CommandArguments&, std::ostream& out, std::ostream&) {
    const ProgramFolders folders = GetProgramFolders();
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"Layout", (folders.installed ? "installed: " : "beside the program: ") + folders.reason},
        {"Program", GetProgramPath()},
        {"Side files", folders.sideFiles},
        {"User files", folders.userFiles},
        {"data.bin", SideFile("data.bin")},
        {"default.bin", SideFile("default.bin")},
        {"readme.txt", SideFile("readme.txt")},
        {"help", SideFile("help")},
        {"utils", SideFile("utils")},
        {"Last state", DefaultSettingsFile().toStdString()},
        {"maps.ini", UserFile("maps.ini")},
        {"configs", ConfigsFolder().toStdString()},
        {"Scratch", ScratchFolderPath()},
    };
    for (const auto& [name, path] : lines)
        out << std::left << std::setw(13) << name << path << '\n';
    return 0;
}

// A store verb: the words are the archive and the verb's own.
template <void (*Verb)(const std::vector<std::string>&, std::ostream&)>
int StoreVerbCommand(const CommandArguments& args, std::ostream& out, std::ostream&) {
    Verb(args.Words(), out);
    return 0;
}

void ListStore(const std::vector<std::string>& words, std::ostream& out) {
    StoreList(words[0], out);
}
void CreateStore(const std::vector<std::string>& words, std::ostream&) {
    StoreCreate(words[0]);
}
void AddToStore(const std::vector<std::string>& words, std::ostream&) {
    StoreAdd(words[0], words[1], words.size() > 2 ? words[2] : std::string());
}
void ExtractFromStore(const std::vector<std::string>& words, std::ostream&) {
    StoreExtract(words[0], words[1], words[2]);
}
void DeleteFromStore(const std::vector<std::string>& words, std::ostream&) {
    StoreDelete(words[0], words[1]);
}

int ZipExtractCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    // Questions of the extraction (a password, a damaged member) are answered on the terminal.
    ConsoleQuestions questions(std::cerr, &std::cin);
    const QuestionsInstalled installed(questions);
    const std::vector<std::string> words = args.Words();
    return ZipExtract(words[0], words[1], std::vector<std::string>(words.begin() + 2, words.end()), GetProgramFolder(),
                      out, err);
}

// What runs each command that needs Qt; the program itself runs the others.
constexpr NamedRun LibraryRuns[] = {
    {"run", RunCommand},
    {"stop", StopCommand},
    {"scan", ScanCommand},
    {"rcon", RconCommand},
    {"settings new", SettingsNewCommand},
    {"settings show", SettingsShowCommand},
    {"settings get", SettingsGetCommand},
    {"settings set", SettingsSetCommand},
    {"store create", StoreVerbCommand<CreateStore>},
    {"store list", StoreVerbCommand<ListStore>},
    {"store add", StoreVerbCommand<AddToStore>},
    {"store extract", StoreVerbCommand<ExtractFromStore>},
    {"store delete", StoreVerbCommand<DeleteFromStore>},
    {"zip extract", ZipExtractCommand},
    {"paths", PathsCommand},
};

} // namespace

CommandRun CommandRunOf(std::string_view name) {
    const CommandRun run = RunOf(LibraryRuns, name);
    return run ? run : RunOf(ProgramCommandRuns(), name);
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string& first = args.front();
    if (first == "--version") {
        out << MainFormCaption(QString::fromStdString(GetVersionText())).toStdString() << '\n';
        return 0;
    }
    if (first == "--help" || first == "-h") {
        PrintUsage(out);
        return 0;
    }
    const auto [command, nameWords] = FindCommand(args);
    if (!command) {
        // A group without its verb ("quendry store") lists the group's commands.
        std::string group;
        for (const Command& each : Commands())
            if (std::string(each.name).rfind(first + " ", 0) == 0)
                group += "Usage: quendry " + CommandSyntax(each) + '\n';
        if (!group.empty() && args.size() > 1 && (args[1] == "--help" || args[1] == "-h")) {
            out << group << (first == "settings" ? SettingsNamesHelp() : std::string());
            return 0;
        }
        if (!group.empty())
            return Refuse(first, args.size() > 1 ? "unknown command '" + args[1] + "'" : "expects a command", group,
                          err);
        std::ostringstream usage;
        PrintUsage(usage);
        return Refuse("", "unknown command '" + first + "'", usage.str(), err);
    }
    return ExecuteCommand(*command, nameWords, args, CommandRunOf(command->name), out, err);
}
