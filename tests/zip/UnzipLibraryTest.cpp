// SPDX-License-Identifier: GPL-3.0-or-later
// Extraction through the unzip library: contents, CRC checks, passwords, the replace rule of the default
// option, names that must not leave the target folder, and the bridge's early returns.
#include "zip/Zip.h"

#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "zip/ZipBuilder.h"
#include "zip/ZipFormat.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>

namespace {

namespace fs = std::filesystem;

// A zip component ready to extract into a folder of the test's own.
struct Extraction {
    Extraction() {
        zip.ShowProgressDialog = false;
        zip.LibraryFolder = UnzipLibraryFolder();
        zip.ExtractFolder = out.Path();
    }

    // `members` as "damaged.zip" with the first member's data altered, to be extracted into the empty folder "x";
    // the archive's path.
    std::string WriteDamaged(const std::vector<TestMember>& members) {
        std::string archive = MakeZip(members);
        archive[DataOffset(members, 0)] ^= 0x20;
        zip.ExtractFolder = out.File("x");
        fs::create_directory(zip.ExtractFolder);
        return out.Write("damaged.zip", archive);
    }

    // Extracts `names` of `archive`; returns the library's result.
    std::int32_t Run(const std::string& archive, std::vector<std::string> names) {
        zip.Open(archive);
        zip.MemberSpecs = std::move(names);
        return zip.Extract();
    }

    ScriptedQuestions questions;
    TestFolder out;
    TZip zip;
};

// Where the data of the member `index` starts, read from its local header.
std::size_t MemberDataOffset(const std::string& archive, const TZip& zip, int index) {
    const TCentralFileHeader header = zip.EntryAt(index).Header;
    const auto* local = reinterpret_cast<const unsigned char*>(archive.data()) + header.LocalHeaderOffset;
    return header.LocalHeaderOffset + 30 + ReadLe16(local + 26) + ReadLe16(local + 28);
}

TEST(UnzipLibrary, ExtractsThePeersMembersWithTheirContents) {
    struct Case {
        std::string archive;
        std::string member;
        std::string file;
        std::string content;
    };
    const std::string png = TestFolder().Read(PeerArchive("go/gophercolor16x16.png"));
    const std::vector<Case> cases = {
        {"go/test.zip", "test.txt", "test.txt", "This is a test text file.\n"},
        {"go/test.zip", "gophercolor16x16.png", "gophercolor16x16.png", png},
        {"go/test-prefix.zip", "test.txt", "test.txt", "This is a test text file.\n"},
        {"go/test-baddirsz.zip", "gophercolor16x16.png", "gophercolor16x16.png", png},
        {"go/test-badbase.zip", "test.txt", "test.txt", "This is a test text file.\n"},
        {"go/dd.zip", "filename", "filename", "This is a test textfile.\n"},
        {"go/winxp.zip", "hello", "hello", "world \r\n"},
        {"go/winxp.zip", "dir\\bar", "bar", "foo \r\n"},
        {"go/unix.zip", "readonly", "readonly", "important \r\n"},
        {"go/crc32-not-streamed.zip", "foo.txt", "foo.txt", "foo\n"},
        {"go/go-with-datadesc-sig.zip", "bar.txt", "bar.txt", "bar\n"},
        {"go/go-no-datadesc-sig.zip", "foo.txt", "foo.txt", "foo\n"},
        {"libzip/junk-at-start.zip", "testdir\\test2", "test2", "test\n"},
    };
    for (const Case& c : cases) {
        Extraction extraction;
        EXPECT_EQ(extraction.Run(PeerArchive(c.archive), {c.member}), 1) << c.archive;
        EXPECT_EQ(extraction.out.Read(c.file), c.content) << c.archive << " " << c.member;
        EXPECT_TRUE(extraction.questions.asked.isEmpty()) << c.archive;
    }
}

TEST(UnzipLibrary, ChangedDataByteGivesTheCrcQuestion) {
    for (const char* peer : {"go/crc32-not-streamed.zip", "go/go-with-datadesc-sig.zip", "go/go-no-datadesc-sig.zip"}) {
        for (const bool extractAnyway : {false, true}) {
            Extraction extraction;
            std::string bytes = extraction.out.Read(PeerArchive(peer));
            TZip reader;
            reader.Open(PeerArchive(peer));
            const int index = reader.EntryAt(0).FileName == "foo.txt" ? 0 : 1;
            std::string archive = bytes;
            const std::size_t data = MemberDataOffset(bytes, reader, index);
            // Deflated or stored, the member's first data byte changes what comes out.
            archive[data] = static_cast<char>(archive[data] ^ 0x01);
            const std::string path = extraction.out.Write("damaged.zip", archive);
            extraction.zip.ExtractFolder = extraction.out.File("x");
            fs::create_directory(extraction.zip.ExtractFolder);
            extraction.questions.yesNoCancel = {extractAnyway};
            extraction.Run(path, {"foo.txt"});
            EXPECT_EQ(extraction.questions.asked,
                      QStringList{QStringLiteral("\"foo.txt\" may be corrupted (CRC error).\nExtract this file "
                                                 "anyway? ...")})
                << peer;
            EXPECT_EQ(fs::exists(extraction.out.File("x/foo.txt")), extractAnyway) << peer;
        }
    }
}

TEST(UnzipLibrary, DataLongerThanItsDeclaredSizeIsStoppedBeforeItIsWritten) {
    // A megabyte of one byte packs into a kilobyte; the headers say 100 bytes.
    const std::vector<TestMember> members = {
        {.name = "bomb.txt", .content = std::string(1 << 20, 'x'), .deflate = true}};
    std::string archive = MakeZip(members);
    Extraction extraction;
    TZip reader;
    reader.Open(extraction.out.Write("sound.zip", archive));
    const std::size_t local = reader.EntryAt(0).Header.LocalHeaderOffset;
    const std::size_t central = reader.EndRecord().DirectoryOffset;
    archive.replace(local + 22, 4, std::string("\x64\0\0\0", 4));
    archive.replace(central + 24, 4, std::string("\x64\0\0\0", 4));
    const std::string path = extraction.out.Write("bomb.zip", archive);
    extraction.zip.ExtractFolder = extraction.out.File("x");
    fs::create_directory(extraction.zip.ExtractFolder);
    extraction.questions.yesNoCancel = {true}; // extract anyway: still no more than the declared size
    extraction.Run(path, {"bomb.txt"});
    const std::string written = extraction.out.File("x/bomb.txt");
    EXPECT_LE(fs::exists(written) ? fs::file_size(written) : 0, 100u);
    for (const auto& entry : fs::directory_iterator(extraction.zip.ExtractFolder))
        EXPECT_LE(entry.file_size(), 100u) << entry.path();
}

TEST(UnzipLibrary, CancelAtTheCrcQuestionStopsTheBatch) {
    const std::vector<TestMember> members = {{.name = "a.txt", .content = "alpha"},
                                             {.name = "b.txt", .content = "beta"}};
    Extraction extraction;
    const std::string path = extraction.WriteDamaged(members);
    extraction.questions.yesNoCancel = {std::nullopt};
    extraction.Run(path, {"a.txt", "b.txt"});
    EXPECT_TRUE(extraction.zip.CancelRequested);
    EXPECT_TRUE(fs::is_empty(extraction.zip.ExtractFolder));
}

TEST(UnzipLibrary, PasswordIsAskedUntilItOpensTheMember) {
    Extraction extraction;
    extraction.questions.texts = {QStringLiteral("wrong"), QStringLiteral("foo")};
    EXPECT_EQ(extraction.Run(PeerArchive("libzip/encrypt.zip"), {"encrypted", "plain"}), 2);
    EXPECT_EQ(extraction.out.Read("encrypted"), "foo\n");
    const QString ask = QStringLiteral("Brisela Quendry|A new password is required for \"encrypted\"|");
    EXPECT_EQ(extraction.questions.asked, (QStringList{ask, ask}));
}

TEST(UnzipLibrary, NoPasswordSkipsTheEncryptedMemberOnly) {
    Extraction extraction;
    int skipped = -1;
    extraction.zip.OnZEDEndBatchEvent = [&](TZip&, std::int32_t skippedCount, std::int32_t, std::int32_t) {
        skipped = skippedCount;
    };
    EXPECT_EQ(extraction.Run(PeerArchive("libzip/encrypt.zip"), {"encrypted", "plain"}), 1);
    EXPECT_EQ(skipped, 1);
    EXPECT_FALSE(fs::exists(extraction.out.File("encrypted")));
    EXPECT_TRUE(fs::exists(extraction.out.File("plain")));
}

TEST(UnzipLibrary, DefaultOptionKeepsANewerFileAndReplacesAnOlderOne) {
    // The member is dated 2020-06-15 12:00.
    const std::vector<TestMember> members = {{.name = "mp/custom.arena", .content = "from the archive"}};
    for (const bool fileIsNewer : {true, false}) {
        Extraction extraction;
        const std::string archive = extraction.out.Write("maps.pk3", MakeZip(members));
        const std::string existing = extraction.out.Write("custom.arena", "already here");
        const auto now = fs::file_time_type::clock::now();
        fs::last_write_time(existing, fileIsNewer ? now : now - std::chrono::hours(24 * 365 * 10));
        extraction.Run(archive, {"mp\\custom.arena"});
        EXPECT_EQ(extraction.out.Read("custom.arena"), fileIsNewer ? "already here" : "from the archive");
        EXPECT_TRUE(extraction.questions.asked.isEmpty());
    }
}

TEST(UnzipLibrary, AskOptionAsksBeforeReplacing) {
    const std::vector<TestMember> members = {{.name = "a.cfg", .content = "new"}};
    Extraction extraction;
    const std::string archive = extraction.out.Write("a.zip", MakeZip(members));
    extraction.out.Write("a.cfg", "old");
    extraction.zip.ExtractOptions = ExtractAskReplace;
    extraction.questions.yesNoCancel = {true};
    extraction.Run(archive, {"a.cfg"});
    EXPECT_EQ(extraction.out.Read("a.cfg"), "new");
    EXPECT_EQ(extraction.questions.asked,
              QStringList{QStringLiteral("\"a.cfg\" is the same age or newer than the zipped file.\nDo you really "
                                         "want to overwrite this file? ...")});
}

TEST(UnzipLibrary, AReplacedFileKeepsItsPermissionsAndANewOneTakesTheUmask) {
    const std::vector<TestMember> members = {{.name = "a.cfg", .content = "new"}, {.name = "b.cfg", .content = "b"}};
    Extraction extraction;
    const std::string archive = extraction.out.Write("a.zip", MakeZip(members));
    const std::string replaced = extraction.out.Write("a.cfg", "old");
    fs::permissions(replaced, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    extraction.zip.ExtractOptions = ExtractAskReplace;
    extraction.questions.yesNoCancel = {true};
    const mode_t umask = ::umask(022);
    extraction.Run(archive, {"a.cfg", "b.cfg"});
    ::umask(umask);
    EXPECT_EQ(extraction.out.Read("a.cfg"), "new");
    EXPECT_EQ(fs::status(replaced).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(fs::status(extraction.out.File("b.cfg")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

TEST(UnzipLibrary, NamesNeverLeaveTheTargetFolder) {
    Extraction extraction;
    // The rooted name names this test's own folder, so that a library that followed it would write where the test
    // looks, never into the system.
    const std::vector<TestMember> members = {{.name = "../escape.txt", .content = "1"},
                                             {.name = "a/../../b/up.txt", .content = "2"},
                                             {.name = extraction.out.File("rooted/rooted.txt"), .content = "3"},
                                             {.name = "..", .content = "4"},
                                             {.name = "...", .content = "5"},
                                             {.name = "dir/", .content = ""},
                                             {.name = "a\\..\\..\\back.txt", .content = "6"}};
    const std::string archive = extraction.out.Write("evil.zip", MakeZip(members));
    const std::string target = extraction.out.File("target");
    fs::create_directory(target);
    fs::create_directory(extraction.out.File("rooted"));
    extraction.zip.ExtractFolder = target;
    int skipped = -1;
    extraction.zip.OnZEDEndBatchEvent = [&](TZip&, std::int32_t skippedCount, std::int32_t, std::int32_t) {
        skipped = skippedCount;
    };
    extraction.zip.Open(archive);
    for (int i = 0; i < extraction.zip.EntryCount(); ++i)
        extraction.zip.MemberSpecs.push_back(extraction.zip.EntryAt(i).FileName);
    EXPECT_EQ(extraction.zip.Extract(), 4);
    EXPECT_EQ(skipped, 3);
    std::vector<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(extraction.out.Path()))
        written.push_back(fs::relative(entry.path(), extraction.out.Path()).string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"evil.zip", "rooted", "target", "target/back.txt", "target/escape.txt",
                                                 "target/rooted.txt", "target/up.txt"}));
}

TEST(UnzipLibrary, BridgeReturnsEarlyWithoutWork) {
    TestFolder folder;
    ScriptedQuestions questions;
    TZip zip;
    zip.LibraryFolder = folder.Path(); // no library here: nothing below may load it
    zip.MemberSpecs = {"a"};
    EXPECT_EQ(zip.Extract(), 0) << "an empty entry list";

    zip.Open(folder.Write("a.zip", MakeZip({{.name = "a", .content = "a"}})));
    zip.ExtractFolder = folder.File("missing");
    EXPECT_EQ(zip.Extract(), 0);
    EXPECT_EQ(questions.messages, QStringList{QStringLiteral("Unable to extract files to:\n\"%1\"\nThis folder does "
                                                             "not exist.")
                                                  .arg(QString::fromStdString(folder.File("missing")))});
    EXPECT_EQ(zip.MemberSpecs, std::vector<std::string>{"a"}) << "kept for the next Extract";
}

TEST(UnzipLibrary, SpannedArchiveIsNotExtracted) {
    std::string bytes = MakeZip({{.name = "a", .content = "a"}});
    bytes[bytes.size() - 22 + 4] = 1; // number of this disk
    bytes[bytes.size() - 22 + 6] = 1; // disk of the directory
    TestFolder folder;
    ScriptedQuestions questions;
    TZip zip;
    zip.Open(folder.Write("span.zip", bytes));
    zip.MemberSpecs = {"a"};
    EXPECT_EQ(zip.Extract(), 0);
    EXPECT_EQ(questions.messages, QStringList{QStringLiteral("Cannot Add, Delete or Extract from a multiple disk Zip "
                                                             "file...\nMerge this Zip file onto the hard disk before "
                                                             "retrying.")});
}

TEST(UnzipLibrary, MissingLibraryRaisesItsException) {
    TestFolder folder;
    TZip zip;
    zip.LibraryFolder = folder.Path();
    zip.Open(folder.Write("a.zip", MakeZip({{.name = "a", .content = "a"}})));
    zip.MemberSpecs = {"a"};
    try {
        zip.Extract();
        FAIL() << "no exception";
    } catch (const ZipException& error) {
        EXPECT_STREQ(error.what(), "Unable to load \"UnzDll.so\".");
    }
    EXPECT_FALSE(fs::exists(folder.File("a")));
}

TEST(UnzipLibrary, SuccessfulExtractEmptiesMemberSpecsAndReportsTheBatch) {
    const std::vector<TestMember> members = {{.name = "one.txt", .content = std::string(5000, '1'), .deflate = true},
                                             {.name = "two.txt", .content = "22"}};
    Extraction extraction;
    const std::string archive = extraction.out.Write("a.zip", MakeZip(members));
    std::vector<std::string> begun;
    std::int32_t bytes = 0;
    extraction.zip.OnZEDBeginFileEvent = [&](TZip&, const std::string& name, std::int32_t size, std::int32_t count,
                                             std::int32_t total) {
        begun.push_back(name + " " + std::to_string(size) + " " + std::to_string(count) + " " + std::to_string(total));
    };
    extraction.zip.OnZEDProgressEvent = [&](TZip&, const std::string&, std::int32_t done, std::int32_t) {
        bytes += done;
    };
    EXPECT_EQ(extraction.Run(archive, {"two.txt", "one.txt"}), 2);
    EXPECT_EQ(begun, (std::vector<std::string>{"one.txt 5000 2 5002", "two.txt 2 2 5002"}));
    EXPECT_EQ(bytes, 5002);
    EXPECT_TRUE(extraction.zip.MemberSpecs.empty());
    EXPECT_EQ(extraction.out.Read("one.txt"), std::string(5000, '1'));
}

TEST(UnzipLibrary, PartFilesHaveNamesNoMemberIsWrittenUnder) {
    // The names a member could meet: a part file of another member under its former naming, and names that hold
    // the part files' prefix after a folder separator.
    const std::vector<TestMember> members = {{.name = ".a.txt.unz~", .content = "first"},
                                             {.name = "a.txt", .content = "second", .deflate = true},
                                             {.name = "x/.unz\\1.2", .content = "third"},
                                             {.name = ".unz/b.txt", .content = "fourth"}};
    Extraction extraction;
    const std::string archive = extraction.out.Write("names.zip", MakeZip(members));
    extraction.zip.ExtractFolder = extraction.out.File("target");
    fs::create_directory(extraction.zip.ExtractFolder);
    std::vector<std::string> names;
    for (const TestMember& member : members)
        names.push_back(SlashesToBackslashes(member.name));
    EXPECT_EQ(extraction.Run(archive, names), 4);
    std::map<std::string, std::string> written;
    for (const auto& entry : fs::directory_iterator(extraction.zip.ExtractFolder))
        written[entry.path().filename().string()] = extraction.out.Read(entry.path().string());
    EXPECT_EQ(written, (std::map<std::string, std::string>{
                           {".a.txt.unz~", "first"}, {"a.txt", "second"}, {"1.2", "third"}, {"b.txt", "fourth"}}));
    for (const auto& [name, content] : written)
        EXPECT_FALSE(IsPartFileName(name)) << name;
}

TEST(UnzipLibrary, APartFileIsKnownByItsPrefixAndNeverStaysBehind) {
    for (const auto& [name, part] :
         std::vector<std::pair<std::string, bool>>{{std::string(PartFilePrefix) + "12.34", true},
                                                   {std::string(PartFilePrefix), true},
                                                   {".a.txt.unz~", false},
                                                   {"unz\\1", false},
                                                   {"a.txt", false}})
        EXPECT_EQ(IsPartFileName(name), part) << name;
    // A damaged member that is not kept leaves no part file.
    const std::vector<TestMember> members = {{.name = "bad.txt", .content = "damaged"}};
    Extraction extraction;
    const std::string archive = extraction.WriteDamaged(members);
    extraction.questions.yesNoCancel = {false};
    EXPECT_EQ(extraction.Run(archive, {"bad.txt"}), 0);
    EXPECT_TRUE(fs::is_empty(extraction.zip.ExtractFolder));
}

TEST(UnzipLibrary, EveryPeerArchiveExtractsInsideItsFolderOrNotAtAll) {
    for (const auto& entry : fs::recursive_directory_iterator(PeerArchive(""))) {
        if (!entry.is_regular_file() || entry.path().extension() != ".zip")
            continue;
        Extraction extraction;
        const std::string target = extraction.out.File("target");
        fs::create_directory(target);
        extraction.zip.ExtractFolder = target;
        extraction.questions.yesNoCancel.assign(64, true);
        try {
            extraction.zip.Open(entry.path().string());
        } catch (const ZipException&) {
            continue; // refused with its message, tested above
        }
        for (int i = 0; i < extraction.zip.EntryCount(); ++i)
            extraction.zip.MemberSpecs.push_back(extraction.zip.EntryAt(i).FileName);
        extraction.zip.Extract();
        for (const auto& written : fs::recursive_directory_iterator(extraction.out.Path())) {
            const fs::path relative = fs::relative(written.path(), target);
            EXPECT_TRUE(written.path() == target || (!relative.empty() && *relative.begin() != ".."))
                << entry.path() << ": " << written.path();
            EXPECT_FALSE(written.path().filename().string().ends_with(".unz~")) << written.path();
        }
    }
}

} // namespace
