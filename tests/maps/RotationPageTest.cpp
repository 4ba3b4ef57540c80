// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/RotationPage.h"

#include "settings/ItemTexts.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// The rotation controls on their own, with a small catalogue.
class RotationPageTest : public testing::Test {
protected:
    RotationPageTest() {
        gametype.addItems({"dm", "sd", "bhm"});
        gametype.setCurrentIndex(0);
        page.FillMapsList();
    }

    void SetRotation(const QStringList& mapNames, int chosen = -1) {
        rotation.clear();
        rotation.addItems(mapNames);
        rotation.setCurrentRow(chosen);
    }

    // The user picks gametype `index` in the drop-down list.
    void ChooseGametype(int index) {
        gametype.setCurrentIndex(index);
        Q_EMIT gametype.activated(index);
    }

    QStringList mapsList = {"mp_harbor=[dm] [sd] [bhm]", "mp_carentan=[sd] [bhm]", "mp_depot=[dm] [bhm]",
                            "mp_brecourt=[sd] [bhm]", "mp_chateau=[dm] [bhm]"};
    QComboBox gametype;
    QListWidget maps, rotation;
    QPushButton toRight, toLeft, up, down;
    TRotationPage page{{&gametype, &maps, &rotation, &toRight, &toLeft, &up, &down}, mapsList};
};

} // namespace

TEST_F(RotationPageTest, ChangingTheGametypeListsItsMapsAndPrunesTheRotationInOrder) {
    EXPECT_EQ(ItemTexts(maps), QStringList({"mp_harbor", "mp_depot", "mp_chateau"}));
    SetRotation({"mp_chateau", "mp_harbor", "MP_DEPOT"});

    QStringList logged;
    page.SetLog([&logged](const QString& line) { logged << line; });
    ChooseGametype(1);
    EXPECT_EQ(ItemTexts(maps), QStringList({"mp_harbor", "mp_carentan", "mp_brecourt"}));
    EXPECT_EQ(ItemTexts(rotation), QStringList({"mp_harbor"}));
    EXPECT_EQ(logged, QStringList({"Rotation : mp_chateau, MP_DEPOT dropped, not offered by the gametype sd"}));

    SetRotation({"mp_brecourt", "mp_harbor", "mp_carentan"});
    ChooseGametype(2); // bhm: every scanned map
    EXPECT_EQ(maps.count(), 5);
    EXPECT_EQ(ItemTexts(rotation), QStringList({"mp_brecourt", "mp_harbor", "mp_carentan"}));
    EXPECT_EQ(logged.size(), 1); // nothing dropped, nothing said
}

TEST_F(RotationPageTest, SettingTheGametypeInCodeLeavesTheListsAlone) {
    // Loading saved settings sets the gametype before the maps list is read; only the user's choice refills.
    SetRotation({"mp_chateau"});
    gametype.setCurrentIndex(1);
    EXPECT_EQ(ItemTexts(maps), QStringList({"mp_harbor", "mp_depot", "mp_chateau"}));
    EXPECT_EQ(ItemTexts(rotation), QStringList({"mp_chateau"}));
}

TEST_F(RotationPageTest, FillingDropsRotationMapsMissingFromTheCatalogueAndNamesThem) {
    SetRotation({"mp_ghost", "mp_depot", "mp_nowhere"});
    mapsList << "mp_ghost=[sd] [bhm]";
    QStringList logged;
    page.SetLog([&logged](const QString& line) { logged << line; });
    page.FillMapsList();
    EXPECT_EQ(ItemTexts(rotation), QStringList({"mp_depot"}));
    EXPECT_EQ(logged, QStringList({"Rotation : mp_nowhere dropped, not in the map catalogue",
                                   "Rotation : mp_ghost dropped, not offered by the gametype dm"}));

    gametype.setCurrentIndex(-1); // no gametype: only "[]" lines match, and the catalogue has none
    page.FillMapsList();
    EXPECT_EQ(maps.count(), 0);
    EXPECT_EQ(rotation.count(), 0);
}

TEST_F(RotationPageTest, AddingAppendsTheChosenMapOnceAndKeepsBothSelections) {
    SetRotation({"MP_DEPOT", "mp_harbor"}, 1);
    maps.setCurrentRow(2); // mp_chateau
    toRight.click();
    EXPECT_EQ(ItemTexts(rotation), QStringList({"MP_DEPOT", "mp_harbor", "mp_chateau"}));
    EXPECT_EQ(maps.currentRow(), 2);
    EXPECT_EQ(rotation.currentRow(), 1);

    maps.setCurrentRow(1); // mp_depot, already there in capitals
    Q_EMIT maps.itemDoubleClicked(maps.item(1));
    EXPECT_EQ(ItemTexts(rotation), QStringList({"MP_DEPOT", "mp_harbor", "mp_chateau"}));

    maps.setCurrentRow(-1);
    toRight.click();
    EXPECT_EQ(rotation.count(), 3);

    maps.setCurrentRow(0);
    SetRotation({});
    Q_EMIT maps.itemDoubleClicked(maps.item(0));
    EXPECT_EQ(ItemTexts(rotation), QStringList({"mp_harbor"}));
}

TEST_F(RotationPageTest, RemovingTakesOnlyTheChosenMap) {
    SetRotation({"mp_harbor", "mp_depot", "mp_chateau"});
    toLeft.click(); // nothing chosen
    EXPECT_EQ(rotation.count(), 3);

    rotation.setCurrentRow(1);
    toLeft.click();
    EXPECT_EQ(ItemTexts(rotation), QStringList({"mp_harbor", "mp_chateau"}));
    toLeft.click(); // the removed map's neighbour was not chosen by the user
    EXPECT_EQ(ItemTexts(rotation), QStringList({"mp_harbor", "mp_chateau"}));

    rotation.setCurrentRow(0);
    Q_EMIT rotation.itemDoubleClicked(rotation.item(0));
    EXPECT_EQ(ItemTexts(rotation), QStringList({"mp_chateau"}));
}

TEST_F(RotationPageTest, MovingSwapsWithTheNeighbourAndTheSelectionFollows) {
    struct Case {
        int chosen;
        bool upward;
        QStringList expected;
        int chosenAfter;
    };
    const Case cases[] = {
        {1, true, {"b", "a", "c"}, 0},  {0, true, {"a", "b", "c"}, 0},   {1, false, {"a", "c", "b"}, 2},
        {2, false, {"a", "b", "c"}, 2}, {-1, true, {"a", "b", "c"}, -1}, {-1, false, {"a", "b", "c"}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        SetRotation({"a", "b", "c"}, c.chosen);
        (c.upward ? up : down).click();
        EXPECT_EQ(ItemTexts(rotation), c.expected);
        EXPECT_EQ(rotation.currentRow(), c.chosenAfter);
    }
}

TEST_F(RotationPageTest, ButtonsLeaveAMapAloneOnceTheUserDeselectedIt) {
    // Ctrl+click on the chosen item deselects it while it stays Qt's current item.
    maps.setCurrentRow(2);
    maps.item(2)->setSelected(false);
    SetRotation({"a", "b", "c"}, 1);
    rotation.item(1)->setSelected(false);
    for (QPushButton* button : {&toRight, &toLeft, &up, &down}) {
        button->click();
        EXPECT_EQ(ItemTexts(rotation), QStringList({"a", "b", "c"}));
    }
    EXPECT_EQ(SelectedRow(rotation), -1);
    rotation.item(1)->setSelected(true);
    EXPECT_EQ(SelectedRow(rotation), 1);
}
