// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Commands.h"

#include <algorithm>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace {

// The statuses every command may end with besides its own.
constexpr ExitStatus UsageErrorStatus{2, "a usage error: an unknown option, a missing or unexpected word"};

CommandOption Flag(const char* name, const char* description) {
    return {{name}, description, {}};
}

CommandOption Valued(const char* name, const char* value, const char* description) {
    return {{name}, description, value};
}

const CommandOption HelpOption{{"h", "help"}, "print this help", {}};

// The options that several commands share.
CommandOption SettingsOption() {
    return Valued("settings", "FILE", "load these settings first, as Open does");
}
CommandOption GameOption(const char* description) {
    return Valued("game", "DIR", description);
}
CommandOption HostOption() {
    return Valued("host", "H", "the server's host name or IPv4 address (127.0.0.1)");
}
CommandOption PortOption() {
    return Valued("port", "P", "the server's port (28960)");
}
CommandOption ServerGameOption() {
    return GameOption("ask the server that a Run started from DIR, on the port its advanced lines set");
}
CommandOption InstanceOption(const char* description) {
    return Valued("instance", "NAME", description);
}
CommandOption WarnOption(const char* description) {
    return Valued("warn", "DURATION", description);
}
CommandOption WarnMessageOption(const char* defaultText) {
    return Valued(
        "warn-message", "TEXT",
        (std::string("what the players are told, {time} standing for the time left (\"") + defaultText + "\")")
            .c_str());
}

// The statuses of the store's verbs.
std::vector<ExitStatus> StoreStatus() {
    return {{0, "done"}, {1, "the store or a file cannot be read or written; the message names it and why"}};
}

bool IsRequired(const Command& command, const CommandOption& option) {
    return command.requiredOption && std::ranges::find(option.names, command.requiredOption) != option.names.end();
}

// "--name VALUE" of an option, as the usage shows it.
std::string OptionSyntax(const CommandOption& option) {
    std::string syntax;
    for (const std::string& name : option.names)
        syntax += (syntax.empty() ? "" : ", ") + std::string(name.size() == 1 ? "-" : "--") + name;
    if (option.TakesValue())
        syntax += " " + option.valueName;
    return syntax;
}

} // namespace

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"run",
         "",
         0,
         0,
         "write the server's files and start it, without a window",
         {SettingsOption(), GameOption("the Call of Duty folder (the one holding cod_lnxded or CoDMP.exe)"),
          InstanceOption("run the instance NAME of the game folder: its own last state, cfg files, server.pid and\n"
                         "server.log (standard-NAME.cfg, server-NAME.pid, ...), on a port of its own"),
          Flag("no-launch", "write everything, print the server's command line instead of starting it"),
          Flag("restart", "stop the server of this game folder (and instance) first when it runs"),
          Valued("watch", "SECONDS",
                 "wait that long for the server to answer a status query on its port (default 15,\n"
                 "0 for no check); its output goes to server.log in the mod folder"),
          Flag("foreground", "stay until the server ends, pass SIGTERM and SIGINT (SIGHUP as SIGTERM) on to its\n"
                             "process group, and exit with its exit code, 0 after a stop asked for that way (for a\n"
                             "service manager, told through NOTIFY_SOCKET); its output goes to standard output"),
          Valued("hang", "SECONDS", "with --foreground: stop a server that does not answer for that long (default 60)"),
          Valued("grace", "SECONDS",
                 "with --foreground: how long a stopped server may take before SIGKILL (default 10)"),
          Valued("metrics-file", "PATH",
                 "with --foreground: write the server's metrics for Prometheus to PATH at each status query\n"
                 "(for the node exporter's textfile collector)"),
          Valued("on-event", "COMMAND",
                 "with --foreground: run COMMAND (its words split at blanks, double quotes group; no shell) at\n"
                 "each event: ready, not-answering, answering-again, hung, ended, stopped (see the README)"),
          Valued("webhook", "URL",
                 "with --foreground: post each event as JSON to a chat service's webhook at URL (default:\n"
                 "$QUENDRY_WEBHOOK)"),
          Valued("event-timeout", "SECONDS",
                 "with --foreground: how long the event command may run, and a webhook post take (default 10)"),
          WarnOption("with --restart: warn the players of the running server through its remote console\n"
                     "DURATION before it is stopped (90, 30s, 5m, 1h)"),
          WarnMessageOption("Server restarts in {time}")},
         "Writes the server's files and starts the dedicated server, as the Run button does, without a window.\n"
         "The native server cod_lnxded is started when the game folder holds it, else CoDMP.exe through wine.\n"
         "A map catalogue that is missing or empty is built from the game folder first, as scan does.\n"
         "--foreground does not take --no-launch; there, exit statuses 1, 2 and 4, which only a change of the\n"
         "configuration mends, end with a line that says restarting will not help.\n",
         {{0, "the server answers (with --no-launch: everything was written; with --foreground: a stop was asked\n"
              "for, or the server's own exit code when it ended by itself)"},
          {1, "the Run stopped; the last line says why"},
          {3, "the server did not start, or stopped within the check"},
          {4, "the server of this game folder (and instance) already runs, or another instance of it holds the port"},
          {5, "the server runs but does not answer; it is left running"},
          {6, "with --foreground: the server hung and was stopped"}}},
        {"stop",
         "",
         0,
         0,
         "stop the server that run started from DIR",
         {GameOption("the game folder the server was started from"),
          InstanceOption("stop the instance NAME of the game folder, and no other"),
          Flag("forget", "send nothing: remove the server's record (server.pid) when it cannot be read or names no\n"
                         "live server"),
          Valued("settings", "FILE", "with --warn: the settings that hold the remote console's password"),
          WarnOption("warn the players through the remote console DURATION before the stop (90, 30s, 5m,\n"
                     "1h), at the whole DURATION, then at 30, 15, 10, 5 and 1 minutes, 30 and 10 seconds"),
          WarnMessageOption("Server stops in {time}")},
         "Stops the server that 'quendry run' started from DIR (with --instance NAME, that instance's) with every\n"
         "process it started (SIGTERM, then SIGKILL after 10 s). With --warn, the players hear of it first, through\n"
         "the server's say; the password is QUENDRY_RCON_PASSWORD, else the rcon_password of the settings' advanced\n"
         "lines (FILE, else the last state), and without one the stop is refused (2) before anything is sent. An\n"
         "empty or zero DURATION warns nobody.\n",
         {{0, "the server was stopped (with --forget: its record was removed)"},
          {1, "no server runs from the folder, its record cannot be read, the recorded process is not the server\n"
              "or not this user's to stop, or it does not end (with --forget: the server runs, or there is no\n"
              "record)"}},
         false,
         "game"},
        {"scan",
         "",
         0,
         0,
         "build the map catalogue from the game's archives, without a window",
         {SettingsOption(), GameOption("the Call of Duty folder (the one holding cod_lnxded or CoDMP.exe)")},
         "Builds the map catalogue (maps.ini) from the game's .pk3 archives, as the Scan Maps button does,\n"
         "without a window.\n",
         {{0, "the catalogue was written (an archive that cannot be read is skipped and named)"},
          {1, "the game folder, the settings, the unzip library or the catalogue's file cannot be used"}}},
        {"status",
         "",
         0,
         0,
         "print the map, gametype and players of a running server (127.0.0.1:28960)",
         {HostOption(), PortOption(), ServerGameOption(),
          InstanceOption("with --game: ask the instance NAME of the game folder, on the port of its advanced lines"),
          Flag("all", "with --game: list every instance of the game folder with its state, one a line"),
          Flag("json", "print one JSON object (see the README)"),
          Flag("prometheus", "print the metrics in Prometheus' text format (with --all: every instance's)")},
         "Asks a running Call of Duty server for its host name, map, gametype, players and player limit, and\n"
         "whether it needs a password. With --all, lists each instance of the game folder (the server without\n"
         "an instance as (plain)), its address and whether it is running and answering, running but silent or\n"
         "stopped.\n",
         {{0, "the server answered (with --all: the list was printed)"},
          {1, "nobody answered within a second, or the answer was not a whole status reply"}}},
        {"rcon",
         "COMMAND...",
         1,
         -1,
         "send a command to a running server's remote console and print its reply",
         {SettingsOption(), HostOption(), PortOption(), ServerGameOption(),
          InstanceOption("the instance NAME: its last state for the password, with --game its advanced lines"),
          Flag("raw", "keep the colour codes of the reply")},
         "Sends COMMAND and the words after it to the server's remote console (a word after COMMAND that holds\n"
         "blanks goes in double quotes, so that the server takes it as one) and prints the reply. The password is\n"
         "QUENDRY_RCON_PASSWORD when it is set and not empty, else the rcon_password that the advanced lines of\n"
         "the settings set (FILE, else the last state); it is never taken from the command\n"
         "line.\n",
         {{0, "the server answered"},
          {1, "nobody answered, no password is set, or the server refused the command (its words say why)"}},
         true},
        {"settings new",
         "FILE [NAME=VALUE...]",
         1,
         -1,
         "write a new settings file: the factory settings with the values given",
         {GameOption("the Call of Duty folder (the one holding cod_lnxded or CoDMP.exe)"),
          Flag("force", "replace FILE when it exists")},
         "Writes FILE as the window's Save would after Default and the values given. quendry settings --help\n"
         "lists the names and what each accepts. A name the settings lack, a value they refuse or an existing\n"
         "FILE without --force exits with 2, as a usage error does, and writes nothing.\n",
         {{0, "FILE was written"}, {1, "the factory settings (default.ini of default.bin) cannot be read"}}},
        {"settings show",
         "FILE",
         1,
         1,
         "print every option of a settings file with its value and what it accepts",
         {Flag("json", "print one JSON object"), Flag("secrets", "show the passwords instead of (set)")},
         "The server password (g_password) and the rcon_password of the advanced lines show as (set) unless\n"
         "--secrets. A FILE that cannot be read exits with 2.\n",
         {{0, "the settings were printed"}}},
        {"settings set",
         "FILE NAME=VALUE...",
         2,
         -1,
         "change values of a settings file",
         {},
         "Checks every value as the windows do, then writes FILE once, atomically, as the window's Save would.\n"
         "quendry settings --help lists the names and what each accepts. A FILE that cannot be read, a name the\n"
         "settings lack or a value they refuse exits with 2, as a usage error does, and FILE stays as it was.\n",
         {{0, "FILE was written"}, {1, "FILE cannot be written; it stays as it was"}}},
        {"settings get",
         "FILE NAME",
         2,
         2,
         "print one value of a settings file, for scripts",
         {},
         "Prints the value as set takes it (a list one line each), passwords included. A FILE that cannot be\n"
         "read or a name the settings lack exits with 2.\n",
         {{0, "the value was printed"}}},
        {"store create",
         "ARCHIVE",
         1,
         1,
         "make ARCHIVE an empty resource store unless it holds one",
         {},
         "",
         StoreStatus()},
        {"store list",
         "ARCHIVE",
         1,
         1,
         "list a resource store such as data.bin",
         {},
         "One member a line: stored name, real size, packed size, ratio, attributes.\n",
         StoreStatus()},
        {"store add",
         "ARCHIVE FILE [NAME]",
         2,
         3,
         "pack FILE into the store as NAME",
         {},
         "Packs FILE as NAME (FILE itself when omitted), replacing a member of that name.\n",
         StoreStatus()},
        {"store extract",
         "ARCHIVE NAME FOLDER",
         3,
         3,
         "unpack a member of the store into FOLDER",
         {},
         "",
         StoreStatus()},
        {"store delete", "ARCHIVE NAME", 2, 2, "remove a member of the store", {}, "", StoreStatus()},
        {"zip list",
         "ARCHIVE",
         1,
         1,
         "list a zip archive such as a .pk3",
         {},
         "One member a line: name, compressed size, size, method, host system, encrypted; then the comment.\n",
         {{0, "the archive was listed"}, {1, "the archive is missing or cannot be read"}}},
        {"zip extract",
         "ARCHIVE FOLDER NAME...",
         3,
         -1,
         "extract members of a zip archive into FOLDER",
         {},
         "",
         {{0, "every member named was extracted"},
          {1, "the archive cannot be read, FOLDER is no folder, or a member is missing or was not extracted"}}},
        {"paths",
         "",
         0,
         0,
         "print the folders in use and where each file is read or written",
         {},
         "",
         {{0, "the paths were printed"}}},
    };
    return commands;
}

std::string CommandSyntax(const Command& command) {
    std::string syntax = command.name;
    for (const CommandOption& option : command.options)
        syntax += IsRequired(command, option) ? " " + OptionSyntax(option) : " [" + OptionSyntax(option) + "]";
    if (*command.words)
        syntax += std::string(" ") + command.words;
    return syntax;
}

namespace {

std::string CommandHelp(const Command& command) {
    std::ostringstream help;
    help << "Usage: quendry " << CommandSyntax(command) << '\n' << command.summary << '\n';
    std::vector<CommandOption> options = command.options;
    options.push_back(HelpOption);
    std::size_t width = 0;
    for (const CommandOption& option : options)
        width = std::max(width, OptionSyntax(option).size());
    help << "\nOptions:\n";
    for (const CommandOption& option : options) {
        const std::string syntax = OptionSyntax(option);
        std::string description = option.description;
        // A description of several lines keeps its column.
        for (std::size_t at = description.find('\n'); at != std::string::npos; at = description.find('\n', at + 1))
            description.insert(at + 1, std::string(width + 4, ' '));
        help << "  " << syntax << std::string(width + 2 - syntax.size(), ' ') << description << '\n';
    }
    if (*command.details)
        help << '\n' << command.details;
    std::vector<ExitStatus> statuses = command.exitStatus;
    statuses.insert(std::ranges::find_if(statuses, [](const ExitStatus& status) { return status.code > 2; }),
                    UsageErrorStatus);
    help << "\nExit status:\n";
    for (const auto& [code, meaning] : statuses) {
        std::string text = meaning;
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
            text.insert(at + 1, "     ");
        help << "  " << code << "  " << text << '\n';
    }
    return help.str();
}

} // namespace

void PrintUsage(std::ostream& out) {
    out << "Usage: quendry [--instance NAME | COMMAND]\n"
           "Configures and starts a Call of Duty dedicated server.\n"
           "\n"
           "Without a command, opens the main window. Each command explains itself: quendry COMMAND --help.\n"
           "\n"
           "Commands:\n";
    for (const Command& command : Commands())
        out << "  " << CommandSyntax(command) << "\n      " << command.summary << '\n';
    out << "\n"
           "  --instance NAME  open the main window for the instance NAME (letters, digits, - and _, at most 32)\n"
           "                   of a game folder, with its own last state (quendry-NAME.ini)\n"
           "  --version        print the program's name and version\n"
           "  --help           print this help\n"
           "\n"
           "Files (quendry paths prints the folders in use):\n"
           "  Beside the program: when its user can write the executable's folder and the side files are there\n"
           "  (a build, an unpacked folder), every file stays beside the executable.\n"
           "  Installed: when the executable's folder cannot be written, or the side files are in the install's\n"
           "  share/quendry instead, data.bin, default.bin, readme.txt, help/ and utils/ are read from there, and\n"
           "  quendry.ini (the last state of the windows), maps.ini, configs/ (named settings) and the user's\n"
           "  copies of changed stores are written in $XDG_CONFIG_HOME/quendry (~/.config/quendry).\n"
           "  Scratch files go to $TMPDIR/Quendry-UID (/tmp/Quendry-UID), a folder of the user's own.\n";
}

std::pair<const Command*, std::size_t> FindCommand(const std::vector<std::string>& args) {
    for (const Command& command : Commands()) {
        std::istringstream words(command.name);
        std::size_t count = 0;
        std::string word;
        bool matches = true;
        while (matches && words >> word)
            matches = count < args.size() && args[count++] == word;
        if (matches)
            return {&command, count};
    }
    return {nullptr, 0};
}

int Refuse(const std::string& name, const std::string& message, const std::string& usage, std::ostream& err) {
    err << "quendry" << (name.empty() ? "" : " ") << name << ": " << message << '\n' << usage;
    return 2;
}

CommandRun RunOf(std::span<const NamedRun> runs, std::string_view name) {
    const auto found = std::ranges::find(runs, name, &NamedRun::name);
    return found != runs.end() ? found->run : nullptr;
}

int ExecuteCommand(const Command& command, std::size_t nameWords, const std::vector<std::string>& args, CommandRun run,
                   std::ostream& out, std::ostream& err) {
    std::vector<CommandOption> options = command.options;
    options.push_back(HelpOption);
    const std::string usage = CommandHelp(command);
    try {
        const CommandArguments given = CommandArguments::Parse(
            options, std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(nameWords), args.end()),
            command.verbatimWords);
        if (given.IsSet("help")) {
            out << usage;
            return 0;
        }
        const auto count = static_cast<int>(given.Words().size());
        if (count < command.minWords || (command.maxWords >= 0 && count > command.maxWords))
            throw UsageError(*command.words ? std::string("expects ") + command.words
                                            : "unexpected argument '" + given.Words().front() + "'");
        for (const CommandOption& option : command.options)
            if (IsRequired(command, option) && !given.IsSet(command.requiredOption))
                throw UsageError("expects " + OptionSyntax(option));
        return run(given, out, err);
    } catch (const UsageError& error) {
        return Refuse(command.name, error.what(), usage, err);
    } catch (const std::exception& error) {
        err << "quendry " << command.name << ": " << error.what() << '\n';
        return 1;
    }
}
