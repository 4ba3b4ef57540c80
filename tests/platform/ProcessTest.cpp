#include "platform/Process.h"

#include "support/TestFolder.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

using Words = std::vector<std::string>;

TEST(ProcessTest, SplitsCommandLinesLikeAWindowsProgram) {
    EXPECT_EQ(SplitCommandLine("+set dedicated 2  +exec advanced.cfg"),
              (Words{"+set", "dedicated", "2", "+exec", "advanced.cfg"}));
    EXPECT_EQ(SplitCommandLine("\"/games/call of duty/CoDMP.exe\" +connect \"\""),
              (Words{"/games/call of duty/CoDMP.exe", "+connect", ""}));
    EXPECT_EQ(SplitCommandLine("   "), Words{});
}

TEST(ProcessTest, CommandLineIsCommandBlankParametersEvenWhenEmpty) {
    EXPECT_EQ(BuildCommandLine("xdg-open", ""), "xdg-open ");
    EXPECT_EQ(BuildCommandLine("xdg-open", "/games/console_mp.log"), "xdg-open /games/console_mp.log");
}

TEST(ProcessTest, WorkingFolderKeepsItsTrailingSeparator) {
    EXPECT_EQ(ShellWorkingFolder("/games/cod/CoDMP.exe"), "/games/cod/");
    EXPECT_EQ(ShellWorkingFolder("mailto:someone@example.org"), "mailto:");
    EXPECT_EQ(ShellWorkingFolder("readme.txt"), "");
}

TEST(ProcessTest, StartProgramReportsAFailureWithoutWaiting) {
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(StartProgram("/nonexistent/program", "", 5, true), ProgramNotStarted);
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST(ProcessTest, StartProgramWaitsForTheEndWithoutSpinning) {
    TestFolder folder;
    const std::string marker = folder.File("done");
    const std::string script = folder.Write("slow.sh", "#!/bin/sh\nsleep 0.3\ntouch \"$1\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const std::clock_t cpuBefore = std::clock();
    EXPECT_EQ(StartProgram(script, marker, 5, true), ProgramWaitedFor);
    EXPECT_TRUE(std::filesystem::exists(marker));
    // A busy loop would burn about the 300 ms of the wait in processor time.
    EXPECT_LT(double(std::clock() - cpuBefore) / CLOCKS_PER_SEC, 0.15);
}

class ShellOpenTest : public testing::Test {
protected:
    void SetUp() override {
        record_ = folder_.File("record.txt");
        runner_ =
            folder_.Write("runner.sh", "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > \"" + record_ +
                                           ".part\"\nmv \"" + record_ + ".part\" \"" + record_ + "\"\n");
        std::filesystem::permissions(runner_, std::filesystem::perms::owner_all);
        game_ = folder_.Write("game folder/CoDMP.exe", "");
    }
    void TearDown() override { unsetenv("QUENDRY_EXE_RUNNER"); }

    std::string WaitForRecord() const {
        QElapsedTimer timer;
        timer.start();
        while (!std::filesystem::exists(record_) && timer.elapsed() < 10000)
            QThread::msleep(20);
        return std::filesystem::exists(record_) ? folder_.Read(record_) : std::string();
    }

    TestFolder folder_;
    std::string record_, runner_, game_;
};

TEST_F(ShellOpenTest, StartsAnExeThroughTheRunnerInItsFolder) {
    setenv("QUENDRY_EXE_RUNNER", runner_.c_str(), 1);
    EXPECT_EQ(ShellOpen(game_, "+set dedicated 2 +set fs_game BriselaMOD_v2", "OPEN", 5), ShellOpenStarted);
    EXPECT_EQ(WaitForRecord(), folder_.File("game folder") + "\n[" + game_ +
                                   "]\n[+set]\n[dedicated]\n[2]\n[+set]\n[fs_game]\n[BriselaMOD_v2]\n");
}

TEST_F(ShellOpenTest, MissingFileGivesCodeTwo) {
    setenv("QUENDRY_EXE_RUNNER", runner_.c_str(), 1);
    EXPECT_EQ(ShellOpen(folder_.File("nowhere/CoDMP.exe"), "", "OPEN", 5), ShellOpenFileNotFound);
}

TEST_F(ShellOpenTest, MissingRunnerGivesCodeThirtyOne) {
    setenv("QUENDRY_EXE_RUNNER", folder_.File("no-runner").c_str(), 1);
    EXPECT_EQ(ShellOpen(game_, "", "OPEN", 5), ShellOpenNoProgram);
}

} // namespace
