// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs that the archive format cannot hold or that a damaged or hostile archive brings: each ends with a clear
// error, and the store stays valid.
#include "store/ResourceFormat.h"
#include "store/ResourcesMaker.h"

#include "StoreTestSupport.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <vector>

#include <zlib.h>

namespace fs = std::filesystem;

namespace {

// Every path below `root`, relative to it.
std::set<std::string> Tree(const std::string& root) {
    std::set<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        paths.insert(entry.path().lexically_relative(root).string());
    return paths;
}

// The message of the EResourcesMaker that `action` throws; fails the test when it throws none.
template <typename Action> std::string ErrorOf(Action action) {
    try {
        action();
    } catch (const EResourcesMaker& error) {
        return error.what();
    }
    ADD_FAILURE() << "no EResourcesMaker";
    return {};
}

class StoreMendsTest : public testing::Test {
protected:
    std::string StorePath() const { return folder.File("store.bin"); }

    TestFolder folder;
};

TEST_F(StoreMendsTest, StoredNamesMustFitTheirField) {
    const std::string source = folder.Write("source.txt", "content");
    struct NameCase {
        std::string name;
        bool fits;
    };
    const std::vector<NameCase> cases{
        {std::string(260, 'n'), true},
        {std::string(261, 'n'), false},
        {std::string(130, 'a') + "\\" + std::string(200, 'b'), false},
        {[] {
             std::string name;
             for (int i = 0; i < 260; ++i)
                 name += "é";
             return name;
         }(),
         true},
        {"snowman \xE2\x98\x83.txt", false},
    };
    for (const auto& [name, fits] : cases) {
        fs::remove(StorePath());
        TResourcesMaker store(StorePath(), "");
        if (fits) {
            store.AddResource(source, name, false);
            EXPECT_EQ(store.ResourceName(0), name);
        } else {
            EXPECT_NE(ErrorOf([&] { store.AddResource(source, name, false); }).find("Nom de ressource"),
                      std::string::npos);
            EXPECT_EQ(store.Count(), 0);
        }
    }
}

TEST_F(StoreMendsTest, PasswordsMustFitSevenBytesOnceScrambled) {
    const std::vector<std::pair<std::string, bool>> cases{
        {"1234567", true}, {"12345678", false}, {"ééééééé", true}, {"\xE2\x98\x83", false}};
    for (const auto& [passWord, fits] : cases) {
        fs::remove(StorePath());
        if (fits) {
            { TResourcesMaker store(StorePath(), passWord); }
            EXPECT_NO_THROW(TResourcesMaker(StorePath(), passWord)) << passWord;
        } else {
            EXPECT_EQ(ErrorOf([&] { TResourcesMaker store(StorePath(), passWord); }),
                      "Mot de passe non accepté : 7 caractères au plus");
            EXPECT_FALSE(fs::exists(StorePath())) << "nothing created for a refused password";
        }
    }
}

TEST_F(StoreMendsTest, FailedReplaceKeepsTheOldMember) {
    const std::string source = folder.Write("a.txt", "old a");
    {
        TResourcesMaker store(StorePath(), "");
        store.AddResource(source, "a.txt", false);
        store.AddResource(folder.Write("b.txt", "b"), "b.txt", false);
    }
    const std::string before = folder.Read("store.bin");
    fs::create_directory(folder.File("a folder"));
    for (const std::string& failing : {folder.File("missing.txt"), folder.File("a folder")}) {
        {
            TResourcesMaker store(StorePath(), "");
            EXPECT_THROW(store.AddResource(failing, "a.txt", true), std::runtime_error) << failing;
            EXPECT_EQ(store.Count(), 2);
        }
        EXPECT_EQ(folder.Read("store.bin"), before);
        TResourcesMaker store(StorePath(), "");
        store.ExtractResource(folder.File("out"), "a.txt", true, epFileNameOnly);
        EXPECT_EQ(folder.Read("out/a.txt"), "old a");
    }
}

TEST_F(StoreMendsTest, StoredNamesNeverLeadOutsideTheDestination) {
    struct EscapeCase {
        std::string storedName;
        TExtractPathMode mode;
        std::string inside; // where the file lands below the destination; empty when refused
    };
    const std::vector<EscapeCase> cases{
        {"..\\evil.txt", epLastFolder, ""},
        {"..\\evil.txt", epFullPath, ""},
        {"..\\evil.txt", epFileNameOnly, "evil.txt"},
        {"a\\..\\..\\evil.txt", epFullPath, ""},
        {"a\\..\\..\\evil.txt", epLastFolder, ""},
        {"a/../../evil.txt", epFullPath, ""},
        {"C:..\\evil.txt", epFullPath, ""},
        {"C:\\..\\evil.txt", epLastFolder, ""},
        {"\\..\\evil.txt", epFullPath, ""},
        {"a\\..", epFileNameOnly, ""},
        {"..", epFullPath, ""},
        {"dir\\", epFileNameOnly, ""},
        // A rooted name lands below the destination; here it names this test's own folder, so that a store that
        // followed it would write where the test looks, never into the system.
        {folder.File("rooted/evil.txt"), epFullPath, folder.File("rooted/evil.txt").substr(1)},
        {"\\\\server\\share\\evil.txt", epFullPath, "server/share/evil.txt"},
        {"a\\.\\b\\evil.txt", epFullPath, "a/b/evil.txt"},
    };
    const std::string source = folder.Write("content.txt", "payload");
    fs::create_directories(folder.File("box/out"));
    for (const auto& [storedName, mode, inside] : cases) {
        fs::remove(StorePath());
        TResourcesMaker store(StorePath(), "");
        store.AddResource(source, storedName, false);
        const std::set<std::string> before = Tree(folder.Path());
        if (inside.empty()) {
            const std::string message =
                ErrorOf([&] { store.ExtractResource(folder.File("box/out"), store.ResourceName(0), true, mode); });
            EXPECT_NE(message.find(store.ResourceName(0)), std::string::npos) << message;
            EXPECT_EQ(Tree(folder.Path()), before) << storedName << " " << mode;
        } else {
            store.ExtractResource(folder.File("box/out"), store.ResourceName(0), true, mode);
            EXPECT_EQ(folder.Read("box/out/" + inside), "payload") << storedName;
            EXPECT_FALSE(fs::exists(folder.File("rooted"))) << storedName;
            fs::remove_all(folder.File("box/out"));
            fs::create_directories(folder.File("box/out"));
        }
    }
}

TEST_F(StoreMendsTest, DamagedMembersFailByNameAndTheStoreStaysUsable) {
    const std::string goodContent = SampleText(4000);
    const std::string good = ZlibCompress(goodContent, Z_DEFAULT_COMPRESSION);
    const std::string content = SampleText(100'000) + RandomBytes(50'000, 9);
    const std::string packed = ZlibCompress(content, Z_DEFAULT_COMPRESSION);
    const auto size = [](const std::string& s) { return static_cast<std::int32_t>(s.size()); };
    std::string flipped = packed;
    flipped[packed.size() / 2] = static_cast<char>(flipped[packed.size() / 2] ^ 0x55);
    std::string badChecksum = packed;
    badChecksum.back() = static_cast<char>(badChecksum.back() ^ 1);
    struct DamageCase {
        const char* what;
        std::int32_t packedSize;
        std::int32_t realSize;
        std::string data;
        const char* reason; // the words of the reason itself, not only of the error around it
    };
    const std::vector<DamageCase> cases{
        {"claims more data than the file holds", 1'000'000, size(content), packed, "au-delà de la fin"},
        // Minus a header's size would lead the directory back onto the same header for ever.
        {"negative packed size", -292, size(content), packed, "au-delà de la fin"},
        {"negative real size", size(packed), -1, packed, "au-delà de la fin"},
        {"flipped byte", size(flipped), size(content), flipped, "incorrect data check"},
        {"wrong checksum", size(badChecksum), size(content), badChecksum, "incorrect data check"},
        {"stream cut short", size(packed) / 2, size(content), packed.substr(0, packed.size() / 2), "incomplet"},
        {"stream longer than announced", size(packed), size(content) - 1, packed, "le flux dépasse"},
        {"stream shorter than announced", size(packed), size(content) + 1, packed, "le flux s'arrête avant"},
        {"not zlib at all", 4000, 4000, std::string(4000, 'x'), "incorrect header check"},
    };
    for (const auto& [what, packedSize, realSize, data, reason] : cases) {
        const TResourceHeader header{"bad.bin", packedSize, realSize, 0x20};
        folder.Write("store.bin", CraftStore({{{"good.txt", size(good), 4000, 0x20}, good}, {header, data}}));
        fs::remove_all(folder.File("out"));
        folder.Write("out/bad.bin", "the old file");
        TResourcesMaker store(StorePath(), "");
        ASSERT_EQ(store.Count(), 2) << what;
        const std::string message =
            ErrorOf([&] { store.ExtractResource(folder.File("out"), "bad.bin", true, epFileNameOnly); });
        EXPECT_NE(message.find("La ressource bad.bin est endommagée ("), std::string::npos) << what << ": " << message;
        EXPECT_NE(message.find(reason), std::string::npos) << what << ": " << message;
        EXPECT_EQ(folder.Read("out/bad.bin"), "the old file") << what;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.File("out")), {}), 1) << "no scratch file left";

        store.ExtractResource(folder.File("out"), "good.txt", true, epFileNameOnly);
        EXPECT_EQ(folder.Read("out/good.txt"), goodContent) << what;
        store.DeleteResource("bad.bin");
        EXPECT_EQ(store.Count(), 1);
        store.AddResource(folder.Write("new.txt", "new"), "new.txt", false);
        fs::copy_file(StorePath(), folder.File("copy.bin"), fs::copy_options::overwrite_existing);
        EXPECT_EQ(TResourcesMaker(folder.File("copy.bin"), "").Count(), 2);
    }
}

TEST_F(StoreMendsTest, NoMemberIsAddedBehindOneThatClaimsTooMuchData) {
    const std::string packed = ZlibCompress("data", Z_DEFAULT_COMPRESSION);
    folder.Write("store.bin", CraftStore({{{"greedy.bin", 1'000'000, 4, 0x20}, packed}}));
    const std::string source = folder.Write("new.txt", "new");
    TResourcesMaker store(StorePath(), "");
    const std::string message = ErrorOf([&] { store.AddResource(source, "new.txt", false); });
    EXPECT_NE(message.find("greedy.bin"), std::string::npos) << message;
    store.DeleteResource("greedy.bin");
    store.AddResource(source, "new.txt", false);
    store.ExtractResource(folder.File("out"), "new.txt", false, epFileNameOnly);
    EXPECT_EQ(folder.Read("out/new.txt"), "new");
}

TEST_F(StoreMendsTest, TrailerPointingOutsideTheFileIsRefused) {
    for (const std::int32_t start : {-1, 1, 1'000'000}) {
        const TTrailerBytes trailer = EncodeTrailer({start, ""});
        folder.Write("store.bin", std::string(trailer.data(), trailer.size()));
        EXPECT_NE(ErrorOf([&] { TResourcesMaker store(StorePath(), ""); }).find("Archive endommagée"),
                  std::string::npos)
            << start;
    }
}

} // namespace
