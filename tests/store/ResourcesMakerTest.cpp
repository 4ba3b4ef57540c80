// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ResourcesMaker.h"
#include "store/FileAttributes.h"
#include "store/FileRoutines.h"
#include "store/ResourceFormat.h"

#include "StoreTestSupport.h"
#include "support/TestFolder.h"

#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include <zlib.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t Header = HeaderSize;
constexpr std::size_t Trailer = TrailerSize;

// A test folder with a store file "store.bin" in it.
class ResourcesMakerTest : public testing::Test {
protected:
    std::string StorePath() const { return folder.File("store.bin"); }
    std::string StoreBytes() const { return folder.Read("store.bin"); }

    // Adds a file of `content` under `name` to the store at `path` in one short-lived store.
    void AddMember(const std::string& name, const std::string& content, const std::string& path = {}) {
        const std::string source = folder.Write("sources/" + std::to_string(sources++), content);
        TResourcesMaker(path.empty() ? StorePath() : path, "").AddResource(source, name, true);
    }

    TestFolder folder;
    int sources = 0;
};

TEST_F(ResourcesMakerTest, NewStoreIsItsTrailerAlone) {
    {
        TResourcesMaker store(StorePath(), "");
        EXPECT_EQ(store.Count(), 0);
        EXPECT_EQ(store.FileName(), StorePath());
        EXPECT_EQ(store.CompressionLevel(), 1);
    }
    EXPECT_EQ(StoreBytes(), std::string("rmResourcesFiles") + std::string(12, '\0'));
}

TEST_F(ResourcesMakerTest, OneMemberLiesBetweenHeaderAndTrailer) {
    const std::string content = SampleText(1000);
    AddMember("member.dat", content);
    const std::string bytes = StoreBytes();
    const std::string packed = ZlibCompress(content, Z_DEFAULT_COMPRESSION);
    ASSERT_EQ(bytes.size(), Header + packed.size() + Trailer);

    EXPECT_EQ(bytes.substr(0, 16), "<$1801%%ODCDPH$>");
    EXPECT_EQ(bytes.substr(16, 261), "member.dat" + std::string(251, '\0'));
    EXPECT_EQ(bytes.substr(277, 3), std::string(3, '\0'));
    EXPECT_EQ(Int32At(bytes, 280), static_cast<std::int32_t>(packed.size()));
    EXPECT_EQ(Int32At(bytes, 284), 1000);
    EXPECT_EQ(Int32At(bytes, 288), 0x20);
    EXPECT_EQ(bytes.substr(Header, packed.size()), packed);
    const std::string trailer = bytes.substr(Header + packed.size());
    EXPECT_EQ(trailer, std::string("rmResourcesFiles") + std::string(12, '\0'));

    TResourcesMaker store(StorePath(), "");
    TResourceHeader header;
    EXPECT_EQ(store.GetHeader("member.dat", header), 292);
    EXPECT_EQ(header.packedSize, static_cast<std::int32_t>(packed.size()));
}

TEST_F(ResourcesMakerTest, MemberDataIsAZlibStreamThatPythonInflates) {
    if (std::system("python3 -c pass") != 0)
        GTEST_SKIP() << "python3 is missing";
    const std::string content = SampleText(50'000) + RandomBytes(20'000, 7);
    AddMember("mixed.bin", content);
    const std::string bytes = StoreBytes();
    const std::string data = bytes.substr(Header, bytes.size() - Header - Trailer);
    folder.Write("data.z", data);
    folder.Write("original", content);
    const std::string command = "python3 -c \"import zlib,sys; a=open(sys.argv[1],'rb').read(); "
                                "b=open(sys.argv[2],'rb').read(); sys.exit(0 if zlib.decompress(a)==b else 3)\" " +
                                folder.File("data.z") + " " + folder.File("original");
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST_F(ResourcesMakerTest, CompressionLevelSelectsTheZlibLevel) {
    const std::vector<std::pair<int, int>> levels{{0, 9}, {1, 6}, {2, 1}, {3, 0}, {-4, 0}};
    const std::string content = SampleText(20'000);
    for (const auto& [setting, zlibLevel] : levels) {
        fs::remove(StorePath());
        const std::string source = folder.Write("level.txt", content);
        {
            TResourcesMaker store(StorePath(), "");
            store.SetCompressionLevel(setting);
            store.AddResource(source, "level.txt", false);
        }
        EXPECT_EQ(StoreBytes().substr(Header, ZlibCompress(content, zlibLevel).size() + Trailer),
                  ZlibCompress(content, zlibLevel) + "rmResourcesFiles" + std::string(12, '\0'))
            << setting;
    }
}

TEST_F(ResourcesMakerTest, StoreOnAHostKeepsTheHostBytes) {
    const std::string host = RandomBytes(1234, 3);
    folder.Write("store.bin", host);
    {
        TResourcesMaker store(StorePath(), "");
        EXPECT_EQ(store.Count(), 0);
    }
    std::string bytes = StoreBytes();
    ASSERT_EQ(bytes.size(), host.size() + Trailer);
    EXPECT_EQ(bytes.substr(0, host.size()), host);
    EXPECT_EQ(bytes.substr(host.size(), 16), "rmResourcesFiles");
    EXPECT_EQ(Int32At(bytes, host.size() + 16), 1234);

    AddMember("a.txt", "alpha");
    AddMember("b.txt", "beta");
    {
        TResourcesMaker store(StorePath(), "");
        ASSERT_EQ(store.Count(), 2);
        TResourceHeader header;
        EXPECT_EQ(store.GetHeader("a.txt", header), 1234 + 292);
        store.ExtractResource(folder.File("out"), "b.txt", false, epFileNameOnly);
        store.DeleteResource("a.txt");
        store.DeleteResource("b.txt");
    }
    EXPECT_EQ(folder.Read("out/b.txt"), "beta");
    bytes = StoreBytes();
    EXPECT_EQ(bytes.substr(0, host.size()), host);
    EXPECT_EQ(bytes.size(), host.size() + Trailer);
    EXPECT_EQ(Int32At(bytes, host.size() + 16), 1234);
}

TEST_F(ResourcesMakerTest, EmptyMemberHasNoDataAndExtractsAsAnEmptyFile) {
    AddMember("empty.txt", "");
    const std::string bytes = StoreBytes();
    ASSERT_EQ(bytes.size(), Header + Trailer);
    EXPECT_EQ(Int32At(bytes, 280), 0);
    EXPECT_EQ(Int32At(bytes, 284), 0);
    TResourcesMaker store(StorePath(), "");
    EXPECT_EQ(store.GetExtraInfos(0).RatioText, "0%");
    EXPECT_EQ(store.GetExtraInfos(0).SizeText, "0 Octets");
    folder.Write("out/empty.txt", "old content");
    store.ExtractResource(folder.File("out"), "empty.txt", true, epFileNameOnly);
    EXPECT_TRUE(fs::exists(folder.File("out/empty.txt")));
    EXPECT_EQ(folder.Read("out/empty.txt"), "");
}

TEST_F(ResourcesMakerTest, ReplacingMovesTheMemberToTheEndAndKeepsCount) {
    AddMember("a.txt", "first a");
    AddMember("b.txt", "b");
    AddMember("c.txt", "c");
    const std::string before = StoreBytes();
    const std::string source = folder.Write("new.txt", "second a, longer than the first");
    {
        TResourcesMaker store(StorePath(), "");
        try {
            store.AddResource(source, "A.TXT", false);
            FAIL() << "no error";
        } catch (const ErmResAlreadyExists& error) {
            EXPECT_STREQ(error.what(), "La ressource existe déjà");
        }
    }
    EXPECT_EQ(StoreBytes(), before);
    {
        TResourcesMaker store(StorePath(), "");
        store.AddResource(source, "a.txt", true);
        EXPECT_EQ(store.Count(), 3);
        EXPECT_EQ(store.ResourceName(0), "b.txt");
        EXPECT_EQ(store.ResourceName(2), "a.txt");
        store.ExtractResource(folder.File("out"), "a.txt", false, epFileNameOnly);
    }
    EXPECT_EQ(folder.Read("out/a.txt"), "second a, longer than the first");
    EXPECT_EQ(TResourcesMaker(StorePath(), "").Count(), 3);
}

TEST_F(ResourcesMakerTest, NamesMatchWithTheLettersAToZFolded) {
    AddMember("Default.ini", "[MainForm]");
    AddMember("é.txt", "small e");
    TResourcesMaker store(StorePath(), "");
    EXPECT_TRUE(store.ResourceExists("DEFAULT.INI"));
    EXPECT_TRUE(store.ResourceExists("default.ini"));
    EXPECT_FALSE(store.ResourceExists("default.ini "));
    EXPECT_FALSE(store.ResourceExists("É.txt"));
    store.ExtractResource(folder.File("out"), "dEfAuLt.InI", false, epFileNameOnly);
    EXPECT_EQ(folder.Read("out/dEfAuLt.InI"), "[MainForm]");
    EXPECT_THROW(store.AddResource(folder.Write("x", "x"), "DEFAULT.ini", false), ErmResAlreadyExists);
    store.AddResource(folder.Write("y", "capital"), "É.txt", false);
    EXPECT_EQ(store.Count(), 3);
}

TEST_F(ResourcesMakerTest, ExtractionOverAReadOnlyFileTakesTheStoredAttributes) {
    struct AttributeCase {
        std::uint32_t sourceAttributes;
        std::uint32_t expected;
    };
    for (const auto& [sourceAttributes, expected] : std::vector<AttributeCase>{
             {FileAttributeArchive, FileAttributeArchive},
             {FileAttributeArchive | FileAttributeReadOnly, FileAttributeArchive | FileAttributeReadOnly}}) {
        fs::remove(StorePath());
        const std::string source = folder.Write("source.txt", "new content");
        SetFileAttributes(source, sourceAttributes);
        TResourcesMaker(StorePath(), "").AddResource(source, "target.txt", false);
        SetFileAttributes(source, FileAttributeArchive);
        const std::string target = folder.Write("out/target.txt", "old read-only content");
        SetFileAttributes(target, FileAttributeReadOnly | FileAttributeArchive);

        TResourcesMaker store(StorePath(), "");
        EXPECT_EQ(store.ResourceAttributes(0), static_cast<std::int32_t>(sourceAttributes));
        EXPECT_THROW(store.ExtractResource(folder.File("out"), "target.txt", false, epFileNameOnly),
                     ErmFileAlreadyExists);
        EXPECT_EQ(folder.Read("out/target.txt"), "old read-only content");
        store.ExtractResource(folder.File("out"), "target.txt", true, epFileNameOnly);
        EXPECT_EQ(folder.Read("out/target.txt"), "new content");
        EXPECT_EQ(GetFileAttributes(target), expected);
        SetFileAttributes(target, FileAttributeArchive);
    }
}

TEST_F(ResourcesMakerTest, ExtractionCreatesTheMissingFolders) {
    AddMember("Mod\\a.txt", "a");
    TResourcesMaker store(StorePath(), "");
    store.ExtractResource(folder.File("deep/new"), "Mod\\a.txt", false, epLastFolder);
    EXPECT_EQ(folder.Read("deep/new/Mod/a.txt"), "a");
    store.ExtractResource(folder.File("other/deep"), "Mod\\a.txt", false, epFileNameOnly);
    EXPECT_EQ(folder.Read("other/deep/a.txt"), "a");
}

TEST_F(ResourcesMakerTest, DeletingTheFirstOrLastMemberCopiesTheRest) {
    const std::vector<std::string> names{"one.txt", "two.txt", "three.txt"};
    for (std::size_t deleted : {std::size_t{0}, std::size_t{2}}) {
        fs::remove(StorePath());
        for (const std::string& name : names)
            AddMember(name, SampleText(300 + name.size() * 100));
        const std::string before = StoreBytes();
        // Each member's bytes, cut from the file by walking the headers.
        std::vector<std::string> members;
        for (std::size_t at = 0; at + Trailer < before.size();) {
            const std::size_t length = Header + static_cast<std::size_t>(Int32At(before, at + 280));
            members.push_back(before.substr(at, length));
            at += length;
        }
        ASSERT_EQ(members.size(), 3u);
        std::string expected;
        for (std::size_t i = 0; i < members.size(); ++i)
            if (i != deleted)
                expected += members[i];
        expected += before.substr(before.size() - Trailer);
        {
            TResourcesMaker store(StorePath(), "");
            store.DeleteResource(names[deleted]);
            EXPECT_EQ(store.Count(), 2);
            EXPECT_FALSE(store.ResourceExists(names[deleted]));
            for (std::size_t i = 0; i < names.size(); ++i)
                if (i != deleted)
                    store.ExtractResource(folder.File("out"), names[i], true, epFileNameOnly);
        }
        EXPECT_EQ(StoreBytes(), expected) << deleted;
        EXPECT_EQ(folder.Read("out/" + names[1]), SampleText(300 + names[1].size() * 100));
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), 3) << "no copy left beside the store";
    }
}

TEST_F(ResourcesMakerTest, DeletingAMissingNameRaisesNotFound) {
    AddMember("a.txt", "a");
    TResourcesMaker store(StorePath(), "");
    try {
        store.DeleteResource("Missing.txt");
        FAIL() << "no error";
    } catch (const ErmResNotFound& error) {
        EXPECT_STREQ(error.what(), "La ressource n'existe pas (Missing.txt)");
    }
    EXPECT_THROW(store.ExtractResource(folder.Path(), "b.txt", true, epFileNameOnly), ErmResNotFound);
    TResourceHeader header;
    EXPECT_THROW(store.GetHeader("", header), ErmResNotFound);
}

TEST_F(ResourcesMakerTest, PathModesPlaceTheMemberBelowTheFolder) {
    struct PathCase {
        std::string storedName;
        TExtractPathMode mode;
        std::string expected;
    };
    const std::vector<PathCase> cases{
        {"BriselaMod_v2\\PRM_5.pk3", epFileNameOnly, "PRM_5.pk3"},
        {"BriselaMod_v2\\PRM_5.pk3", epLastFolder, "BriselaMod_v2/PRM_5.pk3"},
        {"BriselaMod_v2\\PRM_5.pk3", epFullPath, "BriselaMod_v2/PRM_5.pk3"},
        {"C:\\Game\\main\\maps.txt", epFileNameOnly, "maps.txt"},
        {"C:\\Game\\main\\maps.txt", epLastFolder, "main/maps.txt"},
        {"C:\\Game\\main\\maps.txt", epFullPath, "Game/main/maps.txt"},
        {"plain.txt", epLastFolder, "plain.txt"},
        {"plain.txt", epFullPath, "plain.txt"},
        {"\\rooted\\x.txt", epFullPath, "rooted/x.txt"},
    };
    for (const auto& [storedName, mode, expected] : cases) {
        fs::remove(StorePath());
        AddMember(storedName, storedName);
        const std::string out = folder.File("out" + std::to_string(mode));
        TResourcesMaker(StorePath(), "").ExtractResource(out + "/", storedName, false, mode);
        EXPECT_EQ(folder.Read(JoinPath(out, expected)), storedName) << storedName << " " << mode;
        fs::remove_all(out);
    }
}

TEST_F(ResourcesMakerTest, EmptyStoredNameStoresTheSourcePathWithBackslashes) {
    folder.Write("BriselaMod_v2/PRM_5.pk3", SampleText(5000));
    const fs::path previous = fs::current_path();
    fs::current_path(folder.Path());
    {
        TResourcesMaker store("store.bin", "");
        store.AddResource("BriselaMod_v2/PRM_5.pk3", "", false);
        EXPECT_EQ(store.ResourceName(0), "BriselaMod_v2\\PRM_5.pk3");
        const THeadExtraInfos infos = store.GetExtraInfos(0);
        EXPECT_EQ(infos.Path, "BriselaMod_v2\\");
        EXPECT_EQ(infos.FileName, "PRM_5.pk3");
        EXPECT_EQ(infos.TypeName, "Fichier PK3");
        EXPECT_EQ(infos.SizeText, SizeToText(5000));
        EXPECT_EQ(infos.PackedSizeText, SizeToText(static_cast<std::uint32_t>(store.PackedSize(0))));
        EXPECT_EQ(infos.RatioText, std::to_string(100 - store.PackedSize(0) * 100 / 5000) + "%");
        EXPECT_EQ(infos.AttributeText, "Archive");
        EXPECT_EQ(infos.IconIndex, 0);
        EXPECT_TRUE(store.ResourceExists("briselamod_v2/prm_5.PK3"));
        store.ExtractResource("Game/BriselaMOD_v2", "BriselaMod_v2\\PRM_5.pk3", false, epFileNameOnly);
    }
    fs::current_path(previous);
    EXPECT_EQ(folder.Read("Game/BriselaMOD_v2/PRM_5.pk3"), SampleText(5000));
}

TEST_F(ResourcesMakerTest, IndexesPastTheLastGiveEmptyAnswers) {
    AddMember("a.txt", "a");
    TResourcesMaker store(StorePath(), "");
    for (int index : {1, 2, -1}) {
        EXPECT_EQ(store.ResourceName(index), "");
        EXPECT_EQ(store.RealSize(index), -1);
        EXPECT_EQ(store.PackedSize(index), -1);
        EXPECT_EQ(store.ResourceAttributes(index), -1);
        EXPECT_THROW(store.GetExtraInfos(index), EResourcesMaker);
    }
    EXPECT_EQ(store.RealSize(0), 1);
}

TEST_F(ResourcesMakerTest, RatioTextFollowsTheIntegerFormula) {
    AddMember("random.bin", RandomBytes(200, 11));
    AddMember("text.txt", SampleText(3000));
    TResourcesMaker store(StorePath(), "");
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(store.GetExtraInfos(i).RatioText,
                  std::to_string(100 - std::int64_t{store.PackedSize(i)} * 100 / store.RealSize(i)) + "%");
    EXPECT_EQ(store.GetExtraInfos(0).RatioText.front(), '-') << "random bytes grow when packed";
}

TEST_F(ResourcesMakerTest, PasswordIsCheckedWithLetterCaseIgnored) {
    { TResourcesMaker store(StorePath(), "secret"); }
    const std::string bytes = StoreBytes();
    EXPECT_EQ(bytes.substr(20, 8), ScramblePassWord("SECRET", 2) + std::string(2, '\0'));
    EXPECT_NO_THROW(TResourcesMaker(StorePath(), "SeCrEt"));
    for (const char* wrong : {"", "secret2", "other"}) {
        try {
            TResourcesMaker store(StorePath(), wrong);
            FAIL() << wrong;
        } catch (const ErmInvalidPassWord& error) {
            EXPECT_STREQ(error.what(), "Mot de passe invalide");
        }
    }
    const std::string plain = folder.Write("plain.bin", "x");
    EXPECT_NO_THROW(TResourcesMaker(plain, "other")) << "a new trailer takes the given password";
    EXPECT_THROW(TResourcesMaker(plain, ""), ErmInvalidPassWord);
}

TEST_F(ResourcesMakerTest, StoreIsHeldExclusivelyWhileItLives) {
    {
        TResourcesMaker first(StorePath(), "");
        EXPECT_THROW(TResourcesMaker(StorePath(), ""), EResourcesMaker);
    }
    EXPECT_NO_THROW(TResourcesMaker(StorePath(), ""));
}

TEST_F(ResourcesMakerTest, ReleaseRemovesTheTemporaryFolder) {
    std::string temp;
    {
        TResourcesMaker store(StorePath(), "");
        temp = store.TempFolder();
        EXPECT_TRUE(fs::is_directory(temp));
        EXPECT_EQ(fs::path(temp).parent_path(), fs::path(GetTempFolder()));
        store.AddResource(folder.Write("a.txt", "a"), "a.txt", false);
        EXPECT_TRUE(fs::exists(JoinPath(temp, "~tmp")));
        TResourcesMaker other(folder.File("other.bin"), "");
        EXPECT_NE(other.TempFolder(), temp);
    }
    EXPECT_FALSE(fs::exists(temp));
}

TEST_F(ResourcesMakerTest, RunningProgramIsOpenedReadOnly) {
    const std::string program = GetProgramPath();
    const auto size = fs::file_size(program);
    TResourcesMaker store(program, "");
    EXPECT_EQ(store.Count(), 0);
    EXPECT_THROW(store.AddResource(folder.Write("a.txt", "a"), "a.txt", false), EResourcesMaker);
    EXPECT_THROW(store.DeleteResource("a.txt"), EResourcesMaker);
    EXPECT_EQ(fs::file_size(program), size);
}

// Records the reports of a store.
class RecordingObserver : public TResourcesObserver {
public:
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void ShowProgress(std::int64_t position, std::int64_t total) override { progress.emplace_back(position, total); }
    void ResourceAdded(const THeadExtraInfos& infos) override { added.push_back(infos.Path + infos.FileName); }
    void ResourceRemoved(const std::string& storedName) override { removed.push_back(storedName); }

    std::vector<std::string> statuses;
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    std::vector<std::string> added;
    std::vector<std::string> removed;
};

TEST_F(ResourcesMakerTest, ObserverHearsStatusProgressAdditionsAndRemovals) {
    const std::string content = RandomBytes(600'000, 5);
    const std::string source = folder.Write("big.bin", content);
    RecordingObserver observer;
    {
        TResourcesMaker store(StorePath(), "");
        store.SetObserver(&observer);
        store.AddResource(source, "Mod\\big.bin", false);
        store.ExtractResource(folder.File("out"), "mod\\BIG.bin", false, epFileNameOnly);
        store.DeleteResource("MOD\\big.bin");
    }
    EXPECT_EQ(observer.statuses,
              (std::vector<std::string>{"Mod\\big.bin", "Mod\\big.bin", "mod\\BIG.bin", "MOD\\big.bin"}));
    ASSERT_GE(observer.progress.size(), 3u);
    EXPECT_EQ(observer.progress.front().second, 600'000);
    EXPECT_LT(observer.progress.front().first, 600'000);
    EXPECT_TRUE(std::is_sorted(observer.progress.begin(), observer.progress.end() - 2));
    EXPECT_EQ(observer.progress[observer.progress.size() - 3],
              std::make_pair(std::int64_t{600'000}, std::int64_t{600'000}));
    EXPECT_EQ(observer.progress.back(), std::make_pair(std::int64_t{0}, std::int64_t{0}));
    EXPECT_EQ(observer.added, std::vector<std::string>{"Mod\\big.bin"});
    EXPECT_EQ(observer.removed, std::vector<std::string>{"Mod\\big.bin"});
    EXPECT_EQ(folder.Read("out/BIG.bin"), content) << "the file takes the name as asked";
}

TEST_F(ResourcesMakerTest, DamagedChainIsSkippedAFurtherByteAtEachMiss) {
    const std::string data = ZlibCompress("found", Z_DEFAULT_COMPRESSION);
    const TResourceHeader header{"found.txt", static_cast<std::int32_t>(data.size()), 5, 0x20};
    // Misses at 0, then 293, 587, 882: a member is found only where a try lands.
    for (const auto& [junk, found] : std::vector<std::pair<std::size_t, bool>>{
             {0, true}, {293, true}, {587, true}, {882, true}, {292, false}, {300, false}, {586, false}}) {
        folder.Write("store.bin", CraftStore({{header, data}}, std::string(junk, 'j')));
        TResourcesMaker store(StorePath(), "");
        EXPECT_EQ(store.Count(), found ? 1 : 0) << junk;
        if (found) {
            store.ExtractResource(folder.File("out"), "found.txt", true, epFileNameOnly);
            EXPECT_EQ(folder.Read("out/found.txt"), "found");
        }
    }
}

} // namespace
