// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "app/ProgramCommands.h"
#include "platform/AtomicFile.h"
#include "support/FakeUdpServer.h"
#include "support/TestFolder.h"
#include "zip/ZipBuilder.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace {

struct Output {
    int code;
    std::string out, err;
};

Output Quendry(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = RunCommandLine(args, out, err);
    return {code, out.str(), err.str()};
}

// Every command, as `quendry --help` lists it.
const std::vector<std::string> CommandLines = {
    "run [--settings FILE] [--game DIR] [--instance NAME] [--no-launch] [--restart] [--watch SECONDS] [--foreground] "
    "[--hang SECONDS] [--grace SECONDS] [--metrics-file PATH] [--on-event COMMAND] [--webhook URL] "
    "[--event-timeout SECONDS] [--warn DURATION] [--warn-message TEXT]",
    "stop --game DIR [--instance NAME] [--forget] [--settings FILE] [--warn DURATION] [--warn-message TEXT]",
    "scan [--settings FILE] [--game DIR]",
    "status [--host H] [--port P] [--game DIR] [--instance NAME] [--all] [--json] [--prometheus]",
    "rcon [--settings FILE] [--host H] [--port P] [--game DIR] [--instance NAME] [--raw] COMMAND...",
    "settings new [--game DIR] [--force] FILE [NAME=VALUE...]",
    "settings show [--json] [--secrets] FILE",
    "settings set FILE NAME=VALUE...",
    "settings get FILE NAME",
    "store create ARCHIVE",
    "store list ARCHIVE",
    "store add ARCHIVE FILE [NAME]",
    "store extract ARCHIVE NAME FOLDER",
    "store delete ARCHIVE NAME",
    "zip list ARCHIVE",
    "zip extract ARCHIVE FOLDER NAME...",
    "paths",
};

TEST(CommandLineTest, TheHelpListsEveryCommandAndTheReadmeTheSame) {
    QProcess program;
    program.start(QStringLiteral(QUENDRY_EXECUTABLE), {QStringLiteral("--help")});
    ASSERT_TRUE(program.waitForFinished(-1));
    EXPECT_EQ(program.exitCode(), 0);
    const std::string help = program.readAllStandardOutput().toStdString();
    // The list: a command a line, its summary indented below it, up to the next empty line.
    const std::size_t list = help.find("\nCommands:\n");
    ASSERT_NE(list, std::string::npos) << help;
    std::istringstream helpLines(help.substr(list + 11, help.find("\n\n", list) - list - 10));
    std::vector<std::string> listed;
    for (std::string line; std::getline(helpLines, line);)
        if (line.rfind("      ", 0) != 0)
            listed.push_back(line.substr(2));
    EXPECT_EQ(listed, CommandLines) << help;

    // The README's list of commands: each "    quendry ..." line of its section "Commands".
    const std::string readme = ReadWholeFile(QUENDRY_README);
    const std::size_t section = readme.find("\n## Commands\n");
    ASSERT_NE(section, std::string::npos);
    std::istringstream readmeLines(readme.substr(section + 1, readme.find("\n## ", section + 1) - section));
    std::vector<std::string> documented;
    for (std::string line; std::getline(readmeLines, line);)
        if (line.rfind("    quendry ", 0) == 0)
            documented.push_back(line.substr(12));
    EXPECT_EQ(documented, CommandLines);
}

TEST(CommandLineTest, EachCommandExplainsItselfFromTheTable) {
    for (const std::string& line : CommandLines) {
        std::istringstream words(line);
        std::vector<std::string> args;
        for (std::string word; words >> word && word[0] != '[' && word[0] != '-' && !std::isupper(word[0]);)
            args.push_back(word);
        args.push_back("--help");
        const Output help = Quendry(args);
        EXPECT_EQ(help.code, 0) << line;
        EXPECT_EQ(help.out.rfind("Usage: quendry " + line + "\n", 0), 0u) << help.out;
        EXPECT_NE(help.out.find("\n  -h, --help "), std::string::npos) << help.out;
    }
    const Output zip = Quendry({"zip", "--help"});
    EXPECT_EQ(zip.code, 0);
    EXPECT_EQ(zip.out, "Usage: quendry zip list ARCHIVE\nUsage: quendry zip extract ARCHIVE FOLDER NAME...\n");
    const Output rcon = Quendry({"rcon", "--help"});
    EXPECT_NE(rcon.out.find("\n  --raw            keep the colour codes of the reply\n"), std::string::npos)
        << rcon.out;
    EXPECT_NE(rcon.out.find("never taken from the command\nline"), std::string::npos) << rcon.out;
    const Output run = Quendry({"run", "-h"});
    EXPECT_NE(run.out.find("\n  --watch SECONDS          wait that long for the server to answer a status query on "
                           "its port (default 15,\n                           0 for no check); its output goes to "
                           "server.log in the mod folder\n"),
              std::string::npos)
        << run.out;
}

TEST(CommandLineTest, EachCommandsHelpListsItsOwnExitStatuses) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<int>>> cases = {
        {{"run"}, {0, 1, 2, 3, 4, 5, 6}}, {{"stop"}, {0, 1, 2}},        {{"scan"}, {0, 1, 2}},
        {{"status"}, {0, 1, 2}},          {{"rcon"}, {0, 1, 2}},        {{"store", "add"}, {0, 1, 2}},
        {{"zip", "extract"}, {0, 1, 2}},  {{"zip", "list"}, {0, 1, 2}}, {{"paths"}, {0, 2}},
    };
    for (auto [args, expected] : cases) {
        args.push_back("--help");
        const std::string help = Quendry(args).out;
        const std::size_t section = help.find("\nExit status:\n");
        ASSERT_NE(section, std::string::npos) << help;
        std::istringstream lines(help.substr(section + 14));
        std::vector<int> listed;
        for (std::string line; std::getline(lines, line);)
            if (line.size() > 3 && line.starts_with("  ") && std::isdigit(static_cast<unsigned char>(line[2])))
                listed.push_back(line[2] - '0');
        EXPECT_EQ(listed, expected) << help;
    }
    EXPECT_NE(
        Quendry({"stop", "--help"}).out.find("\n  0  the server was stopped (with --forget: its record was removed)\n"),
        std::string::npos);
    EXPECT_NE(Quendry({"run", "--help"}).out.find("\n  6  with --foreground: the server hung and was stopped\n"),
              std::string::npos);
}

TEST(CommandLineTest, EveryUsageErrorPrintsTheUsageAndGives2) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{"run", "--colour"}, "quendry run: Unknown option 'colour'.\nUsage: quendry run "},
        {{"run", "--watch", "3s"},
         "quendry run: --watch expects seconds from 0 to 3600, not '3s'\nUsage: quendry run "},
        {{"run", "extra"}, "quendry run: unexpected argument 'extra'\nUsage: quendry run "},
        {{"stop"}, "quendry stop: expects --game DIR\nUsage: quendry stop "},
        {{"stop", "--game"}, "quendry stop: Missing value after '--game'.\nUsage: quendry stop "},
        {{"scan", "--no-launch"}, "quendry scan: Unknown option 'no-launch'.\nUsage: quendry scan "},
        {{"status", "--port", "x"}, "quendry status: the port must be a whole number from 1 to 65535, not 'x'\n"},
        {{"rcon"}, "quendry rcon: expects COMMAND...\nUsage: quendry rcon "},
        {{"store"}, "quendry store: expects a command\nUsage: quendry store create ARCHIVE\n"},
        {{"store", "pack", "a"}, "quendry store: unknown command 'pack'\nUsage: quendry store create ARCHIVE\n"},
        {{"store", "add", "a"}, "quendry store add: expects ARCHIVE FILE [NAME]\nUsage: quendry store add "},
        {{"store", "delete", "a", "b", "c"}, "quendry store delete: expects ARCHIVE NAME\n"},
        {{"zip", "list"}, "quendry zip list: expects ARCHIVE\nUsage: quendry zip list "},
        {{"zip", "extract", "a", "b"}, "quendry zip extract: expects ARCHIVE FOLDER NAME...\n"},
        {{"paths", "x"}, "quendry paths: unexpected argument 'x'\nUsage: quendry paths"},
        {{"nonsense"}, "quendry: unknown command 'nonsense'\nUsage: quendry [--instance NAME | COMMAND]\n"},
        // An instance name goes into file names and a service's name: letters, digits, - and _, 1 to 32 of them.
        {{"run", "--instance", "clan.2"},
         "quendry run: the instance name 'clan.2' must be 1 to 32 letters, digits, '-' or '_'\nUsage: quendry run "},
        {{"run", "--instance", std::string(33, 'a')}, "quendry run: the instance name '" + std::string(33, 'a')},
        {{"run", "--instance", ""}, "quendry run: the instance name '' must be"},
        {{"stop", "--game", "/tmp", "--instance", "../x"}, "quendry stop: the instance name '../x' must be"},
        {{"status", "--game", "/tmp", "--instance", "caf\xc3\xa9"}, "quendry status: the instance name 'caf"},
        {{"rcon", "--instance", "a b", "status"}, "quendry rcon: the instance name 'a b' must be"},
        {{"status", "--all"}, "quendry status: --all lists the instances of a game folder: it takes --game DIR"},
        {{"status", "--all", "--game", "/tmp", "--instance", "a"}, "quendry status: --all lists the instances"},
        {{"status", "--instance", "a"}, "quendry status: --instance names a server of a game folder: give --game"},
    };
    for (const auto& [args, message] : wrong) {
        const Output result = Quendry(args);
        EXPECT_EQ(result.code, 2) << message;
        EXPECT_EQ(result.out, "") << message;
        EXPECT_EQ(result.err.rfind(message, 0), 0u) << result.err;
    }
}

TEST(CommandLineTest, TheWindowTakesAValidInstanceNameAndNothingElse) {
    // Refused before any window or display is needed.
    const std::vector<std::pair<QStringList, std::string>> wrong = {
        {{QStringLiteral("--instance"), QStringLiteral("clan!")},
         "quendry: the instance name 'clan!' must be 1 to 32 letters, digits, '-' or '_'\nUsage: quendry "},
        {{QStringLiteral("--instance=") + QString(33, QLatin1Char('x'))}, "quendry: the instance name 'xxx"},
        {{QStringLiteral("--instance")}, "quendry: the main window takes --instance NAME and nothing else\n"},
        {{QStringLiteral("--instance"), QStringLiteral("clan"), QStringLiteral("run")},
         "quendry: the main window takes --instance NAME and nothing else\n"},
    };
    for (const auto& [args, message] : wrong) {
        QProcess program;
        program.start(QStringLiteral(QUENDRY_EXECUTABLE), args);
        ASSERT_TRUE(program.waitForFinished(-1));
        EXPECT_EQ(program.exitCode(), 2) << message;
        EXPECT_EQ(program.readAllStandardError().toStdString().rfind(message, 0), 0u) << message;
    }
}

// Every command of the table runs: in the program itself, or in its commands library.
TEST(CommandLineTest, EveryCommandHasWhatRunsIt) {
    for (const Command& command : Commands())
        EXPECT_NE(CommandRunOf(command.name), nullptr) << command.name;
    for (const NamedRun& own : ProgramCommandRuns())
        EXPECT_TRUE(std::ranges::any_of(Commands(), [&](const Command& command) { return command.name == own.name; }))
            << own.name;
}

// A status query and a zip listing run in the program itself, without its commands library (and Qt); every other
// command line needs the library, and says so when it is missing.
TEST(CommandLineTest, TheProgramQueriesAServerAndListsAnArchiveWithoutItsCommandsLibrary) {
    TestFolder folder;
    const std::string program = folder.File("quendry");
    std::filesystem::copy_file(QUENDRY_EXECUTABLE, program);
    const std::string archive = folder.Write("maps.pk3", MakeZip({{"maps/mp/mp_harbor.bsp", "bsp"}}, "the maps"));
    const auto run = [&](const QStringList& args) {
        QProcess quendry;
        quendry.start(QString::fromStdString(program), args);
        EXPECT_TRUE(quendry.waitForFinished(-1));
        return Output{quendry.exitCode(), quendry.readAllStandardOutput().toStdString(),
                      quendry.readAllStandardError().toStdString()};
    };
    const FakeUdpServer server(RecordedStatusReply());
    const Output status = run({QStringLiteral("status"), QStringLiteral("--port"), QString::number(server.Port())});
    EXPECT_EQ(status.code, 0) << status.err;
    EXPECT_EQ(status.out.rfind("Host name : Brisela Server\n", 0), 0u) << status.out;

    const Output listing = run({QStringLiteral("zip"), QStringLiteral("list"), QString::fromStdString(archive)});
    EXPECT_EQ(listing.code, 0) << listing.err;
    EXPECT_EQ(listing.out, "maps\\mp\\mp_harbor.bsp\t3\t3\tstored\tUnix\t-\nthe maps\n");

    const Output help = run({QStringLiteral("status"), QStringLiteral("--colour")});
    EXPECT_EQ(help.code, 2);
    EXPECT_EQ(help.err.rfind("quendry status: Unknown option 'colour'.\nUsage: quendry status ", 0), 0u) << help.err;

    const Output paths = run({QStringLiteral("paths")});
    EXPECT_EQ(paths.code, 1);
    EXPECT_EQ(paths.err.rfind("quendry: cannot run the command: " + folder.File("QuendryCommands.so") + ": ", 0), 0u)
        << paths.err;
}

} // namespace
