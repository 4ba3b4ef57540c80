// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsCommands.h"

#include "platform/Paths.h"
#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"
#include "store/ResourcesMaker.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "support/WorkingFolder.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

const char* const FactorySettings = "[MainForm]\r\nsv_hostname=Factory server\r\n";

// The main window's settings buttons and windows in miniature, with the program folder and the system's
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

    std::string ScratchDefault() const { return JoinPath(ScratchFolderPath(), "default.ini"); }

    // The windows in miniature: a host name and the advanced lines, loaded and saved in a settings file's layout.
    void Load(const TIniFile& ini) {
        sv_hostname->setText(
            ini.ReadString(QStringLiteral("MainForm"), QStringLiteral("sv_hostname"), sv_hostname->text()));
        if (const auto lines = ini.ReadNumberedValues(QStringLiteral("MainFormListBoxCfg"), QStringLiteral("L"))) {
            ListBoxCfg->clear();
            ListBoxCfg->addItems(*lines);
        }
        ++refreshes;
    }
    void Save(const QString& file) {
        TIniFile ini(file);
        ini.WriteString(QStringLiteral("MainForm"), QStringLiteral("sv_hostname"), sv_hostname->text());
        std::vector<std::pair<QString, QString>> pairs;
        for (int row = 0; row < ListBoxCfg->count(); ++row)
            pairs.emplace_back(QStringLiteral("L%1").arg(row), ListBoxCfg->item(row)->text());
        pairs.emplace_back(QStringLiteral("ItemIndex"), QStringLiteral("-1"));
        ini.ReplaceSection(QStringLiteral("MainFormListBoxCfg"), pairs);
        ini.Save();
    }

    TestFolder program;
    TestFolder temp;
    ScriptedQuestions questions;
    QLineEdit hostNameField;
    QListWidget advancedList;
    QLineEdit* sv_hostname = &hostNameField;
    QListWidget* ListBoxCfg = &advancedList;
    QPushButton open, save, defaults, addDefault, addPk3;
    int refreshes = 0;
    TSettingsCommands commands{{&open, &save, &defaults, &addDefault, &addPk3},
                               [this](const TIniFile& ini) { Load(ini); },
                               [this](const QString& file) { Save(file); }};

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
    EXPECT_EQ(questions.asked,
              QStringList(3, QStringLiteral("Open settings|") + configs + QStringLiteral("|Ini files (*.ini)|ini")));
    EXPECT_TRUE(questions.errors.isEmpty());
}

TEST_F(SettingsCommandsTest, OpenRefusesAFileThatHoldsNoSettings) {
    const std::string notes = program.Write("configs/notes.ini", "[Notes]\r\nsv_hostname=Not settings\r\n");
    questions.openFiles = {QString::fromStdString(notes)};
    open.click();
    EXPECT_EQ(questions.errors, QStringList{QString::fromStdString(notes + " holds no Quendry settings")});
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("typed"));
    EXPECT_EQ(refreshes, 0);
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

// Save starts where Open does, in "configs", made when missing, so that it never starts beside the program's files.
TEST_F(SettingsCommandsTest, SaveStartsInTheConfigsFolderItMakesAndWritesThePickedFile) {
    questions.saveFiles = {std::nullopt};
    save.click();
    EXPECT_EQ(questions.asked,
              QStringList({QStringLiteral("Save settings|") + QString::fromStdString(program.Path() + "/configs/") +
                           QStringLiteral("|Ini files (*.ini)|ini")}));
    EXPECT_TRUE(std::filesystem::is_directory(program.File("configs")));

    const std::string path = program.File("elsewhere.ini");
    questions.saveFiles = {QString::fromStdString(path)};
    save.click();
    EXPECT_EQ(program.Read(path), "[MainForm]\r\nsv_hostname=typed\r\n[MainFormListBoxCfg]\r\nItemIndex=-1\r\n");
    EXPECT_TRUE(questions.messages.isEmpty());
}

TEST_F(SettingsCommandsTest, AConfigsFolderThatCannotBeMadeIsShownNamingIt) {
    program.Write("configs", "a file where the folder would be");
    save.click();
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.errors[0].startsWith(
        QString::fromStdString("Impossible de créer le dossier " + program.File("configs") + " (")))
        << questions.errors[0].toStdString();
    EXPECT_TRUE(questions.asked.isEmpty());
}

struct OwnFileCase {
    std::string file; // below the program folder
    const char* what; // empty for a file the user may replace
};

// A careless name in the Save picker does not replace what the program itself reads, and the user is told which
// file it is.
TEST_F(SettingsCommandsTest, SaveNeverReplacesAFileOfTheProgramItself) {
    const std::string lastState = std::filesystem::path(LastStateFile(Instance()).toStdString()).filename().string();
    const std::string instanceState =
        std::filesystem::path(LastStateFile(*Instance::Named("clan")).toStdString()).filename().string();
    const std::vector<OwnFileCase> cases = {
        {"maps.ini", "the map catalogue"},
        {"configs/../maps.ini", "the map catalogue"},
        {lastState, "the last state of the windows"},
        {instanceState, "the last state of the windows"},
        {"default.ini", "the factory settings that Add Default stores"},
        {"data.bin", "the store of the mod's files"},
        {"default.bin", "the store of the factory settings"},
        {"readme.txt", "the program's readme"},
        {"help/BHM.html", "a file of the program's help folder"},
        {"configs/maps.ini", ""},
        {"configs/" + lastState, ""},
        {"mine.ini", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = program.Write(c.file, "the original");
        questions.messages.clear();
        questions.saveFiles = {QString::fromStdString(path)};
        save.click();
        if (*c.what == '\0') {
            EXPECT_TRUE(questions.messages.isEmpty());
            EXPECT_NE(program.Read(c.file), "the original");
            continue;
        }
        EXPECT_EQ(program.Read(c.file), "the original");
        EXPECT_EQ(questions.messages, QStringList{QString::fromStdString(path + " is " + c.what +
                                                                         ", which the program itself reads: it "
                                                                         "was not replaced. Save under another "
                                                                         "name.")});
    }
    EXPECT_TRUE(questions.errors.isEmpty());
}

TEST_F(SettingsCommandsTest, ASaveThatCannotBeWrittenIsShownNamingTheFile) {
    const std::string path = program.File("configs/gone/settings.ini"); // "gone" does not exist
    questions.saveFiles = {QString::fromStdString(path)};
    save.click();
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_EQ(questions.errors[0].toStdString(), "Impossible d'écrire dans " + path + " (No such file or directory)");
}

TEST_F(SettingsCommandsTest, DefaultExtractsBeforeAskingAndLoadsOnlyOnYes) {
    // Store names match without regard to letter case.
    for (const char* member : {"default.ini", "DEFAULT.INI"}) {
        SCOPED_TRACE(member);
        std::filesystem::remove(program.File("default.bin"));
        MakeStore("default.bin", {{member, FactorySettings}, {"other.ini", "[MainForm]\r\nsv_hostname=other\r\n"}});
        temp.Write(ScratchDefault(), "[MainForm]\r\nsv_hostname=left from last time\r\n");
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

TEST_F(SettingsCommandsTest, DefaultWithoutTheFactorySettingsShowsWhyAndWritesNothing) {
    questions.yesNo = {true};
    const std::string archive = program.File("default.bin");
    defaults.click();
    EXPECT_EQ(questions.errors, QStringList({QString::fromStdString("Impossible d'ouvrir le fichier " + archive +
                                                                    " (No such file or directory)")}));
    EXPECT_TRUE(questions.asked.isEmpty());
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("typed"));
    EXPECT_EQ(refreshes, 0);
    EXPECT_FALSE(std::filesystem::exists(archive)); // reading never makes the store

    program.Write("default.bin", "not a store");
    defaults.click();
    EXPECT_EQ(questions.errors.back(), QString::fromStdString(archive + ": not a resource store"));
    EXPECT_EQ(program.Read("default.bin"), "not a store");

    std::filesystem::remove(archive);
    MakeStore("default.bin", {{"readme.txt", "no settings here"}});
    const std::string withoutDefaults = program.Read("default.bin");
    defaults.click();
    EXPECT_EQ(questions.errors.size(), 3);
    EXPECT_EQ(questions.errors.back(), QStringLiteral("La ressource n'existe pas (default.ini)"));
    EXPECT_EQ(program.Read("default.bin"), withoutDefaults);
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

namespace {

// The same commands in an installed program: the side files in the install's share/quendry, nothing beside the
// executable, and the user's files in a configuration folder of the test's own.
class InstalledSettingsCommandsTest : public SettingsCommandsTest {
protected:
    InstalledSettingsCommandsTest() : savedConfigHome_(qgetenv("XDG_CONFIG_HOME")) {
        std::filesystem::create_directories(program.File("bin"));
        std::filesystem::create_directories(program.File("share/quendry"));
        SetProgramFolderOverride(program.File("bin"));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path()));
    }
    ~InstalledSettingsCommandsTest() override { qputenv("XDG_CONFIG_HOME", savedConfigHome_); }

    TestFolder config;

private:
    QByteArray savedConfigHome_;
};

} // namespace

TEST_F(InstalledSettingsCommandsTest, MaintenanceChangesTheUsersOwnCopyOfAStoreWhichIsReadFromThenOn) {
    MakeStore("share/quendry/default.bin", {{"default.ini", FactorySettings}});
    MakeStore("share/quendry/data.bin", {{"BriselaMOD_v2\\zpam.pk3", "shipped archive"}});
    const std::string installedDefault = program.Read("share/quendry/default.bin");
    const std::string installedData = program.Read("share/quendry/data.bin");
    const std::string userFolder = config.File("quendry");

    questions.yesNo = {true};
    defaults.click();
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("Factory server"));

    sv_hostname->setText(QStringLiteral("my own factory settings"));
    addDefault.click();
    addDefault.click();
    ASSERT_EQ(questions.messages.size(), 1); // told once, when the copy is made
    EXPECT_EQ(questions.messages[0].toStdString(), "The installed " + program.File("share/quendry/default.bin") +
                                                       " stays as it is: this change goes into your own copy, " +
                                                       userFolder +
                                                       "/default.bin, which is read from now on in its place.");
    EXPECT_EQ(program.Read("share/quendry/default.bin"), installedDefault);
    EXPECT_EQ(config.Read("quendry/default.ini"), "[MainForm]\r\nsv_hostname=my own factory settings\r\n"
                                                  "[MainFormListBoxCfg]\r\nItemIndex=-1\r\n");
    EXPECT_FALSE(std::filesystem::exists(program.File("bin/default.ini")));

    sv_hostname->clear();
    questions.yesNo = {true};
    defaults.click();
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("my own factory settings"));

    {
        const WorkingFolder working(temp.Path());
        temp.Write("BriselaMod_v2/PRM_5.pk3", "PK archive bytes");
        addPk3.click();
    }
    ASSERT_EQ(questions.messages.size(), 2);
    EXPECT_TRUE(questions.messages[1].contains(QString::fromStdString(userFolder + "/data.bin")));
    EXPECT_EQ(program.Read("share/quendry/data.bin"), installedData);
    const TResourcesMaker copy(config.File("quendry/data.bin"), "");
    ASSERT_EQ(copy.Count(), 2); // the installed members came along
    EXPECT_EQ(copy.ResourceName(0), "BriselaMOD_v2\\zpam.pk3");
    EXPECT_EQ(copy.ResourceName(1), "BriselaMod_v2\\PRM_5.pk3");
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(InstalledSettingsCommandsTest, OpenAndSaveStartInTheUsersConfigsFolder) {
    questions.saveFiles = {std::nullopt};
    save.click();
    EXPECT_EQ(questions.asked,
              QStringList({QStringLiteral("Save settings|") + QString::fromStdString(config.File("quendry/configs/")) +
                           QStringLiteral("|Ini files (*.ini)|ini")}));
}
