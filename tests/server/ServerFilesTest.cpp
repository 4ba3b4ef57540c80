#include "server/ServerFiles.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const ServerRecord Record{4242, "/srv/cod/CoDMP.exe",
                          "+set dedicated 2 +set fs_game BriselaMOD_v2 +exec advanced.cfg +exec standard.cfg"};

std::vector<std::string> Words(std::initializer_list<const char*> words) {
    return {words.begin(), words.end()};
}

TEST(ServerFilesTest, RecognisesTheServersCommandLineOnly) {
    struct CommandLineCase {
        const char* what;
        std::vector<std::string> commandLine;
        bool isServer;
    };
    const std::vector<std::string> parameters = Words({"+set", "dedicated", "2", "+set", "fs_game", "BriselaMOD_v2",
                                                       "+exec", "advanced.cfg", "+exec", "standard.cfg"});
    const auto with = [&](std::vector<std::string> head) {
        head.insert(head.end(), parameters.begin(), parameters.end());
        return head;
    };
    const CommandLineCase cases[] = {
        {"through the runner", with(Words({"wine", "/srv/cod/CoDMP.exe"})), true},
        {"as the runner shows it", with(Words({"Z:\\srv\\cod\\codmp.exe"})), true},
        {"through a runner script", with(Words({"/bin/sh", "/opt/runner.sh", "/srv/cod/CoDMP.exe"})), true},
        {"another program with the same parameters", with(Words({"/usr/bin/other"})), false},
        {"the server with other parameters",
         Words({"wine", "/srv/cod/CoDMP.exe", "+set", "dedicated", "2", "+set", "fs_game", "OtherMod"}), false},
        {"a program named like a parameter", Words({"sleep", "30"}), false},
        {"a process that is gone", {}, false},
    };
    for (const auto& [what, commandLine, isServer] : cases)
        EXPECT_EQ(IsServerCommandLine(commandLine, Record), isServer) << what;

    const ServerRecord native{4242, "/srv/cod/cod_lnxded", Record.parameters};
    EXPECT_TRUE(IsServerCommandLine(with(Words({"/srv/cod/cod_lnxded"})), native));
    EXPECT_FALSE(IsServerCommandLine(with(Words({"wine", "/srv/cod/CoDMP.exe"})), native));
}

TEST(ServerFilesTest, TheRecordComesBackAndOnlyItsOwnProcessRemovesIt) {
    TestFolder folder;
    EXPECT_EQ(ReadServerRecord(folder.Path()), std::nullopt);
    WriteServerRecord(folder.Path(), Record);
    EXPECT_EQ(folder.Read("server.pid"), "4242\n/srv/cod/CoDMP.exe\n" + Record.parameters + "\n");
    EXPECT_EQ(ReadServerRecord(folder.Path()), Record);

    RemoveServerRecord(folder.Path(), 4243);
    EXPECT_TRUE(std::filesystem::exists(folder.File("server.pid")));
    RemoveServerRecord(folder.Path(), 4242);
    EXPECT_FALSE(std::filesystem::exists(folder.File("server.pid")));

    for (const char* damaged : {"", "12ab\n/srv/cod/CoDMP.exe\n", "-5\n/srv/cod/CoDMP.exe\n", "77\n"}) {
        folder.Write("server.pid", damaged);
        try {
            ReadServerRecord(folder.Path());
            ADD_FAILURE() << "read " << damaged;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), folder.File("server.pid") + " holds no server process id");
        }
    }
}

TEST(ServerFilesTest, TheLastLinesComeFromThisStartOnly) {
    TestFolder folder;
    const std::string earlier = "earlier start\n";
    std::string log = earlier;
    for (int i = 1; i <= 12; ++i)
        log += "line " + std::to_string(i) + "\r\n";
    const std::string file = folder.Write("server.log", log + "no line end");
    const std::vector<std::string> expected = {"line 4", "line 5",  "line 6",  "line 7",  "line 8",
                                               "line 9", "line 10", "line 11", "line 12", "no line end"};
    EXPECT_EQ(LastLines(file, earlier.size(), 10), expected);
    EXPECT_EQ(LastLines(file, 0, 100).front(), "earlier start");
    EXPECT_EQ(LastLines(file, earlier.size(), 100).front(), "line 1");
    EXPECT_TRUE(LastLines(file, log.size() + 11, 10).empty());
    EXPECT_TRUE(LastLines(folder.File("missing.log"), 0, 10).empty());

    const std::vector<std::string> lines = StoppedAtStartLines(1, file, log.size() - 9);
    EXPECT_EQ(lines, (std::vector<std::string>{"Server stopped at start (exit code 1)", "server.log : line 12",
                                               "server.log : no line end"}));
}

TEST(ServerFilesTest, TheServersOutputIsShownWithoutWhatWouldRewriteTheTerminal) {
    TestFolder folder;
    const std::string file = folder.Write("server.log", "Map loaded\n\x1b[2J\x1b]0;owned\x07"
                                                        "cleared\n"
                                                        "fake \xe2\x80\xae"
                                                        "gol\rServer running\n");
    EXPECT_EQ(StoppedAtStartLines(2, file, 0),
              (std::vector<std::string>{"Server stopped at start (exit code 2)", "server.log : Map loaded",
                                        "server.log : \\x1b[2J\\x1b]0;owned\\x07cleared",
                                        "server.log : fake \\u202egol\\x0dServer running"}));
}

} // namespace
