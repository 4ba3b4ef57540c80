#include "settings/SettingsCommands.h"

#include "TestForm.h"
#include "platform/Paths.h"
#include "store/ResourcesMaker.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

// Makes `folder` the working folder while it lives.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& folder) { std::filesystem::current_path(folder); }
    ~WorkingFolder() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_ = std::filesystem::current_path();
};

const char* const FactorySettings = "[MainForm]\r\nsv_hostname=Factory server\r\n";

// The main window's settings buttons and store in miniature, with the program folder and the system's
// temporary folder moved into test folders.
class SettingsCommandsTest : public testing::Test {
protected:
    SettingsCommandsTest() : savedTmpDir_(qgetenv("TMPDIR")) {
        SetProgramFolderOverride(program.Path());
        qputenv("TMPDIR", QByteArray::fromStdString(temp.Path()));
        sv_hostname->setText(QStringLiteral("typed"));
    }
    ~SettingsCommandsTest() override {
        SetProgramFolderOverride(std::nullopt);
        qputenv("TMPDIR", savedTmpDir_);
    }

    // Writes the store `name` in the program folder with the members `members` (stored name, content).
    void MakeStore(const std::string& name, const std::map<std::string, std::string>& members) {
        TResourcesMaker resources(program.File(name), "");
        for (const auto& [member, content] : members)
            resources.AddResource(temp.Write("source/" + member, content), member, true);
    }

    std::string ScratchDefault() const { return JoinPath(ScratchFolder(), "default.ini"); }

    TestFolder program;
    TestFolder temp;
    ScriptedQuestions questions;
    TestForm main{QStringLiteral("MainForm")};
    QLineEdit* sv_hostname = main.Add<QLineEdit>("sv_hostname", 0);
    QListWidget* ListBoxCfg = main.Add<QListWidget>("ListBoxCfg", 0);
    TSvgEditIni* store = main.AddStore({&TSvgEditIni::SauveEdit, &TSvgEditIni::SauveListBox});
    QPushButton open, save, defaults, addDefault, addPk3;
    int refreshes = 0;
    TSettingsCommands commands{{&open, &save, &defaults, &addDefault, &addPk3}, *store, [this] { ++refreshes; }};

private:
    QByteArray savedTmpDir_;
};

} // namespace

TEST_F(SettingsCommandsTest, OpenLoadsThePickedFileThenRefreshes) {
    const QString configs = QString::fromStdString(program.Path() + "/configs/");
    questions.openFiles = {std::nullopt, QString::fromStdString(program.Write("configs/mine.ini", FactorySettings)),
                           QString::fromStdString(program.File("configs/gone.ini"))};
    open.click(); // cancelled
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("typed"));
    EXPECT_EQ(refreshes, 0);

    open.click();
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("Factory server"));
    EXPECT_EQ(refreshes, 1);

    sv_hostname->setText(QStringLiteral("typed"));
    open.click(); // a file that does not exist loads nothing, and the refreshes still run
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("typed"));
    EXPECT_EQ(refreshes, 2);
    EXPECT_EQ(questions.asked, QStringList(3, configs + QStringLiteral("|Ini files (*.ini)|ini")));
    EXPECT_TRUE(questions.errors.isEmpty());
}

TEST_F(SettingsCommandsTest, OpenAddsTheIniExtensionToANameTypedWithoutOne) {
    program.Write("configs/mine.ini", FactorySettings);
    program.Write("configs/other.cfg.ini", "[MainForm]\r\nsv_hostname=Wrong file\r\n");
    program.Write("configs/other.cfg", "[MainForm]\r\nsv_hostname=Named file\r\n");
    questions.openFiles = {QString::fromStdString(program.File("configs/mine")),
                           QString::fromStdString(program.File("configs/other.cfg"))};
    open.click();
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("Factory server"));
    open.click(); // a name with an extension of its own is taken as it stands
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("Named file"));
}

TEST_F(SettingsCommandsTest, SaveWritesThePickedFileAndNeverMakesTheConfigsFolder) {
    questions.saveFiles = {std::nullopt};
    save.click();
    EXPECT_EQ(questions.asked, QStringList({QString::fromStdString(program.Path() + "/configs/") +
                                            QStringLiteral("|Ini files (*.ini)|ini")}));
    EXPECT_FALSE(std::filesystem::exists(program.File("configs")));

    const std::string path = program.File("elsewhere.ini");
    questions.saveFiles = {QString::fromStdString(path)};
    save.click();
    EXPECT_EQ(program.Read(path), "[MainForm]\r\nsv_hostname=typed\r\n[MainFormListBoxCfg]\r\nItemIndex=-1\r\n");
    EXPECT_FALSE(std::filesystem::exists(program.File("configs")));
}

TEST_F(SettingsCommandsTest, ASaveThatCannotBeWrittenIsShownNamingTheFile) {
    const std::string path = program.File("configs/settings.ini"); // "configs" does not exist
    questions.saveFiles = {QString::fromStdString(path)};
    save.click();
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.errors[0].contains(QString::fromStdString(path))) << questions.errors[0].toStdString();
}

TEST_F(SettingsCommandsTest, DefaultExtractsBeforeAskingAndLoadsOnlyOnYes) {
    // Store names match without regard to letter case.
    for (const char* member : {"default.ini", "DEFAULT.INI"}) {
        SCOPED_TRACE(member);
        std::filesystem::remove(program.File("default.bin"));
        MakeStore("default.bin", {{member, FactorySettings}, {"other.ini", "[MainForm]\r\nsv_hostname=other\r\n"}});
        temp.Write("Quendry/default.ini", "[MainForm]\r\nsv_hostname=left from last time\r\n");
        questions.asked.clear();
        sv_hostname->setText(QStringLiteral("typed"));
        refreshes = 0;

        questions.yesNo = {false};
        defaults.click();
        EXPECT_EQ(questions.asked, QStringList({"Load default config ?"}));
        EXPECT_EQ(sv_hostname->text(), QStringLiteral("typed"));
        EXPECT_EQ(refreshes, 0);
        EXPECT_EQ(temp.Read(ScratchDefault()), FactorySettings);

        questions.yesNo = {true};
        defaults.click();
        EXPECT_EQ(sv_hostname->text(), QStringLiteral("Factory server"));
        EXPECT_EQ(refreshes, 1);
        EXPECT_TRUE(questions.errors.isEmpty());
    }
}

TEST_F(SettingsCommandsTest, DefaultWithoutTheFactorySettingsShowsTheStoresError) {
    questions.yesNo = {true};
    defaults.click();
    EXPECT_EQ(questions.errors, QStringList({"La ressource n'existe pas (default.ini)"}));
    EXPECT_TRUE(questions.asked.isEmpty());
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("typed"));
    EXPECT_EQ(refreshes, 0);
    EXPECT_TRUE(std::filesystem::exists(program.File("default.bin"))); // now an empty store

    MakeStore("default.bin", {{"readme.txt", "no settings here"}});
    defaults.click();
    EXPECT_EQ(questions.errors.size(), 2);
    EXPECT_EQ(questions.errors.back(), QStringLiteral("La ressource n'existe pas (default.ini)"));
}

TEST_F(SettingsCommandsTest, AddDefaultMakesTheCurrentSettingsTheFactorySettings) {
    sv_hostname->setText(QStringLiteral("first snapshot"));
    addDefault.click();
    sv_hostname->setText(QStringLiteral("second snapshot"));
    ListBoxCfg->addItem(QStringLiteral("seta x 1"));
    addDefault.click();
    EXPECT_EQ(program.Read("default.ini"),
              "[MainForm]\r\nsv_hostname=second snapshot\r\n[MainFormListBoxCfg]\r\nL0=seta x 1\r\nItemIndex=-1\r\n");
    {
        const TResourcesMaker resources(program.File("default.bin"), "");
        ASSERT_EQ(resources.Count(), 1); // the older snapshot was replaced
        EXPECT_EQ(resources.ResourceName(0), "default.ini");
    }

    sv_hostname->clear();
    ListBoxCfg->clear();
    questions.yesNo = {true};
    defaults.click();
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("second snapshot"));
    EXPECT_EQ(ListBoxCfg->count(), 1);
    EXPECT_TRUE(questions.errors.isEmpty());
}

TEST_F(SettingsCommandsTest, AddPk3StoresTheModArchiveOfTheWorkingFolder) {
    {
        const WorkingFolder working(temp.Path());
        addPk3.click(); // no archive yet
        EXPECT_EQ(questions.errors.size(), 1);
        temp.Write("BriselaMod_v2/PRM_5.pk3", "PK archive bytes");
        addPk3.click();
        EXPECT_EQ(questions.errors.size(), 1);
    }
    TResourcesMaker resources(program.File("data.bin"), "");
    ASSERT_EQ(resources.Count(), 1);
    EXPECT_EQ(resources.ResourceName(0), "BriselaMod_v2\\PRM_5.pk3");
    resources.ExtractResource(program.File("out"), "briselamod_v2\\prm_5.pk3", true, epFileNameOnly);
    EXPECT_EQ(program.Read("out/prm_5.pk3"), "PK archive bytes");
}
