// SPDX-License-Identifier: GPL-3.0-or-later
// `quendry zip list` and `quendry zip extract`.
#include "zip/ZipCommand.h"

#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "zip/ZipBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

struct CommandRun {
    int result;
    std::string out;
    std::string err;
};

// "list ARCHIVE" or "extract ARCHIVE FOLDER NAME...".
CommandRun RunZip(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int result = args[0] == "list" ? ZipList(args[1], out, err)
                                         : ZipExtract(args[1], args[2], {args.begin() + 3, args.end()},
                                                      UnzipLibraryFolder(), out, err);
    return {result, out.str(), err.str()};
}

TEST(ZipCommand, ListPrintsOneLinePerEntryThenTheComment) {
    TestFolder folder;
    const std::string archive = folder.Write(
        "maps.pk3", MakeZip({{.name = "mp/a.arena", .content = std::string(1000, 'a'), .deflate = true, .host = 0},
                             {.name = "b.txt", .content = "bb", .flags = 1}},
                            "made by a test"));
    const CommandRun run = RunZip({"list", archive});
    EXPECT_EQ(run.result, 0) << run.err;
    std::istringstream lines(run.out);
    std::string first, second, comment, more;
    std::getline(lines, first);
    std::getline(lines, second);
    std::getline(lines, comment);
    EXPECT_EQ(first.substr(0, first.find('\t')), "mp\\a.arena");
    EXPECT_NE(first.find("\t1000\tdeflated\tMS-DOS\t-"), std::string::npos) << first;
    EXPECT_EQ(second, "b.txt\t2\t2\tstored\tUnix\tencrypted");
    EXPECT_EQ(comment, "made by a test");
    EXPECT_FALSE(std::getline(lines, more));
}

TEST(ZipCommand, NamesThatWouldRewriteTheTerminalAreListedEscaped) {
    TestFolder folder;
    const std::string archive =
        folder.Write("hostile.pk3", MakeZip({{.name = "a\x1b[2J\r\nforged.arena", .content = "a"},
                                             {.name = "txt.\xe2\x80\xae"
                                                      "anera",
                                              .content = "b",
                                              .flags = 0x800},
                                             {.name = "c\xe2\x81\xa6\xe2\x80\xa8"
                                                      "d",
                                              .content = "c",
                                              .flags = 0x800},
                                             {.name = std::string("e\0f", 3), .content = "e"}},
                                            "comment\x1b]0;title\x07"));
    const CommandRun run = RunZip({"list", archive});
    EXPECT_EQ(run.result, 0) << run.err;
    std::istringstream lines(run.out);
    std::vector<std::string> names;
    for (std::string line; std::getline(lines, line);)
        names.push_back(line.substr(0, line.find('\t')));
    EXPECT_EQ(names, (std::vector<std::string>{"a\\x1b[2J\\x0d\\x0aforged.arena", "txt.\\u202eanera",
                                               "c\\u2066\\u2028d", "e\\x00f", "comment\\x1b]0;title\\x07"}));
}

TEST(ZipCommand, ErrorsGoToStandardErrorWithAFailingResult) {
    TestFolder folder;
    const std::string missing = folder.File("missing.zip");
    const std::string broken = folder.Write("broken.zip", "0123456789");
    const std::string archive = folder.Write("a.zip", MakeZip({{.name = "a", .content = "a"}}));
    const std::string nowhere = folder.File("nowhere");
    struct Case {
        std::vector<std::string> args;
        int result;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"list", missing}, 1, "\"" + missing + "\": No such file or directory\n"},
        {{"list", broken}, 1, "\"" + broken + "\"\nis not a valid Zip file.\n"},
        {{"extract", archive, folder.Path(), "b"}, 1, "\"" + archive + "\" has no member \"b\"\n"},
        {{"extract", archive, nowhere, "a"}, 1, "\"" + nowhere + "\": not a folder\n"},
    };
    for (const Case& c : cases) {
        const CommandRun run = RunZip(c.args);
        EXPECT_EQ(run.result, c.result) << c.args[0];
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_FALSE(std::filesystem::exists(missing)) << "listing never creates the archive";
}

TEST(ZipCommand, ExtractWritesTheNamedMembers) {
    TestFolder folder;
    const std::string archive = folder.Write(
        "maps.pk3", MakeZip({{.name = "mp/a.arena", .content = "alpha"}, {.name = "b.txt", .content = "b"}}));
    const std::string target = folder.File("out");
    std::filesystem::create_directory(target);
    ScriptedQuestions questions;
    const CommandRun run = RunZip({"extract", archive, target, "mp/a.arena"});
    EXPECT_EQ(run.result, 0) << run.err;
    EXPECT_EQ(run.out, "mp\\a.arena\n1 extracted, 0 skipped\n");
    EXPECT_EQ(folder.Read("out/a.arena"), "alpha");
    EXPECT_FALSE(std::filesystem::exists(folder.File("out/b.txt")));
}

TEST(ZipCommand, ExtractFromAMultipleDiskArchiveFails) {
    TestFolder folder;
    std::string bytes = MakeZip({{.name = "a.txt", .content = "a"}});
    bytes.replace(bytes.size() - 22 + 4, 4, std::string("\x01\x00\x01\x00", 4)); // disk 1, directory on disk 1
    const std::string archive = folder.Write("spanned.zip", bytes);
    ScriptedQuestions questions;
    const CommandRun run = RunZip({"extract", archive, folder.Path(), "a.txt"});
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.out, "");
    ASSERT_EQ(questions.messages.size(), 1);
    EXPECT_TRUE(questions.messages.front().startsWith(QStringLiteral("Cannot Add, Delete or Extract")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("a.txt")));
}

} // namespace
