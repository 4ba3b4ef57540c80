// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/FileRoutines.h"
#include "store/FileAttributes.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <string>
#include <vector>

namespace {

template <typename Argument> struct Case {
    Argument argument;
    std::string expected;
};

TEST(FileRoutinesTest, ScramblePassWordReversesAndShiftsEveryByte) {
    const std::vector<Case<std::string>> cases{
        {"", ""},
        {"A", "C"},
        {"ABC", "EDC"},
        {"SECRET", "VGTEGU"},
        {std::string("\xFF\xFE", 2), std::string("\x00\x01", 2)},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ScramblePassWord(text, 2), expected) << text;
}

TEST(FileRoutinesTest, LastFolderNameTakesTheLastComponentOfATrimmedPath) {
    const std::vector<Case<std::string>> cases{
        {"BriselaMod_v2\\", "BriselaMod_v2"},
        {"C:\\Game\\BriselaMod_v2\\\\", "BriselaMod_v2"},
        {"  Game\\Mod \t", "Mod"},
        {"Mod", "Mod"},
        {"a/b/", "b"},
        {"\\", ""},
        {"", ""},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(LastFolderName(path), expected) << path;
}

TEST(FileRoutinesTest, StripDriveCutsTheDriveAndTheLeadingSeparators) {
    const std::vector<Case<std::string>> cases{
        {"C:\\Game\\Mod", "Game\\Mod"}, {"\\\\Game\\Mod", "Game\\Mod"}, {"Game\\Mod\\", "Game\\Mod\\"}, {"C:", ""},
        {"a:b:\\c", "b:\\c"},           {"/abs/path", "abs/path"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(StripDrive(path), expected) << path;
}

TEST(FileRoutinesTest, SizeToTextUsesDecimalUnits) {
    const std::string point(1, *std::localeconv()->decimal_point);
    const std::vector<Case<std::uint32_t>> cases{
        {0, "0 Octets"},
        {999, "999 Octets"},
        {1000, "1 Ko"},
        {1500, "1" + point + "5 Ko"},
        {999'999, "999" + point + "999 Ko"},
        {2'000'000, "2 Mo"},
        {123'456'789, "123" + point + "456789 Mo"},
        {1'000'000'000, "1 Go"},
        {4'294'967'295, "4" + point + "294967295 Go"},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(SizeToText(bytes), expected) << bytes;
}

TEST(FileRoutinesTest, AttributesToTextListsTheSetBitsInOrder) {
    struct AttributeCase {
        std::uint32_t bits;
        std::string longText;
        std::string shortText;
    };
    const std::vector<AttributeCase> cases{
        {0, "", ""},
        {0x01, "Lecture seule/", "L"},
        {0x21, "Lecture seule/Archive", "LA"},
        {0x27, "Lecture seule/Fichier caché/Fichier Système/Archive", "LCSA"},
        {0x02 | 0x10 | 0x80, "Fichier caché/", "C"},
        {0x20, "Archive", "A"},
    };
    for (const auto& [bits, longText, shortText] : cases) {
        EXPECT_EQ(AttributesToText(bits, true), longText) << bits;
        EXPECT_EQ(AttributesToText(bits, false), shortText) << bits;
    }
}

TEST(FileRoutinesTest, ShellTypeNameJudgesTheNameByItsExtension) {
    const std::vector<Case<std::string>> cases{
        {"default.ini", "Paramètres de configuration"},
        {"README.TXT", "Document texte"},
        {"BriselaMod_v2\\PRM_5.pk3", "Fichier PK3"},
        {"archive.tar.gz", "Fichier GZ"},
        {"folder.d\\Makefile", "Fichier"},
        {"name.", "Fichier"},
        {"x." + std::string(100, 'q'), "Fichier " + std::string(71, 'Q')},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(ShellTypeName(name, true), expected) << name;
        EXPECT_EQ(ShellIconIndex(name, true, false, false), 0);
    }
}

TEST(FileRoutinesTest, ShellTypeNameWithoutUseAttributesNeedsAnExistingFile) {
    TestFolder folder;
    const std::string present = folder.Write("present.txt", "x");
    EXPECT_EQ(ShellTypeName(present, false), "Document texte");
    EXPECT_EQ(ShellTypeName(folder.File("absent.txt"), false), "");
}

// Files that remain after a DeleteFolderFiles call, as paths relative to the folder, sorted.
std::vector<std::string> Remaining(const TestFolder& folder) {
    std::vector<std::string> names;
    if (!std::filesystem::exists(folder.File("root")))
        return names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.File("root")))
        names.push_back(entry.path().lexically_relative(folder.File("root")).string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileRoutinesTest, DeleteFolderFilesFollowsMaskRecurseAndRemoveFolder) {
    struct DeleteCase {
        std::string mask;
        bool recurse;
        bool removeFolder;
        std::vector<std::string> remaining;
    };
    const std::vector<DeleteCase> cases{
        {"*.TXT", false, false, {".hidden", "keep.ini", "sub", "sub/deep.txt", "sub/deep.ini"}},
        {"*.TXT", true, false, {".hidden", "keep.ini", "sub", "sub/deep.ini"}},
        {"*.*", false, true, {"sub", "sub/deep.ini", "sub/deep.txt"}},
        {"*.*", true, true, {}},
        {"*.ini", true, true, {".hidden", "a.txt", "b.TxT", "c.Txt", "link.txt", "ro.txt", "sub", "sub/deep.txt"}},
    };
    for (const auto& [mask, recurse, removeFolder, remaining] : cases) {
        TestFolder folder;
        for (const char* name : {"a.txt", "b.TxT", "c.Txt", "keep.ini", ".hidden", "sub/deep.txt", "sub/deep.ini"})
            folder.Write(std::string("root/") + name, "x");
        const std::string readOnly = folder.Write("root/ro.txt", "x");
        SetFileAttributes(readOnly, FileAttributeReadOnly | FileAttributeArchive);
        std::filesystem::create_directory_symlink(folder.Path(), folder.File("root/link.txt"));
        folder.Write("outside.txt", "must stay");

        DeleteFolderFiles(folder.File("root"), mask, recurse, removeFolder);

        auto expected = remaining;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Remaining(folder), expected) << mask << recurse << removeFolder;
        EXPECT_EQ(folder.Read("outside.txt"), "must stay");
    }
}

TEST(FileRoutinesTest, DeleteFolderFilesOfAMissingFolderReportsNothing) {
    TestFolder folder;
    EXPECT_NO_THROW(DeleteFolderFiles(folder.File("missing"), "*.*", true, true));
}

struct AttributeFile {
    std::string name;
    std::uint32_t setTo;
    std::uint32_t expected;
};

TEST(FileAttributesTest, MapReadOnlyHiddenAndArchiveOntoFileModes) {
    const std::vector<AttributeFile> cases{
        {"plain.txt", FileAttributeArchive, FileAttributeArchive},
        {"locked.txt", FileAttributeReadOnly | FileAttributeArchive, FileAttributeReadOnly | FileAttributeArchive},
        {".hidden", FileAttributeArchive, FileAttributeHidden | FileAttributeArchive},
        {".both", FileAttributeReadOnly, FileAttributeReadOnly | FileAttributeHidden | FileAttributeArchive},
        {"system.sys", FileAttributeSystem | FileAttributeArchive, FileAttributeArchive},
    };
    TestFolder folder;
    for (const auto& [name, setTo, expected] : cases) {
        const std::string path = folder.Write(name, "x");
        SetFileAttributes(path, FileAttributeReadOnly);
        ASSERT_TRUE(SetFileAttributes(path, setTo));
        EXPECT_EQ(GetFileAttributes(path), expected) << name;
    }
    EXPECT_EQ(GetFileAttributes(folder.File("absent")), 0u);
    EXPECT_EQ(GetFileAttributes(folder.Path()), FileAttributeDirectory);
    EXPECT_FALSE(SetFileAttributes(folder.File("absent"), FileAttributeArchive));
}

} // namespace
