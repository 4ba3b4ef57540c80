// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include "support/TestFolder.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Verification {
    int code = -1;
    std::string messages;
};

// `systemd-analyze verify --man=no UNIT`: its exit code and what it said.
Verification Verify(const QString& analyze, const std::string& unit) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(analyze, {QStringLiteral("verify"), QStringLiteral("--man=no"), QString::fromStdString(unit)});
    if (!process.waitForFinished(-1))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll().toStdString()};
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST(ServiceUnitTest, EachInstanceRunsInTheForegroundWithItsOwnFiles) {
    const std::string unit = ReadWholeFile(QUENDRY_SERVICE_UNIT);
    const std::string installed = std::string(QUENDRY_INSTALLED_BINDIR) + "/quendry";
    for (const std::string& line : std::vector<std::string>{
             "\nType=notify\n", "\nEnvironmentFile=/etc/quendry/%i.env\n",
             "\nExecStart=" + installed +
                 " run --foreground --instance %i --settings /etc/quendry/%i.ini --game ${QUENDRY_GAME}\n",
             "\nRestart=on-failure\n", "\nWatchdogSec="})
        EXPECT_NE(unit.find(line), std::string::npos) << line << " in\n" << unit;
}

TEST(ServiceUnitTest, TheServiceManagerTakesTheTemplateUnit) {
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        GTEST_SKIP() << "systemd-analyze is not installed: the unit is not verified";
    const TestFolder folder;
    // A unit that cannot fail tells whether the tool works here at all (a container without systemd's folders).
    const Verification control =
        Verify(analyze, folder.Write("control.service", "[Unit]\nDescription=control\n\n[Service]\nExecStart=" +
                                                            std::string(QUENDRY_EXECUTABLE) + " --version\n"));
    if (control.code != 0 || !control.messages.empty())
        GTEST_SKIP() << "systemd-analyze cannot verify units here: " << control.messages;
    // The program is not installed yet: the unit runs the one of this build instead.
    const std::string unit = folder.Write(
        "quendry@.service", Replaced(ReadWholeFile(QUENDRY_SERVICE_UNIT),
                                     std::string(QUENDRY_INSTALLED_BINDIR) + "/quendry", QUENDRY_EXECUTABLE));
    const Verification verified = Verify(analyze, unit);
    EXPECT_EQ(verified.code, 0) << verified.messages;
    EXPECT_EQ(verified.messages, "");
}
