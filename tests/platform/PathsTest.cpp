// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

#include <unistd.h>

namespace {

struct TrimCase {
    const char* input;
    const char* expected;
};

// Names the case by its input, with blanks and control characters made visible.
void PrintTo(const TrimCase& trimCase, std::ostream* out) {
    if (*trimCase.input == '\0')
        *out << "empty";
    for (const char* c = trimCase.input; *c; ++c) {
        if (*c > ' ')
            *out << *c;
        else
            *out << '_' << int(*c);
    }
}

class TrimFolderPathTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimFolderPathTest, TrimsBlanksThenEveryTrailingSeparator) {
    EXPECT_EQ(TrimFolderPath(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrimFolderPathTest,
                         testing::Values(TrimCase{" /games/cod/// ", "/games/cod"}, // blanks, then the separators
                                         TrimCase{"/", "/"},                        // the root keeps its own
                                         TrimCase{"a/ /", "a/ "}, // the blank before the last one stays
                                         TrimCase{"///", "/"}, TrimCase{" \t/// \n", "/"}, TrimCase{"", ""},
                                         TrimCase{"games", "games"}, TrimCase{"\x01games/\x1f", "games"}));

TEST(PathsTest, TempFolderFollowsTmpdirWithoutTrailingSeparator) {
    const char* saved = std::getenv("TMPDIR");
    const std::string savedValue = saved ? saved : "";
    setenv("TMPDIR", "/var/tmp/quendry-test//", 1);
    EXPECT_EQ(GetTempFolder(), "/var/tmp/quendry-test");
    unsetenv("TMPDIR");
    EXPECT_EQ(GetTempFolder(), "/tmp");
    if (saved)
        setenv("TMPDIR", savedValue.c_str(), 1);
}

TEST(PathsTest, ProgramFolderIsTheExecutablesFolderUnlessOverridden) {
    const std::string path = GetProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(GetProgramFolder() + "/tests_platform", path);
    SetProgramFolderOverride("/opt/quendry");
    EXPECT_EQ(GetProgramFolder(), "/opt/quendry");
    SetProgramFolderOverride(std::nullopt);
    EXPECT_NE(GetProgramFolder(), "/opt/quendry");
}

TEST(PathsTest, JoinPathPutsOneSeparatorBetween) {
    EXPECT_EQ(JoinPath("/games/cod", "main"), "/games/cod/main");
    EXPECT_EQ(JoinPath("/", "maps.ini"), "/maps.ini");
}

// Sets an environment variable for the life of the object, then puts back what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnvironment() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(PathsTest, ConfigHomeIsXdgConfigHomeWhenAbsoluteElseDotConfigInHome) {
    const ScopedEnvironment home("HOME", "/home/admin");
    struct {
        const char* xdg;
        const char* expected;
    } cases[] = {{"/srv/config/", "/srv/config"},
                 {"relative/config", "/home/admin/.config"}, // not a valid value, so ignored
                 {"", "/home/admin/.config"},
                 {nullptr, "/home/admin/.config"}};
    for (const auto& c : cases) {
        const ScopedEnvironment xdg("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(GetConfigHome(), c.expected) << (c.xdg ? c.xdg : "unset");
    }
}

// The temporary folder is every user's: the scratch folder is this user's alone, or it is not used.
TEST(PathsTest, TheScratchFolderIsMadeForThisUserAloneAndAnythingElseThereIsRefused) {
    namespace fs = std::filesystem;
    const TestFolder temp;
    const ScopedEnvironment tmpdir("TMPDIR", temp.Path().c_str());
    const std::string folder = ScratchFolderPath();
    EXPECT_EQ(folder, temp.Path() + "/Quendry-" + std::to_string(::getuid()));
    EXPECT_FALSE(fs::exists(folder)) << "the path alone creates nothing";

    EXPECT_EQ(MakeScratchFolder(), folder);
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
    fs::permissions(folder, fs::perms::all); // opened to everybody since
    EXPECT_EQ(MakeScratchFolder(), folder);
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);

    // What another user may have put there first.
    fs::remove(folder);
    fs::create_directories(temp.File("theirs"));
    fs::create_directory_symlink(temp.File("theirs"), folder);
    EXPECT_THROW(MakeScratchFolder(), std::runtime_error);
    fs::remove(folder);
    temp.Write(folder, "a file");
    try {
        MakeScratchFolder();
        ADD_FAILURE() << "a file taken for the scratch folder";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "The scratch folder " + folder + " is not a folder of this user's");
    }
}

// An install laid out in a test folder: prefix/bin as the program folder, the configuration folder beside it.
class ProgramLayoutTest : public testing::Test {
protected:
    ProgramLayoutTest() : xdg_("XDG_CONFIG_HOME", folder.File("config").c_str()) {
        std::filesystem::create_directories(Bin());
        SetProgramFolderOverride(Bin());
    }
    ~ProgramLayoutTest() override { SetProgramFolderOverride(std::nullopt); }

    std::string Bin() const { return folder.File("prefix/bin"); }
    std::string Share() const { return folder.File("prefix/share/quendry"); }
    std::string User() const { return folder.File("config/quendry"); }
    void Touch(const std::string& path) const {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path) << "x";
    }

    TestFolder folder;

private:
    ScopedEnvironment xdg_;
};

TEST_F(ProgramLayoutTest, AWritableFolderWithItsSideFilesKeepsEverythingBesideTheExecutable) {
    Touch(Bin() + "/data.bin");
    Touch(Share() + "/data.bin"); // an install elsewhere does not matter
    const ProgramFolders folders = GetProgramFolders();
    EXPECT_FALSE(folders.installed);
    EXPECT_EQ(folders.sideFiles, Bin());
    EXPECT_EQ(folders.userFiles, Bin());
    EXPECT_EQ(SideFile("default.bin"), Bin() + "/default.bin");
    EXPECT_EQ(UserFile("maps.ini"), Bin() + "/maps.ini");
    CreateUserFolder(); // "configs" beside the program is the user's to make
    EXPECT_FALSE(std::filesystem::exists(Bin() + "/configs"));
    EXPECT_FALSE(std::filesystem::exists(User()));
}

TEST_F(ProgramLayoutTest, AFolderWithoutSideFilesBesideAnInstallIsInstalled) {
    // Its owner (root in /usr/bin, a user in ~/.local/bin) can write it, and still the side files are installed.
    std::filesystem::create_directories(Share());
    const ProgramFolders folders = GetProgramFolders();
    EXPECT_TRUE(folders.installed);
    EXPECT_EQ(folders.sideFiles, Share());
    EXPECT_EQ(folders.userFiles, User());
    EXPECT_EQ(SideFile("data.bin"), Share() + "/data.bin");
    EXPECT_EQ(UserFile("maps.ini"), User() + "/maps.ini");

    CreateUserFolder();
    EXPECT_TRUE(std::filesystem::is_directory(User() + "/configs"));
    CreateUserFolder(); // and again, when it exists

    // A store that the user changed is read from the user's copy from then on.
    Touch(User() + "/default.bin");
    EXPECT_EQ(SideFile("default.bin"), User() + "/default.bin");
    EXPECT_EQ(SideFile("data.bin"), Share() + "/data.bin");
}

TEST_F(ProgramLayoutTest, WithoutAnInstalledShareOrAFolderAtAllEverythingStaysBesideTheExecutable) {
    EXPECT_FALSE(GetProgramFolders().installed); // a build folder before its side files are made
    SetProgramFolderOverride(folder.File("gone/bin"));
    EXPECT_FALSE(GetProgramFolders().installed); // so that the missing folder is named where it is used
    EXPECT_EQ(UserFile("maps.ini"), folder.File("gone/bin/maps.ini"));
}

} // namespace
