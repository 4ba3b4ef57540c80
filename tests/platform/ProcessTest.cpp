// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Process.h"

#include "platform/ProcessHandle.h"
#include "platform/ProcessStart.h"

#include "support/FakePrograms.h"
#include "support/FakeServer.h"
#include "support/OwnProcesses.h"
#include "support/TestFolder.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using Words = std::vector<std::string>;

TEST(ProcessTest, TheTestProgramHasLeftTheGroupOfTheRunnerThatStartedIt) {
    // A group signal gone astray in a test (an id of 0) then ends this program alone, never ctest.
    EXPECT_EQ(::getpgid(0), ::getpid());
    EXPECT_NE(::getpgid(0), ::getpgid(::getppid()));
}

// Field 22 of /proc/PID/stat, the kernel's start time, read apart from the program's own reader: a reader of the
// wrong field would agree with the writer of the records and give every process the same start time.
std::uint64_t KernelStartTime(pid_t process) {
    std::ifstream file("/proc/" + std::to_string(process) + "/stat");
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int number = 3; number <= 22 && fields >> field; ++number) {
    }
    return std::stoull(field);
}

TEST(ProcessTest, AStartTimeIsTheKernelsOwnAndTellsProcessesApart) {
    EXPECT_EQ(ProcessStartTime(::getpid()), KernelStartTime(::getpid()));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    EXPECT_EQ(ProcessStartTime(child), KernelStartTime(child));
    EXPECT_GE(ProcessStartTime(child), ProcessStartTime(::getpid()));
    SignalOwnProcess(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

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
    EXPECT_EQ(StartProgram("/nonexistent/program", "", true), ProgramNotStarted);
}

TEST(ProcessTest, StartProgramWaitsForTheEndWithoutSpinning) {
    TestFolder folder;
    const std::string marker = folder.File("done");
    const std::string script = folder.Write("slow.sh", "#!/bin/sh\nsleep 0.3\ntouch \"$1\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpuBefore = std::clock();
    EXPECT_EQ(StartProgram(script, marker, true), ProgramWaitedFor);
    const double cpuMilliseconds = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_TRUE(std::filesystem::exists(marker));
    // A busy loop would burn the whole wait in processor time, however slow the machine.
    EXPECT_LT(cpuMilliseconds, double(wall.elapsed()) / 2);
}

TEST(ProcessTest, AWaitEndsSoonAfterTheProgramEvenWhenNobodyReapsIt) {
    // As nearest subreaper this test becomes the parent of the detached program and, like a PID 1 that does not
    // reap, leaves it a zombie once it ends.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const std::int64_t process = StartProgram("/bin/sh", "-c \"exit 0\"", false);
    ASSERT_GT(process, 0);
    while (ProcessRuns(process))
        QThread::msleep(10);
    // It has ended and is left a zombie: the wait ends all the same.
    WaitForProgram(process);
    // The ended program was reaped by the wait.
    EXPECT_EQ(::waitpid(static_cast<pid_t>(process), nullptr, WNOHANG), -1);
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

TEST(ProcessStartTest, AProgramStartsInASessionOfItsOwnWithItsOutputInAFile) {
    TestFolder folder;
    const std::string script =
        folder.Write("tell.sh", "#!/bin/sh\npwd\necho \"$1\" >&2\nread line || echo 'no input'\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const std::string output = folder.File("output");
    const int descriptor = ::open(output.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(descriptor, 0);
    const StartedProcess started =
        StartProcess({script, {"to error"}, folder.File(""), ProcessOutput::File, descriptor, false});
    ::close(descriptor);
    ASSERT_EQ(started.error, 0);
    const auto process = ProcessHandle::Open(started.id);
    ASSERT_TRUE(process);
    ASSERT_TRUE(process->WaitForEnd(std::chrono::hours(1)));
    EXPECT_EQ(::getsid(started.id), started.id);
    EXPECT_EQ(process->Reap(), 0);
    EXPECT_EQ(folder.Read("output"), folder.Path() + "\nto error\nno input\n");
}

TEST(ProcessStartTest, ASessionOutlivesItsLeaderAndIsStoppedWholeAndTheKernelsIsNone) {
    TestFolder folder;
    // The leader puts two processes in the background, each in a group of its own, and ends.
    const std::string script = folder.Write(
        "background.sh", "#!/bin/sh\nfor name in one two; do\n"
                         "  perl -e 'setpgrp(0, 0); open(my $f, \">\", $ARGV[0]); close($f); sleep 600' \"$name\" &\n"
                         "done\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    // Not the test's own output, which a process left behind by a failure would hold open for the test runner.
    const int output = ::open(folder.File("output").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(output, 0);
    const StartedProcess started = StartProcess({script, {}, folder.File(""), ProcessOutput::File, output, false});
    ::close(output);
    ASSERT_EQ(started.error, 0);
    const auto leader = ProcessHandle::Open(started.id);
    ASSERT_TRUE(leader);
    ASSERT_TRUE(leader->WaitForEnd(std::chrono::hours(1)));
    EXPECT_EQ(leader->Reap(), 0);
    WaitForFile(folder.File("one"));
    WaitForFile(folder.File("two"));
    const std::vector<pid_t> members = SessionProcesses(started.id);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_NE(::getpgid(members.front()), started.id);

    EXPECT_TRUE(SessionProcesses(0).empty()) << "the kernel's threads are no session of a program";
    // The one held goes, and the other one of its session with it.
    const auto held = ProcessHandle::Open(members.front());
    ASSERT_TRUE(held);
    EXPECT_EQ(StopSession(*held, started.id, std::chrono::seconds(10)), SessionEnding::Terminated);
    EXPECT_TRUE(SessionProcesses(started.id).empty());
    for (const pid_t member : members)
        EXPECT_FALSE(ProcessRuns(member));
}

TEST(ProcessStartTest, AProgramThatCannotRunGivesTheSystemsReasonAndADetachedOneIsNoChild) {
    TestFolder folder;
    const std::string notExecutable = folder.Write("data.txt", "text");
    EXPECT_EQ(StartProcess({notExecutable, {}, "", ProcessOutput::Inherited, -1, false}).error, ENOENT);
    const std::string brokenInterpreter = folder.Write("broken.sh", "#!/nonexistent/shell\n");
    std::filesystem::permissions(brokenInterpreter, std::filesystem::perms::owner_all);
    const StartedProcess broken = StartProcess({brokenInterpreter, {}, "", ProcessOutput::Inherited, -1, false});
    EXPECT_EQ(broken.error, ENOENT);
    EXPECT_EQ(broken.id, 0);

    const StartedProcess detached = StartProcess({"sleep", {"0.2"}, "", ProcessOutput::Inherited, -1, true});
    ASSERT_EQ(detached.error, 0);
    ASSERT_GT(detached.id, 0);
    EXPECT_EQ(::waitpid(detached.id, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

class ShellOpenTest : public testing::Test {
protected:
    void SetUp() override { game_ = folder_.Write("game folder/CoDMP.exe", ""); }

    static std::string CurrentFolder() { return std::filesystem::current_path().string(); }

    FakePrograms programs_;
    TestFolder folder_;
    std::string game_;
};

TEST_F(ShellOpenTest, StartsAnExeThroughTheRunnerInItsFolder) {
    EXPECT_EQ(ShellOpen(game_, "+set dedicated 2 +set fs_game BriselaMOD_v2"), ShellOpenStarted);
    EXPECT_EQ(programs_.Next(), "runner\n" + folder_.File("game folder") + "\n[" + game_ +
                                    "]\n[+set]\n[dedicated]\n[2]\n[+set]\n[fs_game]\n[BriselaMOD_v2]\n");
}

TEST_F(ShellOpenTest, LinksAndDocumentsOpenWithTheOpenerInTheCurrentFolder) {
    for (const std::string& file : {std::string("mailto:someone@example.org"),
                                    std::string("https://brisela.example.org/page"), folder_.Write("readme.txt", "")}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(ShellOpen(file, ""), ShellOpenStarted);
        EXPECT_EQ(programs_.Next(), "opener\n" + CurrentFolder() + "\n[" + file + "]\n");
    }
}

TEST_F(ShellOpenTest, MissingFileGivesCodeTwo) {
    EXPECT_EQ(ShellOpen(folder_.File("nowhere/CoDMP.exe"), ""), ShellOpenFileNotFound);
    EXPECT_EQ(ShellOpen(folder_.File("nowhere/readme.txt"), ""), ShellOpenFileNotFound);
    EXPECT_TRUE(programs_.NoneStarted());
}

TEST_F(ShellOpenTest, MissingRunnerGivesCodeThirtyOne) {
    setenv("QUENDRY_EXE_RUNNER", folder_.File("no-runner").c_str(), 1);
    EXPECT_EQ(ShellOpen(game_, ""), ShellOpenNoProgram);
}

} // namespace
