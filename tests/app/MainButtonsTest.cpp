// SPDX-License-Identifier: GPL-3.0-or-later
// Every button of the main window, clicked once on the whole program, each doing what it is there for.
#include "app/MainForm.h"
#include "app/Program.h"

#include "platform/Paths.h"
#include "settings/ItemTexts.h"
#include "store/ResourcesMaker.h"
#include "support/FakePrograms.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "support/WorkingFolder.h"
#include "zip/ZipBuilder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

// One button: what the window holds before the click, and what the click must have done.
struct ButtonCase {
    const char* button;
    std::function<void()> before;
    std::function<void()> after;
};

class MainButtonsTest : public testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderOverride(program_.Path());
        PlaceUnzipLibraryBeside(program_.Path());
        program_.Write("help/BHM.html", "");
        game_.Write("CoDMP.exe", "");
        game_.Write("main/pak0.pk3",
                    MakeZip({{.name = "mp/maps.arena",
                              .content = "map \"mp_harbor\"\ngametype \"dm\"\nmap \"mp_depot\"\ngametype \"dm\"\n"}}));
        instance_ = std::make_unique<TProgram>();
        Main().SetServerLauncher([this](const ServerLaunch& launch) {
            launched_.push_back(launch.executable + " " + launch.parameters);
            return std::optional<int>(42);
        });
        Main().show();
        Main().FormShow();
    }
    void TearDown() override {
        instance_.reset();
        SetProgramFolderOverride(std::nullopt);
    }

    TMainForm& Main() const { return instance_->MainForm(); }
    template <class T> T& Control(const char* name) const {
        T* control = Main().Find<T>(QString::fromLatin1(name));
        // A missing control fails the test that wants it, not the whole test program.
        if (control == nullptr)
            throw std::runtime_error(std::string("the main window has no control ") + name);
        return *control;
    }
    QString HostName() const { return Control<QLineEdit>("sv_hostname").text(); }
    void SetList(const char* name, const QStringList& items, int selected) const {
        auto& list = Control<QListWidget>(name);
        list.clear();
        list.addItems(items);
        list.setCurrentRow(selected);
    }
    // The items of a list box, or any texts, joined by "|".
    static std::string Joined(const QStringList& items) { return items.join(u'|').toStdString(); }
    std::string List(const char* name) const { return Joined(ItemTexts(Control<QListWidget>(name))); }
    // The name of the window that the next click shows modally; `script` runs while it is shown, or it is closed.
    void OnNextDialog(std::function<void(QWidget&)> script = {}) {
        shownDialog_.clear();
        QTimer::singleShot(0, [this, script = std::move(script)] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            shownDialog_ = dialog->objectName();
            if (script)
                script(*dialog);
            else
                dialog->close();
        });
    }
    // The stored names of the members of the store `name` in the program folder.
    std::vector<std::string> Members(const std::string& name) const {
        TResourcesMaker store(program_.File(name), "", TStoreAccess::ReadOnly);
        std::vector<std::string> members;
        for (int i = 0; i < store.Count(); ++i)
            members.push_back(store.ResourceName(i));
        return members;
    }

    ScriptedQuestions questions_;
    TestFolder program_;
    TestFolder game_;
    TestFolder work_;
    std::unique_ptr<TProgram> instance_;
    std::vector<std::string> launched_;
    QString shownDialog_;
};

TEST_F(MainButtonsTest, EveryButtonDoesItsWorkOnTheWholeProgram) {
    FakePrograms programs;
    const QString game = QString::fromStdString(game_.Path());
    const QString saved = QString::fromStdString(program_.File("configs/saved.ini"));
    const QString opened =
        QString::fromStdString(program_.Write("configs/opened.ini", "[MainForm]\r\nsv_hostname=Opened\r\n"));
    const std::string bhm = program_.File("help/BHM.html");
    const QStringList advanced = {QStringLiteral("// Voting"), QStringLiteral("seta g_allowvote \"1\"")};
    const std::vector<ButtonCase> cases = {
        {"ButtonBrowse", [&] { questions_.folders = {game + QLatin1Char('/')}; },
         [&] { EXPECT_EQ(Main().GamePath(), game); }},
        {"ButtonScan",
         [&] {
             Control<QComboBox>("g_gametype").addItems({QStringLiteral("dm"), QStringLiteral("sd")});
             Control<QComboBox>("g_gametype").setCurrentIndex(0);
         },
         [&] {
             EXPECT_EQ(program_.Read("maps.ini"), "mp_harbor=[dm] [bhm]\r\nmp_depot=[dm] [bhm]\r\n");
             EXPECT_EQ(List("ListBoxMaps"), Joined({QStringLiteral("mp_harbor"), QStringLiteral("mp_depot")}));
         }},
        {"ButtonToRight", [&] { Control<QListWidget>("ListBoxMaps").setCurrentRow(1); },
         [&] { EXPECT_EQ(List("ListBoxSelectedMaps"), Joined({QStringLiteral("mp_depot")})); }},
        {"ButtonUp",
         [&] {
             SetList("ListBoxSelectedMaps", {QStringLiteral("mp_depot"), QStringLiteral("mp_harbor")}, 1);
         },
         [&] {
             EXPECT_EQ(List("ListBoxSelectedMaps"), Joined({QStringLiteral("mp_harbor"), QStringLiteral("mp_depot")}));
         }},
        {"ButtonDown", [&] { Control<QListWidget>("ListBoxSelectedMaps").setCurrentRow(0); },
         [&] {
             EXPECT_EQ(List("ListBoxSelectedMaps"), Joined({QStringLiteral("mp_depot"), QStringLiteral("mp_harbor")}));
         }},
        {"ButtonToLeft", [&] { Control<QListWidget>("ListBoxSelectedMaps").setCurrentRow(0); },
         [&] { EXPECT_EQ(List("ListBoxSelectedMaps"), Joined({QStringLiteral("mp_harbor")})); }},
        {"ButtonRun", [] {},
         [&] {
             EXPECT_EQ(launched_, std::vector<std::string>({game_.File("CoDMP.exe") +
                                                            " +set dedicated -1 +set fs_game BriselaMOD_v2 +exec "
                                                            "advanced.cfg +exec standard.cfg"}));
             EXPECT_NE(game_.Read("BriselaMOD_v2/standard.cfg").find("mp_harbor"), std::string::npos);
         }},
        {"Button2", [&] { SetList("ListBoxCfg", advanced, 0); },
         [&] {
             EXPECT_EQ(List("ListBoxCfg"), Joined({advanced[0], QString(), advanced[1]}));
         }},
        {"Button1",
         [&] {
             SetList("ListBoxCfg", advanced, 0);
             questions_.texts = {QStringLiteral("note")};
         },
         [&] {
             EXPECT_EQ(List("ListBoxCfg"), Joined({advanced[0], QStringLiteral("// note"), advanced[1]}));
         }},
        {"ButtonInsertSetting",
         [&] {
             SetList("ListBoxCfg", advanced, 0);
             OnNextDialog([](QWidget& dialog) {
                 dialog.findChild<QLineEdit*>(QStringLiteral("EditCvar"))->setText(QStringLiteral("sv_fps"));
                 dialog.findChild<QLineEdit*>(QStringLiteral("EditVal"))->setText(QStringLiteral("20"));
                 dialog.findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
             });
         },
         [&] {
             EXPECT_EQ(shownDialog_, QStringLiteral("FormNewSetting"));
             EXPECT_EQ(List("ListBoxCfg"), Joined({advanced[0], QStringLiteral("seta sv_fps \"20\""), advanced[1]}));
         }},
        {"ButtonDown2", [&] { SetList("ListBoxCfg", advanced, 0); },
         [&] {
             EXPECT_EQ(List("ListBoxCfg"), Joined({advanced[1], advanced[0]}));
         }},
        {"ButtonUp2", [&] { SetList("ListBoxCfg", advanced, 1); },
         [&] {
             EXPECT_EQ(List("ListBoxCfg"), Joined({advanced[1], advanced[0]}));
         }},
        {"ButtonDeleteLine",
         [&] {
             SetList("ListBoxCfg", advanced, 0);
             questions_.yesNo = {true};
         },
         [&] { EXPECT_EQ(List("ListBoxCfg"), Joined({advanced[1]})); }},
        {"ButtonSave",
         [&] {
             Control<QLineEdit>("sv_hostname").setText(QStringLiteral("Saved"));
             questions_.saveFiles = {saved};
         },
         [&] {
             ASSERT_TRUE(std::filesystem::exists(saved.toStdString()));
             EXPECT_NE(program_.Read(saved.toStdString()).find("sv_hostname=Saved\r\n"), std::string::npos);
         }},
        {"ButtonOpen", [&] { questions_.openFiles = {opened}; },
         [&] { EXPECT_EQ(HostName(), QStringLiteral("Opened")); }},
        {"AddDefault", [&] { Control<QLineEdit>("sv_hostname").setText(QStringLiteral("Factory")); },
         [&] { EXPECT_EQ(Members("default.bin"), std::vector<std::string>({"default.ini"})); }},
        {"ButtonDefault",
         [&] {
             Control<QLineEdit>("sv_hostname").setText(QStringLiteral("Changed"));
             questions_.yesNo = {true};
         },
         [&] { EXPECT_EQ(HostName(), QStringLiteral("Factory")); }},
        {"AddPk3", [&] { work_.Write("BriselaMod_v2/PRM_5.pk3", "PK"); },
         [&] { EXPECT_EQ(Members("data.bin"), std::vector<std::string>({"BriselaMod_v2\\PRM_5.pk3"})); }},
        {"ButtonFirst", [] {}, [&] { EXPECT_TRUE(Main().GamePath().isEmpty()); }},
        {"FogButton", [&] { OnNextDialog(); }, [&] { EXPECT_EQ(shownDialog_, QStringLiteral("FogForm")); }},
        {"MessageButton", [&] { OnNextDialog(); }, [&] { EXPECT_EQ(shownDialog_, QStringLiteral("MsgForm")); }},
        {"BhmButton", [] {}, [&] { EXPECT_NE(programs.Next().find("\n[" + bhm + "]\n"), std::string::npos); }},
    };

    QStringList listed;
    const WorkingFolder working(work_.Path());
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(c.button);
        listed << QString::fromLatin1(c.button);
        c.before();
        Control<QPushButton>(c.button).click();
        c.after();
        EXPECT_TRUE(questions_.errors.isEmpty()) << questions_.errors.join(u'\n').toStdString();
        questions_.errors.clear();
    }
    // Every button of the window is clicked above, so none is left unconnected.
    QStringList buttons;
    for (const QPushButton* button : Main().findChildren<QPushButton*>())
        buttons << button->objectName();
    buttons.sort();
    listed.sort();
    EXPECT_EQ(Joined(buttons), Joined(listed));
}

// Each dialog opens centred over the main window, wherever that stands, and not where the screen's middle is.
TEST_F(MainButtonsTest, EveryDialogOpensCentredOverTheMainWindow) {
    Main().move(310, 170);
    QApplication::processEvents();
    const QPoint centre = Main().frameGeometry().center();
    const auto centred = [&](const QWidget& dialog) {
        const QPoint offset = dialog.frameGeometry().center() - centre;
        return std::abs(offset.x()) <= 2 && std::abs(offset.y()) <= 2; // halves of odd sizes round either way
    };
    questions_.texts = {std::nullopt};
    for (const char* opener : {"FogButton", "MessageButton", "ButtonInsertSetting", "About1"}) {
        SCOPED_TRACE(opener);
        bool checked = false;
        OnNextDialog([&](QWidget& dialog) {
            EXPECT_TRUE(centred(dialog)) << dialog.frameGeometry().center().x() << ","
                                         << dialog.frameGeometry().center().y() << " over " << centre.x() << ","
                                         << centre.y();
            checked = true;
            dialog.close();
        });
        if (auto* action = Main().findChild<QAction*>(QString::fromLatin1(opener)))
            action->trigger();
        else
            Control<QPushButton>(opener).click();
        EXPECT_TRUE(checked);
    }
    Main().findChild<QAction*>(QStringLiteral("ServerConsole1"))->trigger();
    auto* console = Main().findChild<QDialog*>(QStringLiteral("ServerConsoleForm"));
    ASSERT_NE(console, nullptr);
    EXPECT_TRUE(centred(*console));
}

// Run names what a chosen folder lacks and leaves it chosen; only a missing folder opens the picker.
TEST_F(MainButtonsTest, RunNamesWhatTheGameFolderLacksAndPicksOnlyAMissingOne) {
    const std::string request = "You must select the install directory of Call Of Duty and then press run";
    const std::string empty = program_.Write("game/main/readme.txt", "").substr(0, program_.File("game").size());
    const std::vector<std::pair<std::string, std::string>> cases = {
        {empty, empty + " holds neither an executable cod_lnxded nor CoDMP.exe.\n\n" + request},
        {program_.File("gone"), request},
    };
    for (const auto& [folder, message] : cases) {
        SCOPED_TRACE(folder);
        Control<QLineEdit>("EditPath").setText(QString::fromStdString(folder));
        questions_.messages.clear();
        questions_.asked.clear();
        questions_.folders = {std::nullopt};
        EXPECT_EQ(Main().RunFromWindow(), RunOutcome::InvalidGamePath);
        EXPECT_EQ(questions_.messages, QStringList{QString::fromStdString(message)});
        EXPECT_EQ(questions_.asked.size(), folder == empty ? 0 : 1) << questions_.asked.join(u'|').toStdString();
    }
}

} // namespace
