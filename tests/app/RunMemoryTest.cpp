// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ProgramCopy.h"
#include "support/TestFolder.h"

#include <QString>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The size of each settings file: large enough that the program's own memory is a small part of the peak.
constexpr std::size_t FileSize = 16 * 1024 * 1024;

// A settings file of no more than FileSize bytes may cost a run this many times its size in memory, above what a
// run on a one-line file costs and besides the text of the cfg files it writes (which the values make longer or
// shorter than the settings file: a message of one letter is a line of 25 bytes): the text held once as UTF-8 (up to
// its size, more for a Windows-1252 file whose characters take two or three bytes in UTF-8), and a long list as the
// windowless options hold it, 32 bytes a line besides its text, which is 3.2 times the size of the shortest numbered
// line of a long list ("L1234567=" and a line feed).
constexpr double MemoryBound = 4.5;

// The sections every file holds, so that the run goes on to write the cfg files: a rotation and its gametype.
const std::string Head = "[MainFormListBoxSelectedMaps]\r\nL0=mp_harbor\r\nItemIndex=-1\r\n"
                         "[MainFormg_gametype]\r\nL0=dm\r\nItemIndex=0\r\n";

std::string AsItIs(const std::string& text) {
    return text;
}

std::string Utf16LittleEndian(const std::string& utf8) {
    std::string bytes;
    for (const QChar c : QString::fromUtf8(utf8)) {
        bytes += static_cast<char>(c.unicode() & 0xFF);
        bytes += static_cast<char>(c.unicode() >> 8);
    }
    return bytes;
}

std::function<std::string(std::size_t)> Numbered(const std::string& value) {
    return [value](std::size_t i) { return "L" + std::to_string(i) + "=" + value + "\r\n"; };
}

// One shape of a long settings file: Head, `head`, then lines made by `line` (given its number) until the file
// would outgrow FileSize, each as `encode` writes it after `start`.
struct Shape {
    const char* name;
    std::string head;
    std::function<std::string(std::size_t)> line;
    bool numbered; // the lines are those of the advanced list, one line each in advanced.cfg
    std::function<std::string(const std::string&)> encode;
    std::string start; // the byte order mark
};

const std::string List = "[MainFormListBoxCfg]\r\n";
const std::string OneLine = List + "L0=set a 1\r\n";

const Shape Shapes[] = {
    {"millions of short numbered lines", List, Numbered("x"), true, AsItIs, ""},
    {"millions of empty numbered lines ended by a line feed", List,
     [](std::size_t i) { return "L" + std::to_string(i) + "=\n"; }, true, AsItIs, ""},
    {"millions of empty lines", OneLine, [](std::size_t) { return "\r\n"; }, false, AsItIs, ""},
    {"millions of tiny sections", OneLine, [](std::size_t i) { return "[a" + std::to_string(i) + "]\r\n"; }, false,
     AsItIs, ""},
    {"millions of tiny sections with a key", OneLine,
     [](std::size_t i) { return "[a" + std::to_string(i) + "]\r\nk=v\r\n"; }, false, AsItIs, ""},
    {"millions of lines of the message memo", OneLine + "[MsgFormMsgMemo]\r\n", Numbered("x"), false, AsItIs, ""},
    {"millions of items of a drop-down list", OneLine + "[MainFormprm_clanTeam]\r\n", Numbered("x"), false, AsItIs, ""},
    {"millions of keys looked up by name", OneLine + "[MainForm]\r\n",
     [](std::size_t i) { return "k" + std::to_string(i) + "=v\r\n"; }, false, AsItIs, ""},
    {"a few very long lines", List, Numbered("set a " + std::string(FileSize / 4 - 64, 'x')), true, AsItIs, ""},
    {"a UTF-16 file", List, Numbered("set \xC3\xA9t\xC3\xA9 \xE2\x82\xAC"), true, Utf16LittleEndian, "\xFF\xFE"},
    {"a Windows-1252 file", List, Numbered("set \xE9t\xE9 \x80"), true, AsItIs, ""},
};

// Writes `shape` to `path` a line at a time, so that the test's own memory stays small; the number of lines made
// by its `line`.
std::size_t WriteShape(const Shape& shape, const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    std::string text = shape.start + shape.encode(Head + shape.head);
    std::size_t size = text.size();
    file << text;
    for (std::size_t count = 0;; ++count) {
        text = shape.encode(shape.line(count));
        if (size + text.size() > FileSize)
            return count;
        size += text.size();
        file << text;
    }
}

// `quendry run --no-launch` on a program folder of its own (the program beside a map catalogue) and a game folder.
class RunMemoryTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_.File("program"));
        CopyProgram(folder_.File("program"));
        folder_.Write("program/maps.ini", "mp_harbor=[dm]\r\n");
        folder_.Write("game/CoDMP.exe", "");
        folder_.Write("game/main/config_mp.cfg", "seta sv_fps \"20\"\r\n");
    }

    // The peak resident size in bytes of a run on the settings file `settings`, which must succeed. The program
    // is started by fork, not vfork: the peak of a process counts the memory it came from, which is the test's
    // small resident memory then, and not the test's own peak.
    long PeakOfRun(const std::string& settings) const {
        const std::string program = folder_.File("program/quendry");
        const std::string output = folder_.File("run.txt");
        std::vector<std::string> arguments = {program,  "run",    "--no-launch",       "--settings",
                                              settings, "--game", folder_.File("game")};
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out >= 0 && ::dup2(out, 1) >= 0 && ::dup2(out, 2) >= 0)
                ::execve(program.c_str(), argv.data(), environ);
            ::_exit(127);
        }
        EXPECT_GT(child, 1);
        if (child <= 1)
            return 0;
        int status = 0;
        rusage usage{};
        EXPECT_EQ(::wait4(child, &status, 0, &usage), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << folder_.Read("run.txt");
        return usage.ru_maxrss * 1024L;
    }

    // The lines of the advanced.cfg the last run wrote.
    std::size_t AdvancedLines() const {
        const std::string cfg = folder_.Read("game/BriselaMOD_v2/advanced.cfg");
        return static_cast<std::size_t>(std::ranges::count(cfg, '\n'));
    }

    // The size of the cfg files the last run wrote.
    long CfgSize() const {
        return static_cast<long>(fs::file_size(folder_.File("game/BriselaMOD_v2/advanced.cfg")) +
                                 fs::file_size(folder_.File("game/BriselaMOD_v2/standard.cfg")));
    }

    TestFolder folder_;
};

TEST_F(RunMemoryTest, ALongSettingsFileCostsASmallMultipleOfItsSize) {
#ifdef QUENDRY_SANITIZED
    GTEST_SKIP() << "a sanitized build keeps shadow memory beside every allocation";
#endif
    const std::string settings = folder_.Write("settings.ini", Head + OneLine);
    const long oneLine = PeakOfRun(settings) - CfgSize();
    ASSERT_EQ(AdvancedLines(), 1U);
    for (const Shape& shape : Shapes) {
        SCOPED_TRACE(shape.name);
        const std::size_t lines = WriteShape(shape, settings);
        const auto size = static_cast<double>(fs::file_size(settings));
        const long peak = PeakOfRun(settings);
        EXPECT_EQ(AdvancedLines(), shape.numbered ? lines : 1U);
        const long cfg = CfgSize();
        const double multiple = static_cast<double>(peak - oneLine - cfg) / size;
        EXPECT_LE(multiple, MemoryBound) << "peak " << peak << " bytes, " << oneLine << " for one line, file of "
                                         << size << " bytes, cfg files of " << cfg << " bytes";
        std::cout << shape.name << ": " << multiple << " times the file's size besides the cfg files, "
                  << static_cast<double>(peak - oneLine) / size << " with them\n";
    }
}

} // namespace
