// SPDX-License-Identifier: GPL-3.0-or-later
// The zip directory reader: finding the end record, reading the directory, names, and refusing what is not a
// sound classic zip archive with a clear error.
#include "zip/Zip.h"

#include "platform/Volumes.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "zip/ZipBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace {

namespace fs = std::filesystem;

// The message of the ZipException that `open` raises; empty when it raises none.
template <class F> std::string ZipError(F&& open) {
    try {
        open();
    } catch (const ZipException& error) {
        return error.what();
    }
    return {};
}

std::vector<std::string> Names(const TZip& zip) {
    std::vector<std::string> names;
    for (int i = 0; i < zip.EntryCount(); ++i)
        names.push_back(zip.EntryAt(i).FileName);
    return names;
}

const std::vector<TestMember> TwoMembers = {{.name = "scripts/mp_x.arena", .content = "map \"mp_x\"\n"},
                                            {.name = "readme.txt", .content = std::string(300, 'r'), .deflate = true}};

TEST(ZipReader, FindsTheEndRecordWithOrWithoutAComment) {
    TestFolder folder;
    const std::string plain = folder.Write("plain.zip", MakeZip(TwoMembers));
    const std::string comment(100, 'c');
    const std::string commented = folder.Write("commented.zip", MakeZip(TwoMembers, comment));
    const std::string longest(65535, 'L');
    const std::string longestComment = folder.Write("longest.zip", MakeZip(TwoMembers, longest));

    TZip zip;
    zip.Open(plain);
    EXPECT_EQ(zip.EndRecordPos(), static_cast<std::int64_t>(fs::file_size(plain)) - 22);
    EXPECT_EQ(Names(zip), (std::vector<std::string>{"scripts\\mp_x.arena", "readme.txt"}));
    EXPECT_EQ(zip.ArchiveComment(), "");

    zip.Open(commented);
    EXPECT_EQ(zip.ArchiveComment(), comment);
    EXPECT_EQ(zip.EntryCount(), 2);

    // A comment of the greatest length puts the record 65535 + 22 bytes before the end.
    zip.Open(longestComment);
    EXPECT_EQ(zip.ArchiveComment(), longest);
    EXPECT_EQ(zip.EndRecordPos(), static_cast<std::int64_t>(fs::file_size(longestComment)) - 65535 - 22);
    EXPECT_EQ(zip.EntryCount(), 2);
}

TEST(ZipReader, EmptyArchiveIsItsEndRecord) {
    // The 22 bytes of an empty archive are its end record, found by the first probe.
    TestFolder folder;
    TZip zip;
    zip.Open(folder.Write("empty.zip", MakeZip({})));
    EXPECT_EQ(zip.EndRecordPos(), 0);
    EXPECT_EQ(zip.EntryCount(), 0);
}

TEST(ZipReader, ReadsAnArchiveBehindForeignBytes) {
    TestFolder folder;
    TZip zip;
    zip.Open(folder.Write("prefixed.zip", std::string(20, 'x') + MakeZip(TwoMembers)));
    EXPECT_EQ(Names(zip), (std::vector<std::string>{"scripts\\mp_x.arena", "readme.txt"}));
}

TEST(ZipReader, MissingFileBecomesAnEmptyArchive) {
    TestFolder folder;
    const std::string path = folder.File("new.zip");
    TZip zip;
    zip.Open(path);
    EXPECT_EQ(zip.EntryCount(), 0);
    EXPECT_EQ(folder.Read("new.zip"), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
}

TEST(ZipReader, MissingFileThatCannotBeCreatedIsNamed) {
    TestFolder folder;
    const std::string path = folder.File("no-such-folder/new.zip");
    TZip zip;
    const std::string message = ZipError([&] { zip.Open(path); });
    EXPECT_EQ(message.rfind("Unable to create \n\"" + path + "\"\n", 0), 0u) << message;
    EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
}

TEST(ZipReader, EmptyPathGivesAnEmptyListAndStillReportsTheChange) {
    TZip zip;
    int changes = 0;
    zip.OnContentsChanged = [&](TZip&) { ++changes; };
    zip.Open("");
    EXPECT_EQ(zip.EntryCount(), 0);
    EXPECT_EQ(changes, 1);
}

TEST(ZipReader, EntryAtChecksItsIndex) {
    TestFolder folder;
    TZip zip;
    zip.Open(folder.Write("a.zip", MakeZip(TwoMembers)));
    EXPECT_EQ(zip.EntryAt(1).FileName, "readme.txt");
    EXPECT_EQ(zip.EntryAt(1).Header.Method, 8);
    EXPECT_EQ(zip.EntryAt(1).Header.UncompressedSize, 300u);
    for (const int index : {-1, zip.EntryCount()})
        EXPECT_EQ(ZipError([&] { zip.EntryAt(index); }), "Index range error") << index;
}

TEST(ZipReader, NamesAreDecodedByTheirHostAndFlag) {
    struct Case {
        int host;
        int zipVersion;
        std::uint16_t flags;
        std::string stored;
        std::string listed;
    };
    const std::vector<Case> cases = {
        {0, 20, 0, "m\x81nchen/\xE1.arena", "m\xC3\xBCnchen\\\xC3\x9F.arena"},   // MS-DOS: code page 437
        {6, 20, 0, "\x81", "\xC3\xBC"},                                          // OS/2 HPFS: code page 437
        {11, 50, 0, "\x81", "\xC3\xBC"},                                         // NTFS 5.0: code page 437
        {11, 20, 0, "\xE9", "\xC3\xA9"},                                         // NTFS 2.0: Windows-1252
        {3, 20, 0, "m\xFCnchen/\xE9.arena", "m\xC3\xBCnchen\\\xC3\xA9.arena"},   // Unix: Windows-1252
        {3, 20, 0, "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},                    // Unix: valid UTF-8
        {0, 20, 0x0800, "\xE4\xB8\x96\xE7\x95\x8C", "\xE4\xB8\x96\xE7\x95\x8C"}, // UTF-8 flag on a DOS host
    };
    TestFolder folder;
    for (const Case& c : cases) {
        TZip zip;
        zip.Open(folder.Write(
            "names.zip",
            MakeZip(
                {{.name = c.stored, .content = "x", .host = c.host, .zipVersion = c.zipVersion, .flags = c.flags}})));
        EXPECT_EQ(zip.EntryAt(0).FileName, c.listed) << "host " << c.host;
        EXPECT_EQ(zip.OemNames(), c.host == 0 || c.host == 6 || (c.host == 11 && c.zipVersion == 50));
    }
}

const std::string Damaged = "\"%s\"\nis damaged or a ZIP64 archive: its directory holds another number of members "
                            "than it says; only classic Zip files can be read.";
const std::string TooLong = "\"%s\"\nis damaged or a ZIP64 archive: its directory is longer than the members it "
                            "lists; only classic Zip files can be read.";

TEST(ZipReader, AZipInTheCommentOfAnotherIsNotTakenForIt) {
    // The inner archive's end record is the last one in the file and reaches its end, but its directory does not
    // end where that record begins.
    TestFolder folder;
    const std::string inner = MakeZip({{.name = "inner.txt", .content = "inner"}});
    TZip zip;
    zip.Open(folder.Write("outer.zip", MakeZip(TwoMembers, inner)));
    EXPECT_EQ(Names(zip), (std::vector<std::string>{"scripts\\mp_x.arena", "readme.txt"}));
    EXPECT_EQ(zip.ArchiveComment(), inner);
}

TEST(ZipReader, RefusesWhatIsNotAClassicZipFile) {
    TestFolder folder;
    const std::string sound = MakeZip(TwoMembers);
    const std::size_t end = sound.size() - 22;
    auto Bytes = [](const std::string& text) { return reinterpret_cast<const unsigned char*>(text.data()); };
    auto Le32 = [](std::uint32_t v) {
        return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
    };
    auto patched = [&](std::size_t at, std::string bytes) {
        std::string copy = sound;
        copy.replace(at, bytes.size(), bytes);
        return copy;
    };
    struct Case {
        std::string name;
        std::string bytes;
        std::string message; // "%s" stands for the path
    };
    const std::vector<Case> cases = {
        {"ten-bytes.zip", "0123456789", "\"%s\"\nis not a valid Zip file."},
        {"no-end-record.zip", sound.substr(0, end), "\"%s\"\nis not a valid Zip file."},
        {"disk-1001.zip", patched(end + 4, std::string("\xE9\x03", 2)), "\"%s\"\nis not a valid Zip file."},
        // 65535 entries cannot stand in the bytes in front of the record: refused before anything is read.
        {"many-entries.zip", patched(end + 8, std::string("\xFE\xFF\xFE\xFF", 4)), "\"%s\"\nis not a valid Zip file."},
        {"huge-directory.zip", patched(end + 12, std::string("\x00\x00\x00\x7F", 4)),
         "\"%s\"\nis not a valid Zip file."},
        {"zip64.zip", patched(end + 8, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"),
         "\"%s\"\nis a ZIP64 archive; only classic Zip files can be read."},
        {"bad-header.zip", patched(end - 46 - 10, "XXXX"), "Error reading 'CentralFileHeader'!"},
        // A count that wrapped at 65 536 says fewer members than the directory holds.
        {"wrapped-count.zip", patched(end + 8, std::string("\x01\x00\x01\x00", 4)), Damaged},
        // The wrapped count of a directory whose size field did not wrap: the size says more than was read.
        {"long-directory.zip", patched(end + 12, Le32(ReadLe32(Bytes(sound) + end + 12) + 1)), TooLong},
    };
    for (const Case& c : cases) {
        const std::string path = folder.Write(c.name, c.bytes);
        std::string expected = c.message;
        if (const auto at = expected.find("%s"); at != std::string::npos)
            expected.replace(at, 2, path);
        TZip zip;
        EXPECT_EQ(ZipError([&] { zip.Open(path); }), expected) << c.name;
        EXPECT_EQ(zip.EntryCount(), 0) << c.name;
    }
}

TEST(ZipReader, LargeArchiveListsAllItsMembers) {
    // 15 000 members make a directory far above one megabyte; the file holds it, so it is read.
    std::vector<TestMember> members;
    for (int i = 0; i < 15000; ++i)
        members.push_back(
            {.name = "textures/some/deep/folder/of/the/game/texture_" + std::to_string(i) + ".jpg", .content = ""});
    TestFolder folder;
    TZip zip;
    zip.Open(folder.Write("big.pk3", MakeZip(members)));
    ASSERT_EQ(zip.EntryCount(), 15000);
    EXPECT_GT(zip.EndRecord().DirectorySize, 1024000u);
    EXPECT_EQ(zip.EntryAt(14999).FileName, "textures\\some\\deep\\folder\\of\\the\\game\\texture_14999.jpg");
}

// Bytes this process has read from files so far (Linux).
long long BytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

TEST(ZipReader, ReadsOnlyTheEndAndTheDirectoryOfALargeArchive) {
    if (BytesReadSoFar() < 0)
        GTEST_SKIP() << "no /proc/self/io here";
    // 5 000 members of 40 000 bytes each: 200 MB, of which the reader needs some 300 KB.
    std::vector<TestMember> members;
    for (int i = 0; i < 5000; ++i)
        members.push_back({.name = "sound/member_" + std::to_string(i) + ".wav", .content = std::string(40000, 'w')});
    TestFolder folder;
    const std::string path = folder.Write("large.pk3", MakeZip(members));
    TZip zip;
    const long long before = BytesReadSoFar();
    zip.Open(path);
    const long long read = BytesReadSoFar() - before;
    ASSERT_EQ(zip.EntryCount(), 5000);
    EXPECT_LT(read, static_cast<long long>(zip.EndRecord().DirectorySize) + 300000) << read;
}

// A removable disk in the drive whose label a test chooses.
class FloppyVolumes final : public Volumes {
public:
    FloppyVolumes() { SetVolumes(this); }
    ~FloppyVolumes() override { SetVolumes(nullptr); }
    int DriveKind(const std::string&) override { return DriveRemovable; }
    std::optional<std::string> VolumeLabel(const std::string&) override { return label; }
    std::optional<std::string> label = "PKBACK# 003";
};

TEST(ZipReader, SpanDiskNumberReadsTheLabelOfARemovableDisk) {
    TestFolder folder;
    const std::string path = folder.Write("disk.zip", "x");
    EXPECT_EQ(SpanDiskNumber(path), 0) << "a fixed disk";
    EXPECT_EQ(DriveKind(""), DriveNoRootDir);
    FloppyVolumes floppy;
    EXPECT_EQ(SpanDiskNumber(path), 3);
    EXPECT_EQ(SpanDiskNumber(folder.File("missing.zip")), 0);
    for (const char* label : {"PKBACK#003", "pkback# 003", "PKBACK# x03", "MYDISK", ""}) {
        floppy.label = label;
        EXPECT_EQ(SpanDiskNumber(path), 0) << label;
    }
    floppy.label = std::nullopt;
    EXPECT_EQ(SpanDiskNumber(path), 0);
}

TEST(ZipReader, UnreadableDriveIsReported) {
    FloppyVolumes floppy;
    floppy.label = std::nullopt;
    TZip zip;
    EXPECT_EQ(ZipError([&] { zip.Open("/any/archive.zip"); }), "Unable to access the selected drive!");
}

TEST(ZipReader, DiskOfASpannedArchiveWithoutEndRecordAsksForTheLastDisk) {
    TestFolder folder;
    const std::string path = folder.Write("span.zip", std::string(100, 'd'));
    FloppyVolumes floppy;
    ScriptedQuestions questions;
    questions.okCancel = {false};
    TZip zip;
    EXPECT_EQ(ZipError([&] { zip.Open(path); }), "");
    EXPECT_EQ(zip.EntryCount(), 0);
    EXPECT_EQ(questions.asked, QStringList{QStringLiteral(
                                   "This is [ Disk 3 ] of a multiple disk Zip file.\nInsert the last disk of the Zip "
                                   "file before pressing [ OK ] to continue ...")});
}

TEST(ZipReader, SpannedDirectoryOnAnotherDiskAsksForIt) {
    // The last disk (number 3) says the directory starts on disk 2; the disk in the drive stays disk 3.
    std::string bytes = MakeZip(TwoMembers);
    const std::size_t end = bytes.size() - 22;
    bytes.replace(end + 4, 4, std::string("\x03\x00\x02\x00", 4));
    TestFolder folder;
    const std::string path = folder.Write("span.zip", bytes);
    FloppyVolumes floppy;
    ScriptedQuestions questions;
    questions.okCancel = {true, false};
    TZip zip;
    zip.Open(path);
    EXPECT_EQ(zip.EntryCount(), 0);
    const QString insert = QStringLiteral(
        "Insert [ Disk 2 ] of the Zip file into the floppy drive\nbefore pressing [ OK ] to continue ...");
    EXPECT_EQ(questions.asked, (QStringList{insert, insert}));
}

struct PeerCase {
    std::string file;
    std::vector<std::string> names;     // empty with an error expected
    std::optional<std::string> comment; // nullopt where it is not checked
    std::string error;                  // start of the expected ZipException message, empty for a listing
};

const std::vector<std::string> GoTestNames = {"test.txt", "gophercolor16x16.png"};
const std::string GoComment = "This is a zipfile comment.";
const std::vector<std::string> WindowsNames = {"hello", "dir\\bar", "dir\\empty\\", "readonly"};
const std::vector<std::string> FooBar = {"foo.txt", "bar.txt"};
const std::string World = "\xE4\xB8\x96\xE7\x95\x8C";

const std::vector<PeerCase> PeerCases = {
    {"go/test.zip", GoTestNames, GoComment, ""},
    {"go/test-trailing-junk.zip", GoTestNames, GoComment, ""},
    {"go/test-prefix.zip", GoTestNames, GoComment, ""},
    {"go/test-baddirsz.zip", GoTestNames, GoComment, ""},
    {"go/test-badbase.zip", GoTestNames, GoComment, ""},
    {"go/readme.notzip", {}, "", "\""},
    {"go/dd.zip", {"filename"}, "", ""},
    {"go/winxp.zip", WindowsNames, "", ""},
    {"go/unix.zip", WindowsNames, "", ""},
    {"go/crc32-not-streamed.zip", FooBar, "", ""},
    {"go/go-with-datadesc-sig.zip", FooBar, "", ""},
    {"go/go-no-datadesc-sig.zip", FooBar, "", ""},
    {"go/zip64.zip", {}, "", "\""},
    {"go/zip64-2.zip", {}, "", "\""},
    {"go/utf8-7zip.zip", {World}, "", ""},
    {"go/utf8-infozip.zip", {World}, "", ""},
    {"go/utf8-osx.zip", {World}, "", ""},
    {"go/utf8-winrar.zip", {World}, "", ""},
    {"go/utf8-winzip.zip", {World}, "", ""},
    {"libzip/testempty.zip", {}, "", ""},
    {"libzip/bogus.zip", {}, "", "\""},
    {"libzip/testfile-truncated.zip", {}, "", "\""},
    {"libzip/junk-at-start.zip", {"test", "testdir\\", "testdir\\test2"}, "", ""},
    {"libzip/junk-at-end.zip", {"test", "testdir\\", "testdir\\test2"}, "", ""},
    // The outer archive's comment is the inner archive, whose end record is not taken for the outer one's.
    {"libzip/zip-in-archive-comment.zip", {"test"}, std::nullopt, ""},
    {"libzip/encrypt.zip", {"encrypted", "plain"}, "", ""},
};

TEST(ZipPeers, ListsWhatTheirOwnSuitesExpect) {
    for (const PeerCase& c : PeerCases) {
        const std::string path = PeerArchive(c.file);
        TZip zip;
        const std::string error = ZipError([&] { zip.Open(path); });
        if (!c.error.empty()) {
            EXPECT_EQ(error.rfind(c.error + path + "\"\n", 0), 0u) << c.file << ": " << error;
            continue;
        }
        EXPECT_EQ(error, "") << c.file;
        EXPECT_EQ(Names(zip), c.names) << c.file;
        if (c.comment) {
            EXPECT_EQ(zip.ArchiveComment(), *c.comment) << c.file;
        }
    }
}

TEST(ZipPeers, Zip64ArchivesAreRefusedAsSuch) {
    for (const char* file : {"go/zip64.zip", "go/zip64-2.zip", "libzip/zip64.zip", "libzip/zip64-3mf.zip"}) {
        TZip zip;
        EXPECT_NE(ZipError([&] { zip.Open(PeerArchive(file)); }).find("is a ZIP64 archive"), std::string::npos) << file;
    }
}

TEST(ZipPeers, CommentsAndCodePages) {
    TZip zip;
    zip.Open(PeerArchive("go/readme.zip"));
    EXPECT_EQ(zip.ArchiveComment().size(), 1125u);
    zip.Open(PeerArchive("libzip/testfile-long-comment.zip"));
    EXPECT_EQ(zip.ArchiveComment().size(), 22781u);
    // A Unix host without the UTF-8 flag: the bytes are Windows-1252, not code page 437.
    zip.Open(PeerArchive("libzip/test-cp437.zip"));
    ASSERT_EQ(zip.EntryCount(), 16);
    EXPECT_FALSE(zip.OemNames());
    EXPECT_EQ(zip.EntryAt(4).FileName, "ABCDEFGHIJKLMNOP");
}

TEST(ZipPeers, EveryArchiveGivesAListingOrAClearError) {
    for (const auto& entry : fs::recursive_directory_iterator(PeerArchive(""))) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md" || entry.path().extension() == ".png")
            continue;
        TZip zip;
        try {
            zip.Open(entry.path().string());
            for (int i = 0; i < zip.EntryCount(); ++i)
                EXPECT_FALSE(zip.EntryAt(i).FileName.find('/') != std::string::npos) << entry.path();
        } catch (const ZipException& error) {
            EXPECT_NE(std::string(error.what()), "") << entry.path();
            EXPECT_EQ(zip.EntryCount(), 0) << entry.path();
        }
    }
}

} // namespace
