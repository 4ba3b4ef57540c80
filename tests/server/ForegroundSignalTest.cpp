// SPDX-License-Identifier: GPL-3.0-or-later
// A signal that reaches `run --foreground` before its server has started is not lost.
#include "server/ForegroundServer.h"

#include "platform/Process.h"
#include "server/ServerFiles.h"
#include "support/FakeServer.h"
#include "support/OwnProcesses.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

namespace {

TEST(ForegroundSignalTest, ASigtermBeforeTheStartIsPassedOnOnceTheServerRuns) {
    TestFolder folder;
    const std::string mod = folder.File("game/BriselaMOD_v2");
    std::filesystem::create_directories(mod);
    const std::string server = WriteFakeServer(folder.File("game/cod_lnxded"), folder.File("record"), "", std::nullopt);
    ForegroundServer foreground;
    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_EQ(foreground.Start({server, "+set dedicated 2", mod}), ShellOpenStarted);
    const auto record = ReadServerRecord(mod, Instance());
    ASSERT_TRUE(record);
    // The server would run until a signal ends it; a generous wait, so that a lost signal fails instead of hanging.
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (ProcessRuns(record->processId) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const bool ended = !ProcessRuns(record->processId);
    if (!ended)
        SignalOwnProcess(record->processId, SIGKILL);
    EXPECT_TRUE(ended) << "the signal was lost";
    // A stop that was asked for ends the foreground with 0.
    EXPECT_EQ(foreground.Run(ForegroundPeriods{}, [](const std::string&) {}), 0);
}

} // namespace
