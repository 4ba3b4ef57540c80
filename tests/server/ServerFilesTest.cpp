// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerFiles.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t Umask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

const ServerRecord Record{4242, 987654321, "/srv/cod/CoDMP.exe",
                          "+set dedicated 2 +set fs_game BriselaMOD_v2 +exec advanced.cfg +exec standard.cfg"};

TEST(ServerFilesTest, TheRecordComesBackAndOnlyItsOwnProcessRemovesIt) {
    TestFolder folder;
    EXPECT_EQ(ReadServerRecord(folder.Path(), Instance()), std::nullopt);
    WriteServerRecord(folder.Path(), Instance(), Record);
    EXPECT_EQ(folder.Read("server.pid"), "4242\n987654321\n/srv/cod/CoDMP.exe\n" + Record.parameters + "\n");
    uid_t owner = 12345;
    EXPECT_EQ(ReadServerRecord(folder.Path(), Instance(), &owner), Record);
    EXPECT_EQ(owner, ::geteuid());

    RemoveServerRecord(folder.Path(), Instance(), 4243);
    EXPECT_TRUE(std::filesystem::exists(folder.File("server.pid")));
    RemoveServerRecord(folder.Path(), Instance(), 4242);
    EXPECT_FALSE(std::filesystem::exists(folder.File("server.pid")));

    // A supervised server's record names its supervisor after the server's lines; one it cannot read is none.
    ServerRecord supervised = Record;
    supervised.supervisor = 777;
    supervised.supervisorStartTime = 55;
    WriteServerRecord(folder.Path(), Instance(), supervised);
    EXPECT_EQ(folder.Read("server.pid"), "4242\n987654321\n/srv/cod/CoDMP.exe\n" + Record.parameters + "\n777\n55\n");
    EXPECT_EQ(ReadServerRecord(folder.Path(), Instance()), supervised);
    folder.Write("server.pid", "4242\n987654321\n/srv/cod/CoDMP.exe\n" + Record.parameters + "\n1\n55\n");
    EXPECT_EQ(ReadServerRecord(folder.Path(), Instance()), Record);
}

TEST(ServerFilesTest, ARecordIsWrittenNewForTheUserWhoStartsTheServer) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may leave a record that belongs to another user";
    TestFolder folder;
    WriteServerRecord(folder.Path(), Instance(), Record);
    ASSERT_EQ(::chown(folder.File("server.pid").c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(folder.File("server.pid").c_str(), 0600), 0);
    WriteServerRecord(folder.Path(), Instance(), Record);
    struct stat status {};
    ASSERT_EQ(::stat(folder.File("server.pid").c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, ::geteuid()) << "a stale record of another user made this one that user's";
    EXPECT_EQ(status.st_mode & 0777, 0644u & ~Umask());
}

TEST(ServerFilesTest, EachInstanceHasItsOwnRecordAndLog) {
    TestFolder folder;
    const Instance clan = *Instance::Named("clan");
    WriteServerRecord(folder.Path(), clan, Record);
    EXPECT_EQ(folder.Read("server-clan.pid"), "4242\n987654321\n/srv/cod/CoDMP.exe\n" + Record.parameters + "\n");
    EXPECT_EQ(ReadServerRecord(folder.Path(), Instance()), std::nullopt);
    EXPECT_EQ(ServerLogFile(folder.Path(), clan), folder.File("server-clan.log"));
    for (const char* name :
         {"server.pid", "server-a.pid", "server-.pid", "server.pid.part", "server-clan.log", "standard-b.cfg"})
        folder.Write(name, "");
    EXPECT_EQ(RecordedInstances(folder.Path()), (std::vector<Instance>{Instance(), *Instance::Named("a"), clan}));
    RemoveServerRecord(folder.Path(), Instance(), 4242);
    EXPECT_TRUE(std::filesystem::exists(folder.File("server-clan.pid")));
    RemoveServerRecord(folder.Path(), clan, 4242);
    EXPECT_FALSE(std::filesystem::exists(folder.File("server-clan.pid")));
}

TEST(ServerFilesTest, ARecordIsReadStrictlyOrNotAtAll) {
    TestFolder folder;
    const char* damaged[] = {
        "",
        "12ab\n5\n/srv/cod/CoDMP.exe\n",
        "-5\n5\n/srv/cod/CoDMP.exe\n",
        "0\n5\n/srv/cod/CoDMP.exe\n",
        "+42\n5\n/srv/cod/CoDMP.exe\n",
        " 42\n5\n/srv/cod/CoDMP.exe\n",
        "42 \n5\n/srv/cod/CoDMP.exe\n",
        // 2^32 + 42 would be 42 once cut to a process id.
        "4294967338\n5\n/srv/cod/CoDMP.exe\n",
        "42\n\n/srv/cod/CoDMP.exe\n",
        "42\n5x\n/srv/cod/CoDMP.exe\n",
        "42\n5\n",
        "77\n",
    };
    for (const char* text : damaged) {
        folder.Write("server.pid", text);
        try {
            ReadServerRecord(folder.Path(), Instance());
            ADD_FAILURE() << "read " << text;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), folder.File("server.pid") +
                                                     " holds no server process id and start time"
                                                     "; when no server of this game folder "
                                                     "runs, remove it with: quendry stop "
                                                     "--forget --game " +
                                                     std::filesystem::path(folder.Path()).parent_path().string());
        }
    }
}

TEST(ServerFilesTest, ARecordOfMoreThanAFewKilobytesIsDamagedAndNotRead) {
    TestFolder folder;
    const ServerRecord longParameters{4242, 5, "/srv/cod/cod_lnxded", std::string(8000, 'p')};
    WriteServerRecord(folder.Path(), Instance(), longParameters);
    EXPECT_EQ(ReadServerRecord(folder.Path(), Instance()), longParameters);
    // A whole record at its start, and a gigabyte of nothing after it (a sparse file costs no disk).
    folder.Write("server.pid", "4242\n5\n/srv/cod/cod_lnxded\n+set dedicated 2\n");
    std::filesystem::resize_file(folder.File("server.pid"), std::uintmax_t{1} << 30);
    try {
        ReadServerRecord(folder.Path(), Instance());
        ADD_FAILURE() << "a gigabyte's record was read";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  folder.File("server.pid") + " holds no server process id and start time (larger than 16384 bytes)" +
                      "; when no server of this game folder runs, remove it with: quendry stop --forget --game " +
                      std::filesystem::path(folder.Path()).parent_path().string());
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

    EXPECT_EQ(LastOutputLines(folder.Path(), Instance(), log.size() - 9),
              (std::vector<std::string>{"server.log : line 12", "server.log : no line end"}));
}

TEST(ServerFilesTest, TheServersOutputIsShownWithoutWhatWouldRewriteTheTerminal) {
    TestFolder folder;
    folder.Write("server.log", "Map loaded\n\x1b[2J\x1b]0;owned\x07"
                               "cleared\n"
                               "fake \xe2\x80\xae"
                               "gol\rServer running\n");
    EXPECT_EQ(LastOutputLines(folder.Path(), Instance(), 0),
              (std::vector<std::string>{"server.log : Map loaded", "server.log : \\x1b[2J\\x1b]0;owned\\x07cleared",
                                        "server.log : fake \\u202egol\\x0dServer running"}));
}

} // namespace
