// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SvgEditIni.h"
#include "settings/SettingsLocation.h"

#include "TestForm.h"
#include "forms/Form.h"
#include "platform/Paths.h"
#include "settings/ItemTexts.h"
#include "support/TestFolder.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTableWidget>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The program's windows in miniature, created in the program's order, each store loading the default
// settings file as its window is created.
class ThreeWindows : public testing::Test {
protected:
    ThreeWindows() {
        SetProgramFolderOverride(folder.Path());
        BuildMainForm();
        newSetting.Add<QLineEdit>("EditSetting", 0);
        BuildFogForm();
        BuildMsgForm();
    }
    ~ThreeWindows() override { SetProgramFolderOverride(std::nullopt); }

    void BuildMainForm() {
        sv_hostname = main.Add<QLineEdit>("sv_hostname", 0);
        dedicated = main.Add<QComboBox>("dedicated", 0);
        dedicated->addItems({"None", "Local", "Internet"});
        dedicated->setCurrentIndex(-1);
        EditPath = main.Add<QLineEdit>("EditPath", 0);
        scr_killcam = main.Add<QCheckBox>("scr_killcam", 0);
        scr_killcam->setChecked(true);
        scr_friendlyfire = main.Add<TRadioGroup>("scr_friendlyfire", 0, QStringLiteral("Friendly fire"),
                                                 QStringList({"Off", "On", "Reflect"}), 1);
        scr_friendlyfire->SetItemIndex(0);
        ListBoxCfg = main.Add<QListWidget>("ListBoxCfg", 0);
        prm_num_stukas = main.Add<TSpinEdit>("prm_num_stukas", 0, 0, 10, 2);
        ListBoxMaps = main.Add<QListWidget>("ListBoxMaps", 1);
        ListBoxSelectedMaps = main.Add<QListWidget>("ListBoxSelectedMaps", 0);
        g_gametype = main.Add<QComboBox>("g_gametype", 0);
        tagged = main.Add<QLineEdit>("Tagged", 1);
        MemoLog = main.Add<QPlainTextEdit>("MemoLog", 0);
        mainStore =
            main.AddStore({&TSvgEditIni::SauveEdit, &TSvgEditIni::SauveCheckBox, &TSvgEditIni::SauveRadioButton,
                           &TSvgEditIni::SauveSpinEdit, &TSvgEditIni::SauveComboBox, &TSvgEditIni::SauveListBox});
        mainStore->Loaded();
    }

    void BuildFogForm() {
        prm_fog_type = fog.Add<TRadioGroup>("prm_fog_type", 0, QStringLiteral("Fog"), QStringList({"a", "b"}), 1);
        prm_fog_red = fog.Add<QLineEdit>("prm_fog_red", 0);
        fogCheck = fog.Add<QCheckBox>("fogCheck", 0);
        fogStore = fog.AddStore({&TSvgEditIni::SauveEdit, &TSvgEditIni::SauveRadioButton, &TSvgEditIni::SauveSpinEdit});
        fogStore->Loaded();
    }

    void BuildMsgForm() {
        msgTitle = msg.Add<QLineEdit>("MsgTitle", 0);
        MsgMemo = msg.Add<QPlainTextEdit>("MsgMemo", 0);
        msg.AddStore({&TSvgEditIni::SauveRadioButton, &TSvgEditIni::SauveMemo})->Loaded();
    }

    std::string WriteIni(const std::string& content) { return folder.Write("loaded.ini", content); }
    void Charge(const std::string& content) { mainStore->ChargeIni(QString::fromStdString(WriteIni(content))); }

    TestFolder folder;
    TestForm main{QStringLiteral("MainForm")};
    TestForm newSetting{QStringLiteral("FormNewSetting")};
    TestForm fog{QStringLiteral("FogForm")};
    TestForm msg{QStringLiteral("MsgForm")};
    QLineEdit *sv_hostname, *EditPath, *tagged, *prm_fog_red, *msgTitle;
    QComboBox *dedicated, *g_gametype;
    QCheckBox *scr_killcam, *fogCheck;
    TRadioGroup *scr_friendlyfire, *prm_fog_type;
    TSpinEdit* prm_num_stukas;
    QListWidget *ListBoxCfg, *ListBoxMaps, *ListBoxSelectedMaps;
    QPlainTextEdit *MemoLog, *MsgMemo;
    TSvgEditIni *mainStore, *fogStore;
};

} // namespace

TEST_F(ThreeWindows, SavesEveryWindowWithAStoreInCreationOrder) {
    const std::string path = folder.File("first.ini");
    mainStore->SauveIni(QString::fromStdString(path));
    // No FormNewSetting (no store), no Tag 1 control, no kind a window does not save, no MsgForm section.
    EXPECT_EQ(folder.Read(path), "[MainForm]\r\n"
                                 "sv_hostname=\r\n"
                                 "EditPath=\r\n"
                                 "scr_killcam=1\r\n"
                                 "scr_friendlyfire=0\r\n"
                                 "prm_num_stukas=2\r\n"
                                 "[MainFormdedicated]\r\n"
                                 "L0=None\r\n"
                                 "L1=Local\r\n"
                                 "L2=Internet\r\n"
                                 "ItemIndex=-1\r\n"
                                 "[MainFormListBoxCfg]\r\n"
                                 "ItemIndex=-1\r\n"
                                 "[MainFormListBoxSelectedMaps]\r\n"
                                 "ItemIndex=-1\r\n"
                                 "[MainFormg_gametype]\r\n"
                                 "ItemIndex=-1\r\n"
                                 "[FogForm]\r\n"
                                 "prm_fog_type=-1\r\n"
                                 "prm_fog_red=\r\n"
                                 "[MsgFormMsgMemo]\r\n"
                                 "ItemIndex=0\r\n");
}

TEST_F(ThreeWindows, EverySavedValueComesBackThroughAnyWindowsStore) {
    const QString awkward = Q("  \"Serveur\" = français; ok  ");
    sv_hostname->setText(awkward);
    EditPath->setText(Q("/games/Call of Duty"));
    scr_killcam->setChecked(false);
    scr_friendlyfire->SetItemIndex(2);
    prm_num_stukas->SetValue(7);
    dedicated->setCurrentIndex(2);
    ListBoxCfg->addItems({"// comment", " seta x \"1\" ", "'quoted'", "a=b"});
    ListBoxCfg->setCurrentRow(1);
    ListBoxSelectedMaps->addItems({"mp_harbor", "mp_depot"});
    g_gametype->addItems({"dm", "bhm"});
    g_gametype->setCurrentIndex(1);
    prm_fog_type->SetItemIndex(1);
    prm_fog_red->setText(QStringLiteral("0.5"));
    MsgMemo->setPlainText(Q("Bienvenue à tous\n\n  indented\n"));
    const QString path = QString::fromStdString(folder.File("round.ini"));
    mainStore->SauveIni(path);

    sv_hostname->clear();
    EditPath->clear();
    scr_killcam->setChecked(true);
    scr_friendlyfire->SetItemIndex(0);
    prm_num_stukas->SetValue(0);
    dedicated->clear();
    ListBoxCfg->clear();
    ListBoxSelectedMaps->clear();
    g_gametype->clear();
    prm_fog_type->SetItemIndex(-1);
    prm_fog_red->clear();
    MsgMemo->clear();
    tagged->setText(QStringLiteral("typed after saving"));
    ListBoxMaps->addItem(QStringLiteral("derived"));
    fogStore->ChargeIni(path);

    EXPECT_EQ(sv_hostname->text(), awkward);
    EXPECT_EQ(EditPath->text(), Q("/games/Call of Duty"));
    EXPECT_FALSE(scr_killcam->isChecked());
    EXPECT_EQ(scr_friendlyfire->ItemIndex(), 2);
    EXPECT_EQ(prm_num_stukas->Value(), 7);
    EXPECT_EQ(ItemTexts(*dedicated), QStringList({"None", "Local", "Internet"}));
    EXPECT_EQ(dedicated->currentIndex(), 2);
    EXPECT_EQ(ItemTexts(*ListBoxCfg), QStringList({"// comment", " seta x \"1\" ", "'quoted'", "a=b"}));
    EXPECT_EQ(ListBoxCfg->currentRow(), 1);
    EXPECT_EQ(ItemTexts(*ListBoxSelectedMaps), QStringList({"mp_harbor", "mp_depot"}));
    EXPECT_EQ(g_gametype->currentText(), QStringLiteral("bhm"));
    EXPECT_EQ(prm_fog_type->ItemIndex(), 1);
    EXPECT_EQ(prm_fog_red->text(), QStringLiteral("0.5"));
    EXPECT_EQ(MsgMemo->toPlainText(), Q("Bienvenue à tous\n\n  indented"));
    // Tag 1 controls are neither saved nor loaded.
    EXPECT_EQ(tagged->text(), QStringLiteral("typed after saving"));
    EXPECT_EQ(ItemTexts(*ListBoxMaps), QStringList({"derived"}));
}

TEST_F(ThreeWindows, LoadingChangesOnlyWhatTheFileHolds) {
    ListBoxCfg->addItems({"kept 1", "kept 2"});
    dedicated->setCurrentIndex(1);
    ListBoxMaps->addItem(QStringLiteral("derived"));
    scr_killcam->setChecked(false);
    scr_friendlyfire->SetItemIndex(2);
    EditPath->setText(QStringLiteral("/old/path"));
    Charge("[MainForm]\n"
           "sv_hostname=  \"  spaced  \"\n"
           "scr_killcam=yes\n"
           "scr_friendlyfire=abc\n"
           "prm_num_stukas=$A\n"
           "Tagged=not for a Tag 1 control\n"
           "[MainFormListBoxSelectedMaps]\n"
           "L0=a\nL1=b\nL3=d\nItemIndex=1\n"
           "[MainFormdedicated]\n"
           "L0=x\nL1=y\nItemIndex=-1\n"
           "[MainFormg_gametype]\n"
           "L0=dm\nL1=sd\nItemIndex=5\n"
           "[MainFormListBoxMaps]\n"
           "L0=zzz\n"
           "[MainFormListBoxCfg]\n"
           "; no key: the list keeps its lines\n"
           "[MsgFormMsgMemo]\n"
           "L0=first\nL1=\nL2=third\n"
           "[MsgForm]\n"
           "MsgTitle=an edit the messages window does not save\n"
           "[FogForm]\n"
           "fogCheck=1\n"
           "[FormNewSetting]\n"
           "EditSetting=a window without a store\n");
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("  spaced  "));
    EXPECT_TRUE(scr_killcam->isChecked());                    // not a number counts as checked
    EXPECT_EQ(scr_friendlyfire->ItemIndex(), 0);              // not a number gives 0
    EXPECT_EQ(prm_num_stukas->Value(), 10);                   // hexadecimal
    EXPECT_EQ(EditPath->text(), QStringLiteral("/old/path")); // no key: unchanged
    EXPECT_TRUE(tagged->text().isEmpty());
    EXPECT_EQ(ItemTexts(*ListBoxSelectedMaps), QStringList({"a", "b"})); // the missing L2 ends the list
    EXPECT_EQ(ListBoxSelectedMaps->currentRow(), 1);
    EXPECT_EQ(ItemTexts(*dedicated), QStringList({"x", "y"}));
    EXPECT_EQ(dedicated->currentIndex(), -1);
    EXPECT_EQ(ItemTexts(*g_gametype), QStringList({"dm", "sd"}));
    EXPECT_EQ(g_gametype->currentIndex(), -1); // an index beyond the items selects nothing
    EXPECT_EQ(ItemTexts(*ListBoxMaps), QStringList({"derived"}));
    EXPECT_EQ(ItemTexts(*ListBoxCfg), QStringList({"kept 1", "kept 2"}));
    EXPECT_EQ(MsgMemo->toPlainText(), QStringLiteral("first\n\nthird"));
    EXPECT_TRUE(msgTitle->text().isEmpty());
    EXPECT_FALSE(fogCheck->isChecked());
    EXPECT_TRUE(newSetting.Find<QLineEdit>(QStringLiteral("EditSetting"))->text().isEmpty());
}

TEST_F(ThreeWindows, CheckMarksLoadAsNumbersAndAnythingElseAsChecked) {
    const std::pair<const char*, bool> cases[] = {{"1", true},    {"0", false}, {"yes", true}, {"-1", true},
                                                  {"0x0", false}, {"", true},   {"$0", false}, {"no", true}};
    for (const auto& [value, checked] : cases) {
        scr_killcam->setChecked(!checked);
        Charge(std::string("[MainForm]\nscr_killcam=") + value + "\n");
        EXPECT_EQ(scr_killcam->isChecked(), checked) << value;
    }
}

TEST_F(ThreeWindows, ASelectionOfMinusOneClearsTheListsSelection) {
    ListBoxSelectedMaps->addItems({"mp_a", "mp_b"});
    ListBoxSelectedMaps->setCurrentRow(1);
    ListBoxSelectedMaps->setCurrentRow(-1);
    const QString path = QString::fromStdString(folder.File("none.ini"));
    mainStore->SauveIni(path);
    EXPECT_NE(folder.Read("none.ini").find("[MainFormListBoxSelectedMaps]\r\nL0=mp_a\r\nL1=mp_b\r\nItemIndex=-1\r\n"),
              std::string::npos);

    ListBoxSelectedMaps->setCurrentRow(0);
    mainStore->ChargeIni(path);
    EXPECT_EQ(ListBoxSelectedMaps->currentRow(), -1);
    EXPECT_TRUE(ListBoxSelectedMaps->selectedItems().isEmpty());
}

TEST_F(ThreeWindows, ADeselectedListItemIsSavedAsNoSelection) {
    // Ctrl+click deselects the chosen item while it stays Qt's current item.
    ListBoxSelectedMaps->addItems({"mp_a", "mp_b"});
    ListBoxSelectedMaps->setCurrentRow(1);
    ListBoxSelectedMaps->item(1)->setSelected(false);
    const QString path = QString::fromStdString(folder.File("deselected.ini"));
    mainStore->SauveIni(path);
    EXPECT_NE(
        folder.Read("deselected.ini").find("[MainFormListBoxSelectedMaps]\r\nL0=mp_a\r\nL1=mp_b\r\nItemIndex=-1\r\n"),
        std::string::npos);
    ListBoxSelectedMaps->item(1)->setSelected(true);
    mainStore->SauveIni(path);
    EXPECT_NE(folder.Read("deselected.ini").find("L1=mp_b\r\nItemIndex=1\r\n"), std::string::npos);
}

TEST_F(ThreeWindows, SavingOverAFileRewritesListsWholeAndKeepsEverythingElse) {
    const std::string path = WriteIni("[Other program]\r\nkey=value\r\n"
                                      "[MainForm]\r\nRemovedControl=still here\r\nsv_hostname=old\r\n");
    ListBoxCfg->addItems({"one", "two", "three"});
    mainStore->SauveIni(QString::fromStdString(path));
    ListBoxCfg->clear();
    ListBoxCfg->addItem(QStringLiteral("only"));
    sv_hostname->setText(QStringLiteral("new"));
    mainStore->SauveIni(QString::fromStdString(path));

    const std::string saved = folder.Read(path);
    EXPECT_TRUE(saved.starts_with("[Other program]\r\nkey=value\r\n"
                                  "[MainForm]\r\nRemovedControl=still here\r\nsv_hostname=new\r\n"));
    EXPECT_NE(saved.find("[MainFormListBoxCfg]\r\nL0=only\r\nItemIndex=-1\r\n[MainFormListBoxSelectedMaps]"),
              std::string::npos);
    EXPECT_EQ(saved.find("L1=two"), std::string::npos);
}

TEST_F(ThreeWindows, AFileWrittenInWindows1252LoadsWithItsAccents) {
    Charge("[MainForm]\r\nsv_hostname=Serveur fran\xE7\x61is\r\n[MainFormListBoxCfg]\r\nL0=// d\xE9j\xE0 vu\r\n");
    EXPECT_EQ(sv_hostname->text(), Q("Serveur français"));
    EXPECT_EQ(ItemTexts(*ListBoxCfg), QStringList({Q("// déjà vu")}));
}

TEST_F(ThreeWindows, AMissingFileLoadsNothing) {
    sv_hostname->setText(QStringLiteral("kept"));
    ListBoxCfg->addItem(QStringLiteral("kept"));
    mainStore->ChargeIni(QString::fromStdString(folder.File("nowhere.ini")));
    EXPECT_EQ(sv_hostname->text(), QStringLiteral("kept"));
    EXPECT_EQ(ItemTexts(*ListBoxCfg), QStringList({"kept"}));
    EXPECT_FALSE(std::filesystem::exists(folder.File("nowhere.ini")));
}

TEST_F(ThreeWindows, TheCallingStoresTagRuleAndEachWindowsLastStoreDecide) {
    // A second store on the fog window, saving every control: its flags now decide for that window, and
    // called on it, controls of any Tag count in every window.
    TSvgEditIni* everything = fog.AddStore({&TSvgEditIni::SauveCheckBox}, TSvgEditIni::sTout);
    tagged->setText(QStringLiteral("tag one"));
    const std::string path = folder.File("all.ini");
    everything->SauveIni(QString::fromStdString(path));
    const std::string saved = folder.Read(path);
    EXPECT_NE(saved.find("Tagged=tag one\r\n"), std::string::npos);
    EXPECT_NE(saved.find("[MainFormListBoxMaps]"), std::string::npos);
    EXPECT_NE(saved.find("[FogForm]\r\nfogCheck=0\r\n[MsgFormMsgMemo]"), std::string::npos);
    EXPECT_EQ(saved.find("prm_fog_red"), std::string::npos);
}

TEST_F(ThreeWindows, TheMainWindowsStoreKeepsTheDefaultSettingsFile) {
    const std::string exeName = std::filesystem::path(GetProgramPath()).filename().string();
    const QString expected = QString::fromStdString(JoinPath(folder.Path(), exeName + ".ini"));
    EXPECT_EQ(DefaultSettingsFile(), expected);
    EXPECT_TRUE(mainStore->SavesOnClose());
    EXPECT_FALSE(fogStore->SavesOnClose());

    fogStore->FormClosed();
    EXPECT_FALSE(std::filesystem::exists(expected.toStdString()));
    EditPath->setText(QStringLiteral("/games/cod"));
    mainStore->FormClosed();
    ASSERT_TRUE(std::filesystem::exists(expected.toStdString()));

    // The next start: every window's store loads the file as it is created.
    EditPath->clear();
    TestForm later(QStringLiteral("LaterForm"));
    later.AddStore({})->Loaded();
    EXPECT_EQ(EditPath->text(), QStringLiteral("/games/cod"));
}

TEST_F(ThreeWindows, AFileThatCannotBeWrittenIsReportedNamingIt) {
    const std::string path = folder.File("missing folder/settings.ini");
    try {
        mainStore->SauveIni(QString::fromStdString(path));
        FAIL() << "saved into a missing folder";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
}

TEST(SvgEditIni, StartsWithThePublishedValues) {
    TestForm form(QStringLiteral("Form"));
    const TSvgEditIni store(form);
    const std::pair<const char*, QVariant> expected[] = {
        {"SauveOptions", QVariant::fromValue(TSvgEditIni::sTout)},
        {"SauveEdit", true},
        {"SauveDateTimePicker", true},
        {"SauveCheckBox", true},
        {"SauveRadioButton", true},
        {"SauveSpinEdit", true},
        {"SauveMemo", false},
        {"SauveRichEdit", false},
        {"SauveComboBox", false},
        {"SauveListBox", false},
        {"SauveStringGrid", false},
        {"SauveTrackBar", false},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(store.property(name), value) << name;
}

TEST(SvgEditIni, EveryKindOfControlRoundTrips) {
    TestFolder folder;
    TestForm form(QStringLiteral("Kinds"));
    auto* picker = form.Add<QDateTimeEdit>("Picker", 0);
    auto* slider = form.Add<QSlider>("Slider", 0);
    slider->setRange(0, 100);
    auto* rich = form.Add<QTextEdit>("Rich", 0);
    auto* first = form.Add<QRadioButton>("First", 0);
    auto* second = form.Add<QRadioButton>("Second", 0);
    auto* memo = form.Add<QPlainTextEdit>("Memo", 0);
    auto* spin = form.Add<TSpinEdit>("Spin", 0, 5, 50, 20);
    TSvgEditIni* store =
        form.AddStore({&TSvgEditIni::SauveDateTimePicker, &TSvgEditIni::SauveTrackBar, &TSvgEditIni::SauveRichEdit,
                       &TSvgEditIni::SauveRadioButton, &TSvgEditIni::SauveMemo, &TSvgEditIni::SauveSpinEdit},
                      TSvgEditIni::sTout);
    const QDateTime when(QDate(2003, 10, 29), QTime(21, 5, 42));
    picker->setDateTime(when);
    slider->setValue(42);
    rich->setPlainText(QStringLiteral("rich one\nrich two"));
    second->setChecked(true);
    memo->setPlainText(QStringLiteral("\n"));
    spin->SetValue(33);
    const QString path = QString::fromStdString(folder.File("kinds.ini"));
    store->SauveIni(path);

    picker->setDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    slider->setValue(0);
    rich->clear();
    first->setChecked(true);
    memo->setPlainText(QStringLiteral("other"));
    spin->SetValue(10);
    store->ChargeIni(path);
    EXPECT_EQ(picker->dateTime(), when);
    EXPECT_EQ(slider->value(), 42);
    EXPECT_EQ(rich->toPlainText(), QStringLiteral("rich one\nrich two"));
    EXPECT_FALSE(first->isChecked());
    EXPECT_TRUE(second->isChecked());
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("\n")); // one empty line stays one empty line
    EXPECT_EQ(spin->Value(), 33);

    // A spin edit value that is not a number loads as 0, kept within the range; a date that does not parse
    // changes nothing; radio buttons of one set may all be unchecked.
    folder.Write("kinds.ini", "[Kinds]\nSpin=many\nPicker=not a date\nFirst=0\nSecond=0\n");
    store->ChargeIni(path);
    EXPECT_EQ(spin->Value(), 5);
    EXPECT_EQ(picker->dateTime(), when);
    EXPECT_FALSE(first->isChecked());
    EXPECT_FALSE(second->isChecked());
    second->click();
    EXPECT_FALSE(first->isChecked()); // the set is exclusive again
    first->click();
    EXPECT_FALSE(second->isChecked());
}

TEST(SvgEditIni, AStringGridKeepsItsShapeCurrentCellTagAndFilledCells) {
    TestFolder folder;
    TestForm form(QStringLiteral("Grids"));
    auto* grid = form.Add<QTableWidget>("Grid", 3, 3, 12);
    TSvgEditIni* store = form.AddStore({&TSvgEditIni::SauveStringGrid}, TSvgEditIni::sTout);
    grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("a")));
    grid->setItem(0, 1, new QTableWidgetItem(QStringLiteral("   ")));
    grid->setItem(2, 10, new QTableWidgetItem(QStringLiteral(" ten two ")));
    grid->setCurrentCell(1, 2);
    const std::string path = folder.File("grid.ini");
    store->SauveIni(QString::fromStdString(path));
    EXPECT_EQ(folder.Read(path), "[GridsGrid]\r\nCOLCOUNT=12\r\nROWCOUNT=3\r\nCOL=2\r\nROW=1\r\nTAG=3\r\n"
                                 "C0L0=a\r\nC10L2=\" ten two \"\r\n");

    grid->setColumnCount(2);
    grid->setRowCount(2);
    grid->setItem(0, 1, new QTableWidgetItem(QStringLiteral("stale")));
    grid->setCurrentCell(0, 0);
    SetComponentTag(*grid, 0);
    store->ChargeIni(QString::fromStdString(path));
    EXPECT_EQ(grid->columnCount(), 12);
    EXPECT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->currentRow(), 1);
    EXPECT_EQ(grid->currentColumn(), 2);
    EXPECT_EQ(ComponentTag(*grid), 3);
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("a"));
    EXPECT_EQ(grid->item(2, 10)->text(), QStringLiteral(" ten two "));
    EXPECT_EQ(grid->item(0, 1), nullptr); // a blank cell has no key and loads empty

    // Keys are matched as the Windows reader would; a damaged size leaves the grid as it is.
    folder.Write("grid.ini", "[GridsGrid]\nCOLCOUNT=2\nROWCOUNT=1\nc1l0=lower case\nC1L0=later copy\nC01L0=other\n"
                             "C5L0=outside\n");
    store->ChargeIni(QString::fromStdString(path));
    ASSERT_EQ(grid->columnCount(), 2);
    EXPECT_EQ(grid->item(0, 0), nullptr);
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("lower case"));
    folder.Write("grid.ini", "[GridsGrid]\nCOLCOUNT=100000\nROWCOUNT=100000\nC0L0=x\n");
    store->ChargeIni(QString::fromStdString(path));
    EXPECT_EQ(grid->columnCount(), 2);
    EXPECT_EQ(grid->rowCount(), 1);
}
