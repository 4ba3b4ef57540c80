// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/Rotation.h"

#include <gtest/gtest.h>

namespace {

// A catalogue as Scan Maps writes it, with the odd lines a hand-edited or early scan may hold.
const QStringList Catalogue = {
    QStringLiteral("mp_harbor=[dm] [tdm] [bhm]"),
    QStringLiteral("mp_carentan=[sd] [bhm]"),
    QStringLiteral("MP_Harbor=[sd] [bhm]"), // the same map again, from another archive
    QStringLiteral("mp_depot=[tdmx] [bhm]"),
    QStringLiteral("=[dm] [bhm]"), // a gametype line read before any map line
    QStringLiteral("odd=name=[ctf] [bhm]"),
    QStringLiteral("nocodes [ctf]"),     // no "=": no name, and the whole line is the codes
    QStringLiteral("gap=[dm] [] [bhm]"), // two blanks between codes
};

} // namespace

TEST(Rotation, MapsOfAGametypeAreListedOnceInCatalogueOrder) {
    struct Case {
        const char* gametype;
        QStringList expected;
    };
    const Case cases[] = {
        {"dm", {"mp_harbor", "", "gap"}},
        {"sd", {"mp_carentan", "MP_Harbor"}},
        {"tdm", {"mp_harbor"}}, // "[tdm]" is not found inside "[tdmx]"
        {"bhm", {"mp_harbor", "mp_carentan", "mp_depot", "", "odd", "gap"}},
        {"ctf", {"odd", ""}},
        {"", {"gap"}}, // no gametype chosen: only an empty pair of brackets matches
        {"DM", {}},    // codes match with their letter case
        {"koth", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MapsOfGametype(Catalogue, QString::fromUtf8(c.gametype)), c.expected) << c.gametype;
}

TEST(Rotation, RowsOfMapsNotOfferedAreDroppedFromTheLastToTheFirst) {
    const QStringList rotation = {"mp_a", "MP_B", "mp_c", "mp_d", "mp_b"};
    EXPECT_EQ(RotationRowsToDrop(rotation, {"mp_b", "mp_d"}), QList<int>({2, 0}));
    EXPECT_EQ(RotationRowsToDrop(rotation, {}), QList<int>({4, 3, 2, 1, 0}));
    EXPECT_TRUE(RotationRowsToDrop(rotation, {"MP_A", "mp_b", "mp_c", "mp_d"}).isEmpty());
}

TEST(Rotation, AMapJoinsTheRotationOnlyOnceWhateverItsLetterCase) {
    const QStringList rotation = {"mp_harbor", "mp_depot"};
    EXPECT_FALSE(CanAddToRotation(rotation, QStringLiteral("MP_HARBOR")));
    EXPECT_FALSE(CanAddToRotation(rotation, QStringLiteral("mp_depot")));
    EXPECT_TRUE(CanAddToRotation(rotation, QStringLiteral("mp_carentan")));
    EXPECT_TRUE(CanAddToRotation({}, QString()));
}

TEST(Rotation, DroppedMapsAreNamedWithWhyTheyWereDropped) {
    struct Case {
        const char* what;
        QStringList dropped;
        QStringList lines;
    };
    const Case cases[] = {
        {"nothing dropped, nothing said", {}, {}},
        {"a map the catalogue never held", {"mp_gone"}, {"Rotation : mp_gone dropped, not in the map catalogue"}},
        {"maps of other gametypes, in any letter case",
         {"MP_CARENTAN", "mp_depot"},
         {"Rotation : MP_CARENTAN, mp_depot dropped, not offered by the gametype tdm"}},
        {"both, the missing ones first",
         {"mp_carentan", "mp_gone", "nocodes", "mp_far"},
         {"Rotation : mp_gone, nocodes, mp_far dropped, not in the map catalogue",
          "Rotation : mp_carentan dropped, not offered by the gametype tdm"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DroppedMapsLines(c.dropped, Catalogue, QStringLiteral("tdm")), c.lines) << c.what;
}
