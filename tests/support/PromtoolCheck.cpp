// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PromtoolCheck.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <charconv>
#include <set>
#include <sstream>

namespace {

// The family of a sample line: its name up to the labels or the value.
std::string SampleName(const std::string& line) {
    return line.substr(0, line.find_first_of("{ "));
}

} // namespace

int Promtool(const std::string& command, const std::string& file, std::string& output) {
    QProcess promtool;
    promtool.setProcessChannelMode(QProcess::MergedChannels);
    promtool.start(QStringLiteral(QUENDRY_PROMTOOL),
                   {QStringLiteral("check"), QString::fromStdString(command), QString::fromStdString(file)});
    EXPECT_TRUE(promtool.waitForFinished(-1));
    output = promtool.readAll().toStdString();
    return promtool.exitStatus() == QProcess::NormalExit ? promtool.exitCode() : -1;
}

void ExpectValidMetrics(const std::string& text) {
    QProcess promtool;
    promtool.setProcessChannelMode(QProcess::MergedChannels);
    promtool.start(QStringLiteral(QUENDRY_PROMTOOL), {QStringLiteral("check"), QStringLiteral("metrics")});
    promtool.write(QByteArray::fromStdString(text));
    promtool.closeWriteChannel();
    ASSERT_TRUE(promtool.waitForFinished(-1));
    EXPECT_EQ(promtool.exitCode(), 0) << promtool.readAll().toStdString() << text;
    // promtool takes a family without its type line; a scraper would read it as untyped.
    std::set<std::string> helped, typed;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("# HELP ", 0) == 0)
            helped.insert(SampleName(line.substr(7)));
        else if (line.rfind("# TYPE ", 0) == 0)
            typed.insert(SampleName(line.substr(7)));
        else if (!line.empty() && line[0] != '#') {
            EXPECT_TRUE(helped.contains(SampleName(line))) << "no help line before " << line;
            EXPECT_TRUE(typed.contains(SampleName(line))) << "no type line before " << line;
        }
    }
}

std::map<std::string, double> MetricSamples(const std::string& text) {
    std::map<std::string, double> samples;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t blank = line.rfind(' ');
        double value = 0;
        const auto [end, error] = std::from_chars(line.data() + blank + 1, line.data() + line.size(), value);
        EXPECT_TRUE(error == std::errc() && end == line.data() + line.size()) << line;
        samples[line.substr(0, blank)] = value;
    }
    return samples;
}
