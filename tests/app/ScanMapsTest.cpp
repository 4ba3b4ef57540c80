// SPDX-License-Identifier: GPL-3.0-or-later
// Scan Maps from the main window: the game folder check, the archives of the game, "maps.ini", the run log and
// the maps list box.
#include "app/MainForm.h"

#include "platform/Paths.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "zip/ZipBuilder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

std::string Arena(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

class ScanMapsTest : public testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderOverride(program_.Path());
        PlaceUnzipLibraryBeside(program_.Path());
        form_ = std::make_unique<TMainForm>();
        form_->Find<QComboBox>(QStringLiteral("g_gametype"))->addItems({"dm", "sd", "bhm"});
        game_.Write("CoDMP.exe", "");
        game_.Write("main/pak0.pk3", MakeZip({{.name = "mp/stock.arena",
                                               .content = Arena({"{", "map \"mp_harbor\"", "gametype \"dm tdm\"", "}",
                                                                 "{", "map \"mp_depot\"", "gametype \"sd\"", "}"})},
                                              {.name = "maps/mp/mp_harbor.bsp", .content = "bsp"}}));
        game_.Write("main/pak1.PK3",
                    MakeZip({{.name = "MP/CAPS.ARENA", .content = Arena({"map \"mp_caps\"", "gametype \"dm\""})},
                             {.name = "mp/more.arena",
                              .content = Arena({"// the map of the harbor at night", "gametype \"dm  sd\""})}}));
        game_.Write("BriselaMOD_v2/custom.pk3", MakeZip({{.name = "mp/custom.arena",
                                                          .content = Arena({"map \"MP_HARBOR\"", "gametype \"DM TDM\"",
                                                                            "map \"mp_bhm\"", "gametype \"bhm\""})}}));
        form_->Find<QLineEdit>(QStringLiteral("EditPath"))->setText(QString::fromStdString(game_.Path()));
    }
    void TearDown() override {
        form_.reset();
        SetProgramFolderOverride(std::nullopt);
    }

    QStringList LogLines() const {
        return form_->Find<QPlainTextEdit>(QStringLiteral("MemoLog"))->toPlainText().split(u'\n');
    }

    ScriptedQuestions questions_;
    TestFolder program_;
    TestFolder game_;
    std::unique_ptr<TMainForm> form_;
};

const std::string ScannedCatalogue = "mp_harbor=[dm] [tdm] [bhm]\r\n"
                                     "mp_depot=[sd] [bhm]\r\n"
                                     "mp_bhm=[bhm] [bhm]\r\n";

TEST_F(ScanMapsTest, ScanWritesTheCatalogueLogsEachMapAndListsTheGametypesMaps) {
    form_->FormCreate();
    form_->ButtonScanClick();
    EXPECT_TRUE(questions_.errors.isEmpty()) << questions_.errors.join(u'\n').toStdString();
    EXPECT_EQ(program_.Read("maps.ini"), ScannedCatalogue);
    EXPECT_EQ(LogLines(), QStringList({"Path : valid path", "mp_harbor : found", "mp_depot : found",
                                       "// the map of the harbor at night : skipped, not a valid map name",
                                       "mp_bhm : found", "Scan : 3 maps in 2 of 3 archives"}));
    auto* maps = form_->Find<QListWidget>(QStringLiteral("ListBoxMaps"));
    ASSERT_EQ(maps->count(), 1);
    EXPECT_EQ(maps->item(0)->text(), QStringLiteral("mp_harbor"));

    // A second scan gives the same file; nothing of the first survives that the scan does not find again.
    program_.Write("maps.ini", ScannedCatalogue + "mp_gone=[dm] [bhm]\r\n");
    form_->FormCreate();
    form_->ButtonScanClick();
    EXPECT_EQ(program_.Read("maps.ini"), ScannedCatalogue);
}

struct InvalidFolderCase {
    std::string folder;
    std::string message;
    bool picked; // the folder picker opens
};

// A folder that exists but holds no server program is named with what it lacks and is not picked again: the user
// may be filling it. No folder, or a path that is no folder, opens the picker.
TEST_F(ScanMapsTest, InvalidGameFolderIsNamedOrAskedForAndScansNothing) {
    const std::string request = "You must select the install directory of Call Of Duty before scanning the maps";
    const std::vector<InvalidFolderCase> cases = {
        {program_.Path(), program_.Path() + " holds neither an executable cod_lnxded nor CoDMP.exe.\n\n" + request,
         false},
        {"", request, true},
        {program_.File("missing"), request, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        program_.Write("maps.ini", "mp_old=[dm] [bhm]\r\n");
        form_->FormCreate();
        form_->Find<QLineEdit>(QStringLiteral("EditPath"))->setText(QString::fromStdString(c.folder));
        questions_.messages.clear();
        questions_.asked.clear();
        questions_.folders = {QString::fromStdString(game_.Path())};
        EXPECT_FALSE(form_->ScanFromWindow());
        EXPECT_EQ(questions_.messages, QStringList{QString::fromStdString(c.message)});
        EXPECT_EQ(questions_.asked,
                  c.picked ? QStringList{QStringLiteral("Install dir of Call of Duty")} : QStringList());
        EXPECT_EQ(form_->GamePath(), QString::fromStdString(c.picked ? game_.Path() : c.folder));
        EXPECT_EQ(program_.Read("maps.ini"), "mp_old=[dm] [bhm]\r\n") << "no scan after the pick";
        EXPECT_EQ(LogLines().mid(LogLines().size() - 2, 1), QStringList{QStringLiteral("Path : invalid path")});
    }
}

TEST_F(ScanMapsTest, ADamagedArchiveIsSkippedInTheLogAndTheOthersMakeTheCatalogue) {
    program_.Write("maps.ini", "mp_old=[dm] [bhm]\r\n");
    form_->FormCreate();
    const std::string broken = game_.Write("BriselaMOD_v2/zz_broken.pk3", "PK this is no zip");
    form_->Find<QPushButton>(QStringLiteral("ButtonScan"))->click();
    EXPECT_TRUE(questions_.errors.isEmpty());
    EXPECT_TRUE(LogLines().contains(
        QString::fromStdString(broken + " : skipped (\"" + broken + "\" is not a valid Zip file.)")));
    EXPECT_EQ(LogLines().back(), QStringLiteral("Scan : 3 maps in 2 of 4 archives"));
    EXPECT_EQ(program_.Read("maps.ini"), ScannedCatalogue);
}

TEST_F(ScanMapsTest, NoArchiveAtAllEmptiesTheCatalogue) {
    program_.Write("maps.ini", "mp_old=[dm] [bhm]\r\n");
    form_->FormCreate();
    std::filesystem::remove_all(game_.File("main"));
    std::filesystem::remove_all(game_.File("BriselaMOD_v2"));
    EXPECT_TRUE(form_->ScanFromWindow());
    EXPECT_EQ(program_.Read("maps.ini"), "");
}

} // namespace
