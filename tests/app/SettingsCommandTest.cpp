// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "app/Program.h"

#include "config/OptionTable.h"
#include "platform/Paths.h"
#include "store/ResourcesMaker.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// `quendry settings` on a program folder of its own with the shipped factory settings in default.bin and a map
// catalogue, compared with what the windows save.
class SettingsCommandTest : public testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderOverride(program_.Path());
        TResourcesMaker defaults(program_.File("default.bin"), "");
        defaults.AddResource(QUENDRY_FACTORY_SETTINGS, "default.ini", true);
        program_.Write("maps.ini", "mp_harbor=[dm] [sd] [bhm]\r\nmp_carentan=[dm] [sd] [bhm]\r\nmp_depot=[dm]\r\n");
    }
    void TearDown() override { SetProgramFolderOverride(std::nullopt); }

    struct Result {
        int exitCode;
        std::string out;
        std::string err;
    };
    static Result Settings(const std::vector<std::string>& words) {
        std::vector<std::string> args = {"settings"};
        args.insert(args.end(), words.begin(), words.end());
        std::ostringstream out, err;
        const int code = RunCommandLine(args, out, err);
        return {code, out.str(), err.str()};
    }

    // The bytes the windows save after Default and `change`.
    std::string SavedByTheWindows(const std::function<void(TMainForm&)>& change) {
        ScriptedQuestions questions;
        questions.yesNo = {true};
        TProgram program;
        TMainForm& main = program.MainForm();
        main.FormShow();
        main.Find<QPushButton>(QStringLiteral("ButtonDefault"))->click();
        change(main);
        const std::string file = program_.File("window.ini");
        fs::remove(file);
        main.SaveSettings(QString::fromStdString(file));
        EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
        return program_.Read("window.ini");
    }

    template <class T> static T* In(const QString& window, const char* name) {
        for (TForm* form : ApplicationForms())
            if (form->Name() == window)
                if (T* control = form->Find<T>(QString::fromLatin1(name)))
                    return control;
        ADD_FAILURE() << name;
        return nullptr;
    }
    template <class T> static T* Main(const char* name) { return In<T>(QStringLiteral("MainForm"), name); }

    TestFolder program_;
};

TEST_F(SettingsCommandTest, NewAndSetWriteTheBytesThatTheWindowsSaveForTheSameValues) {
    const std::string lines =
        program_.Write("advanced.txt", "// Voting\nseta g_allowvote \"1\"\n\nset rcon_password \"x\"\n");
    const std::string messages = program_.Write("messages.txt", "Welcome \xC3\xA0 tous\r\nHave fun\r\n");
    const struct {
        const char* what;
        std::vector<std::string> values;
        std::function<void(TMainForm&)> change;
    } cases[] = {
        {"factory settings", {}, [](TMainForm&) {}},
        {"check box",
         {"scr_killcam=1", "prm_bleeding=0"},
         [](TMainForm&) {
             Main<QCheckBox>("scr_killcam")->setChecked(true);
             Main<QCheckBox>("prm_bleeding")->setChecked(false);
         }},
        {"spin edit",
         {"prm_mg_nades=3", "prm_num_stukas=0"},
         [](TMainForm&) {
             Main<TSpinEdit>("prm_mg_nades")->SetValue(3);
             Main<TSpinEdit>("prm_num_stukas")->SetValue(0);
         }},
        {"radio group",
         {"scr_friendlyfire=2", "prm_fog_type=Fog"},
         [](TMainForm&) {
             Main<TRadioGroup>("scr_friendlyfire")->SetItemIndex(2);
             In<TRadioGroup>(QStringLiteral("FogForm"), "prm_fog_type")->SetItemIndex(1);
         }},
        {"texts with letters of Windows-1252",
         {"sv_hostname=Caf\xC3\xA9 \xE2\x82\xAC M\xC3\xBCller", "prm_fog_red=12"},
         [](TMainForm&) {
             Main<QLineEdit>("sv_hostname")->setText(QStringLiteral("Caf\u00e9 \u20ac M\u00fcller"));
             In<QLineEdit>(QStringLiteral("FogForm"), "prm_fog_red")->setText(QStringLiteral("12"));
         }},
        {"drop-down lists",
         {"dedicated=internet", "gametype=sd", "prm_clanTeam=axis"},
         [](TMainForm&) {
             Main<QComboBox>("dedicated")->setCurrentIndex(2);
             Main<QComboBox>("g_gametype")->setCurrentText(QStringLiteral("sd"));
             Main<QComboBox>("prm_clanTeam")->setCurrentIndex(1);
         }},
        {"a rotation",
         {"rotation=mp_harbor, mp_carentan"},
         [](TMainForm&) {
             auto* rotation = Main<QListWidget>("ListBoxSelectedMaps");
             rotation->clear();
             rotation->addItems({QStringLiteral("mp_harbor"), QStringLiteral("mp_carentan")});
         }},
        {"an empty rotation", {"rotation="}, [](TMainForm&) { Main<QListWidget>("ListBoxSelectedMaps")->clear(); }},
        {"the advanced lines and the messages",
         {"advanced=@" + lines, "messages=@" + messages},
         [](TMainForm&) {
             auto* advanced = Main<QListWidget>("ListBoxCfg");
             advanced->clear();
             advanced->addItems({QStringLiteral("// Voting"), QStringLiteral("seta g_allowvote \"1\""), QString(),
                                 QStringLiteral("set rcon_password \"x\"")});
             In<QPlainTextEdit>(QStringLiteral("MsgForm"), "MsgMemo")
                 ->setPlainText(QStringLiteral("Welcome \u00e0 tous\nHave fun"));
         }},
    };
    for (const auto& [what, values, change] : cases) {
        SCOPED_TRACE(what);
        const std::string expected = SavedByTheWindows(change);
        std::vector<std::string> words = {"new", program_.File("new.ini")};
        words.insert(words.end(), values.begin(), values.end());
        fs::remove(program_.File("new.ini"));
        const Result made = Settings(words);
        ASSERT_EQ(made.exitCode, 0) << made.err;
        EXPECT_EQ(program_.Read("new.ini"), expected);

        // The same values set on the factory settings give the same bytes too.
        fs::remove(program_.File("set.ini"));
        ASSERT_EQ(Settings({"new", program_.File("set.ini")}).exitCode, 0);
        if (!values.empty()) {
            std::vector<std::string> set = {"set", program_.File("set.ini")};
            set.insert(set.end(), values.begin(), values.end());
            const Result changed = Settings(set);
            ASSERT_EQ(changed.exitCode, 0) << changed.err;
        }
        EXPECT_EQ(program_.Read("set.ini"), expected);
    }
}

TEST_F(SettingsCommandTest, ARefusedValueExitsWith2AndLeavesTheFileAsItWas) {
    const std::string file = program_.File("s.ini");
    ASSERT_EQ(Settings({"new", file, "sv_hostname=Mine"}).exitCode, 0);
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(30);
    const struct {
        std::vector<std::string> words;
        const char* said; // part of the message
    } cases[] = {
        {{"set", file, "sv_hostnam=x"}, "sv_hostname"},
        {{"set", file, "prm_mg_nades=4"}, "1 to 3"},
        {{"set", file, "prm_mg_nades=two"}, "1 to 3"},
        {{"set", file, "scr_killcam=2"}, "0 or 1"},
        {{"set", file, "dedicated=lan"}, "none, local, internet"},
        {{"set", file, "gametype=ctf"}, "sd"},
        {{"set", file, "scr_friendlyfire=4"}, "Shared damage"},
        {{"set", file, "sv_hostname=two\nlines"}, "line break"},
        {{"set", file, "scr_motd=\xE6\x97\xA5"}, "Windows-1252"},
        {{"set", file, "prm_fog_red=red"}, "0 to 255"},
        {{"set", file, "rotation=mp_harbor,mp_nowhere"}, "mp_nowhere"},
        {{"set", file, "gametype=dm", "rotation=mp_depot,mp_harbor", "sv_hostname=Changed", "rotation=mp_gone"},
         "mp_gone"},
        {{"set", file, "prm_delay=60"}, "not kept"},
        {{"set", file, "advanced=seta x 1"}, "@FILE"},
        {{"new", file}, "exists"},
    };
    for (const auto& [words, said] : cases) {
        SCOPED_TRACE(words.back());
        fs::last_write_time(file, past);
        const std::string before = program_.Read("s.ini");
        const Result result = Settings(words);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
        EXPECT_EQ(program_.Read("s.ini"), before);
        EXPECT_EQ(fs::last_write_time(file), past);
    }
}

TEST_F(SettingsCommandTest, WithoutACatalogueTheRotationIsKeptAndTheUserTold) {
    fs::remove(program_.File("maps.ini"));
    const std::string file = program_.File("s.ini");
    const Result result = Settings({"new", file, "rotation=mp_harbor,mp_anything", "gametype=sd"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.err.find("no map catalogue"), std::string::npos) << result.err;
    EXPECT_EQ(Settings({"get", file, "rotation"}).out, "mp_harbor,mp_anything\n");
}

TEST_F(SettingsCommandTest, GetPrintsOneValueAsSetTakesIt) {
    const std::string file = program_.File("s.ini");
    const std::string lines = program_.Write("lines.txt", "seta a 1\r\nseta b 2\r\n");
    ASSERT_EQ(Settings({"new", file, "sv_hostname=My server", "dedicated=Local", "g_password=secret",
                        "advanced=@" + lines, "rotation=mp_carentan,mp_harbor", "gametype=sd"})
                  .exitCode,
              0);
    const std::pair<const char*, const char*> cases[] = {
        {"sv_hostname", "My server\n"},
        {"dedicated", "local\n"},
        {"g_password", "secret\n"},
        {"advanced", "seta a 1\nseta b 2\n"},
        {"rotation", "mp_carentan,mp_harbor\n"},
        {"gametype", "sd\n"},
        {"SCR_KILLCAM", "0\n"},
    };
    for (const auto& [name, printed] : cases)
        EXPECT_EQ(Settings({"get", file, name}).out, printed) << name;
}

TEST_F(SettingsCommandTest, ShowAsJsonListsEveryOptionAndHidesTheSecretsUnlessAsked) {
    const std::string file = program_.File("s.ini");
    const std::string lines = program_.Write("lines.txt", "set rcon_password \"hush\"\n");
    ASSERT_EQ(Settings({"new", file, "g_password=secret", "advanced=@" + lines}).exitCode, 0);
    for (const bool secrets : {false, true}) {
        std::vector<std::string> words = {"show", file, "--json"};
        if (secrets)
            words.push_back("--secrets");
        const Result shown = Settings(words);
        ASSERT_EQ(shown.exitCode, 0) << shown.err;
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(shown.out), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << shown.out;
        const QJsonArray options = document.object().value(QStringLiteral("options")).toArray();
        EXPECT_EQ(static_cast<std::size_t>(options.size()), Options().size());
        std::map<QString, QJsonValue> values;
        for (const QJsonValue& option : options)
            values[option[QStringLiteral("name")].toString()] = option[QStringLiteral("value")];
        EXPECT_EQ(values[QStringLiteral("g_password")].toString(), secrets ? QStringLiteral("secret") : "(set)");
        EXPECT_EQ(values[QStringLiteral("advanced")].toArray().first().toString().contains(QStringLiteral("hush")),
                  secrets);
        EXPECT_EQ(shown.out.find("hush") != std::string::npos, secrets);
    }
    const Result text = Settings({"show", file});
    EXPECT_EQ(text.out.find("secret"), std::string::npos);
    EXPECT_EQ(text.out.find("hush"), std::string::npos);
    EXPECT_NE(text.out.find("prm_mg_nades"), std::string::npos);
}

TEST_F(SettingsCommandTest, TheHelpListsTheNamesWithWhatTheyAccept) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCommandLine({"settings", "--help"}, out, err), 0);
    for (const char* line : {"settings new", "settings set", "prm_mg_nades", "1 to 3", "rotation", "advanced",
                             "none, local, internet", "prm_fog_red", "0 to 255"})
        EXPECT_NE(out.str().find(line), std::string::npos) << line;
}

} // namespace
