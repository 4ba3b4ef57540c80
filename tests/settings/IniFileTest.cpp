// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"

#include "platform/AtomicFile.h"
#include "settings/SettingsLocation.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TIniFile Load(const TestFolder& folder, const std::string& content) {
    return TIniFile(QString::fromStdString(folder.Write("settings.ini", content)));
}

} // namespace

TEST(IniFile, ReadsLikeTheWindowsProfileFunctions) {
    TestFolder folder;
    const TIniFile ini = Load(folder, "orphan=before any section\r\n"
                                      "  [ Main ]  \r\n"
                                      "  Spaced Key  =   spaced value   \r\n"
                                      "quoted=\"  kept blanks  \"\r\n"
                                      "single=' single '\r\n"
                                      "mismatched=\"half'\n"
                                      "lonequote=\"\n"
                                      "no equals sign here\n"
                                      "dup=first\n"
                                      "DUP=second\n"
                                      "eq=a=b=c\n"
                                      "semi=x;y\n"
                                      "empty=\n"
                                      "[Other]\n"
                                      "dup=other section\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected; // nullptr: the key is absent
    };
    const Case cases[] = {
        {"Main", "orphan", nullptr},
        {"main", "spaced key", "spaced value"},
        {"MAIN", "quoted", "  kept blanks  "},
        {"Main", "single", " single "},
        {"Main", "mismatched", "\"half'"},
        {"Main", "lonequote", "\""},
        {"Main", "no equals sign here", nullptr},
        {"Main", "dup", "first"},
        {"Main", "eq", "a=b=c"},
        {"Main", "semi", "x;y"},
        {"Main", "empty", ""},
        {"other", "Dup", "other section"},
        {"Missing", "dup", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        const QString absent = QStringLiteral("<absent>");
        EXPECT_EQ(ini.ReadString(Q(c.section), Q(c.key), absent), c.expected ? Q(c.expected) : absent);
        EXPECT_EQ(ini.ValueExists(Q(c.section), Q(c.key)), c.expected != nullptr);
    }
    EXPECT_EQ(ini.ReadSection(QStringLiteral("main")), QStringList({"Spaced Key", "quoted", "single", "mismatched",
                                                                    "lonequote", "dup", "DUP", "eq", "semi", "empty"}));
}

// The reading rules of the Windows profile functions that a settings file can meet, one file per row.
TEST(IniFile, ReadsEveryFileAsTheWindowsProfileFunctionsDo) {
    struct Read {
        const char* section;
        const char* key;
        const char* value; // nullptr: the key is absent
    };
    struct Row {
        const char* rule;
        std::string content;
        std::vector<Read> reads;
        const char* listed;             // a section whose key names are checked, or nullptr
        std::vector<const char*> names; // its key names in file order
    };
    const Row rows[] = {
        {"CR LF ends a line", "[S]\r\na=1\r\nb=2\r\n", {{"S", "a", "1"}, {"S", "b", "2"}}, "S", {"a", "b"}},
        {"LF alone ends a line", "[S]\na=1\nb=2\n", {{"S", "a", "1"}, {"S", "b", "2"}}, "S", {"a", "b"}},
        {"CR alone ends a line",
         "[S]\ra=1\rb=2\r[T]\rc=3\r",
         {{"S", "a", "1"}, {"S", "b", "2"}, {"T", "c", "3"}},
         "S",
         {"a", "b"}},
        {"the three line ends mixed in one file",
         "[S]\ra=1\nb=2\r\n[T]\n\rc=3\r\r\nd=4",
         {{"S", "a", "1"}, {"S", "b", "2"}, {"T", "c", "3"}, {"T", "d", "4"}},
         "T",
         {"c", "d"}},
        {"CR before CR LF is a line end of its own",
         "[S]\r\r\na=1\r\r\n\r\nb=2\r\r\n",
         {{"S", "a", "1"}, {"S", "b", "2"}},
         "S",
         {"a", "b"}},
        {"blanks around a section name inside the brackets",
         "[  Main  ]\r\na=1\r\n  [\tFog form\t]  \r\nb=2\r\n",
         {{"Main", "a", "1"}, {"Fog form", "b", "2"}, {"  Main  ", "a", nullptr}},
         "Fog form",
         {"b"}},
        {"blanks around keys and values",
         "[S]\r\n  key  =  value  \r\n\tk2\t=\tv2\t\r\nin ner = a b \r\n",
         {{"S", "key", "value"}, {"S", "k2", "v2"}, {"S", "in ner", "a b"}, {"S", "  key", nullptr}},
         "S",
         {"key", "k2", "in ner"}},
        {"a value in quotes loses one pair of matching quotes",
         "[S]\r\nd=\"  kept  \"\r\ns=' single '\r\nm=\"mixed'\r\ne=\"\"\r\nin=a \"b\" c\r\ntwo=\"\"x\"\"\r\n",
         {{"S", "d", "  kept  "},
          {"S", "s", " single "},
          {"S", "m", "\"mixed'"},
          {"S", "e", ""},
          {"S", "in", "a \"b\" c"},
          {"S", "two", "\"x\""}},
         nullptr,
         {}},
        {"letter case of sections and keys",
         "[MainForm]\r\nEditPath=/games/cod\r\n",
         {{"MAINFORM", "editpath", "/games/cod"}, {"mainform", "EDITPATH", "/games/cod"}},
         "mainFORM",
         {"EditPath"}},
        {"a line without = holds no key",
         "[S]\r\njust text\r\nk=v\r\n; comment\r\n",
         {{"S", "just text", nullptr}, {"S", "k", "v"}},
         "S",
         {"k"}},
        {"a key with an empty name",
         "[S]\r\n=nameless\r\nk=v\r\n",
         {{"S", "", "nameless"}, {"S", "k", "v"}},
         "S",
         {"", "k"}},
        {"an empty section",
         "[Empty]\r\n[S]\r\nk=v\r\n[Last]",
         {{"Empty", "k", nullptr}, {"S", "k", "v"}},
         "Empty",
         {}},
        {"the first of two sections of the same name counts",
         "[S]\r\na=first\r\n[T]\r\nt=1\r\n[s]\r\na=second\r\nb=only in the second\r\n",
         {{"S", "a", "first"}, {"S", "b", nullptr}, {"T", "t", "1"}},
         "S",
         {"a"}},
        {"the first of two keys of the same name counts",
         "[S]\r\nk=first\r\nK=second\r\n",
         {{"S", "k", "first"}},
         "S",
         {"k", "K"}},
        {"text before the first section belongs to none",
         "orphan=1\r\n; note\r\n[S]\r\nk=v\r\n",
         {{"S", "orphan", nullptr}, {"", "orphan", nullptr}, {"S", "k", "v"}},
         "S",
         {"k"}},
        {"a file without a final line end",
         "[S]\r\na=1\r\nlast=v",
         {{"S", "a", "1"}, {"S", "last", "v"}},
         "S",
         {"a", "last"}},
        {"a CR-only file without a final line end",
         "[S]\ra=1\rlast=v",
         {{"S", "a", "1"}, {"S", "last", "v"}},
         "S",
         {"a", "last"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rule);
        TestFolder folder;
        const TIniFile ini = Load(folder, row.content);
        const QString absent = QStringLiteral("<absent>");
        for (const Read& read : row.reads) {
            SCOPED_TRACE(std::string(read.section) + "/" + read.key);
            EXPECT_EQ(ini.ReadString(Q(read.section), Q(read.key), absent), read.value ? Q(read.value) : absent);
            EXPECT_EQ(ini.ValueExists(Q(read.section), Q(read.key)), read.value != nullptr);
        }
        if (row.listed) {
            QStringList names;
            for (const char* name : row.names)
                names << Q(name);
            EXPECT_EQ(ini.ReadSection(Q(row.listed)), names);
            EXPECT_EQ(ini.SectionExists(Q(row.listed)), !names.isEmpty());
        }
    }
}

TEST(IniFile, AFileWithOtherLineEndsIsWrittenBackWithCrLf) {
    for (const std::string content : {"[S]\rk=old\rother=1\r", "[S]\nk=old\nother=1\n"}) {
        TestFolder folder;
        TIniFile ini = Load(folder, content);
        ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new"));
        ini.Save();
        EXPECT_EQ(folder.Read("settings.ini"), "[S]\r\nk=new\r\nother=1\r\n");
    }
}

TEST(IniFile, ALongFileIsWrittenWholeEveryLineEndedByCrLf) {
    // About a megabyte: written in many pieces, each line once, in its place.
    TestFolder folder;
    TIniFile ini = Load(folder, "[First]\nkept=yes\n");
    std::string expected = "[First]\r\nkept=yes\r\n[Long]\r\n";
    for (int i = 0; i < 30000; ++i) {
        const std::string key = "key" + std::to_string(i);
        const std::string value = "value number " + std::to_string(i);
        ini.WriteString(QStringLiteral("Long"), QString::fromStdString(key), QString::fromStdString(value));
        expected += key + "=" + value + "\r\n";
    }
    ini.Save();
    EXPECT_EQ(folder.Read("settings.ini"), expected);
}

// Lookups go through an index of the names; each change must keep it true.
TEST(IniFile, LookupsStayTrueAfterEveryChange) {
    TestFolder folder;
    TIniFile ini = Load(folder, "[A]\nk1=1\nk2=2\nk1=again\n\n\n[B]\nx=1\n[C]\ny=2\n[b]\nx=dup\n");
    ini.DeleteKey(QStringLiteral("a"), QStringLiteral("K1"));
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("A"), QStringLiteral("k1")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("k2"), {}), QStringLiteral("2"));
    ini.WriteString(QStringLiteral("A"), QStringLiteral("k3"), QStringLiteral("3"));
    ini.WriteString(QStringLiteral("A"), QStringLiteral("K2"), QStringLiteral("two"));
    EXPECT_EQ(ini.ReadSectionValues(QStringLiteral("A")),
              (std::vector<std::pair<QString, QString>>{{QStringLiteral("k2"), QStringLiteral("two")},
                                                        {QStringLiteral("k3"), QStringLiteral("3")}}));
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("k3"), {}), QStringLiteral("3"));

    // Erasing a section removes both of its copies and moves the sections after them.
    ini.EraseSection(QStringLiteral("B"));
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("B"), QStringLiteral("x")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("C"), QStringLiteral("y"), {}), QStringLiteral("2"));
    ini.ReplaceSection(QStringLiteral("c"), {{QStringLiteral("L0"), QStringLiteral("zero")},
                                             {QStringLiteral("L1"), QStringLiteral("one")},
                                             {QStringLiteral("l0"), QStringLiteral("later")}});
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("C"), QStringLiteral("y")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("C"), QStringLiteral("l0"), {}), QStringLiteral("zero"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("C"), QStringLiteral("L1"), {}), QStringLiteral("one"));
    ini.WriteString(QStringLiteral("New"), QStringLiteral("n"), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("NEW"), QStringLiteral("N"), {}), QStringLiteral("1"));
    ini.Save();
    EXPECT_EQ(folder.Read("settings.ini"),
              "[A]\r\nk2=two\r\nk3=3\r\n\r\n\r\n[C]\r\nL0=zero\r\nL1=one\r\nl0=later\r\n[New]\r\nn=1\r\n");
}

TEST(IniFile, NumberedValuesReadUpToTheFirstMissingNumberWhateverTheirOrder) {
    const struct {
        const char* section;
        QStringList expected;
    } cases[] = {
        {"[L]\nL0=a\nL1=b\nItemIndex=1\nL2= \"c\" \n", {"a", "b", "c"}},
        {"[L]\nL1=b\nL0=a\nL3=d\n", {"a", "b"}},                // out of order, with a gap
        {"[L]\nl0=a\nL1=b\nL0=again\nL2=c\n", {"a", "b", "c"}}, // the first of a duplicate wins
        {"[L]\nL0=a\nL01=x\nL1=b\nLx=y\n", {"a", "b"}},         // "L01" is no L1
        {"[L]\nL1=b\n", {}},
        {"[L]\nItemIndex=0\n", {}},
        // Characters of two, three and four bytes in UTF-8 come back whole.
        {"[L]\nL0=\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 x\nL1=y\n", {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 x", "y"}},
    };
    TestFolder folder;
    for (const auto& c : cases) {
        const TIniFile ini = Load(folder, c.section);
        EXPECT_EQ(ini.ReadNumberedValues(QStringLiteral("l"), QStringLiteral("L")), c.expected) << c.section;
        std::vector<std::string> utf8;
        for (const QString& value : c.expected)
            utf8.push_back(value.toStdString());
        EXPECT_EQ(ini.ReadNumberedUtf8Values(QStringLiteral("l"), QStringLiteral("L")), utf8) << c.section;
    }
    TIniFile ini = Load(folder, "[L]\n; comment\n[M]\nL0=a\n");
    EXPECT_EQ(ini.ReadNumberedValues(QStringLiteral("L"), QStringLiteral("L")), std::nullopt);
    EXPECT_EQ(ini.ReadNumberedValues(QStringLiteral("None"), QStringLiteral("L")), std::nullopt);
    // Changes made after reading count alike.
    ini.WriteString(QStringLiteral("M"), QStringLiteral("L2"), QStringLiteral("c"));
    EXPECT_EQ(ini.ReadNumberedValues(QStringLiteral("M"), QStringLiteral("L")), QStringList{QStringLiteral("a")});
    ini.WriteString(QStringLiteral("M"), QStringLiteral("L1"), QStringLiteral("b"));
    EXPECT_EQ(ini.ReadNumberedValues(QStringLiteral("M"), QStringLiteral("L")), (QStringList{"a", "b", "c"}));
    ini.DeleteKey(QStringLiteral("M"), QStringLiteral("L0"));
    EXPECT_EQ(ini.ReadNumberedValues(QStringLiteral("M"), QStringLiteral("L")), QStringList{});
    ini.WriteString(QStringLiteral("L"), QStringLiteral("L0"), QStringLiteral("new"));
    EXPECT_EQ(ini.ReadNumberedValues(QStringLiteral("L"), QStringLiteral("L")), QStringList{QStringLiteral("new")});
    ini.DeleteKey(QStringLiteral("L"), QStringLiteral("L0"));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("L")));
}

TEST(IniFile, EveryValueRoundTripsThroughTheFile) {
    TestFolder folder;
    const QString values[] = {Q("  leading blanks"),
                              Q("trailing blanks  "),
                              Q("\"double quoted\""),
                              Q("'single quoted'"),
                              Q("\""),
                              Q("\"\""),
                              Q("a=b=c"),
                              Q("x;y ; z"),
                              Q("accents éàü œ €"),
                              Q(""),
                              Q("  "),
                              Q("\tTab"),
                              Q("\"open only"),
                              Q("mixed' \""),
                              Q("[NotASection]")};
    const QString path = QString::fromStdString(folder.File("round.ini"));
    {
        TIniFile ini(path);
        for (std::size_t i = 0; i < std::size(values); ++i)
            ini.WriteString(QStringLiteral("Values"), QStringLiteral("K%1").arg(i), values[i]);
        ini.Save();
    }
    const TIniFile reread(path);
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(reread.ReadString(QStringLiteral("Values"), QStringLiteral("K%1").arg(i), QStringLiteral("?")),
                  values[i])
            << i;

    // Written as UTF-8, every line (the last one included) ended by CR LF.
    const std::string bytes = folder.Read("round.ini");
    EXPECT_NE(bytes.find("K8=accents \xC3\xA9\xC3\xA0\xC3\xBC \xC5\x93 \xE2\x82\xAC\r\n"), std::string::npos);
    EXPECT_TRUE(bytes.starts_with("[Values]\r\nK0=\"  leading blanks\"\r\n"));
    EXPECT_TRUE(bytes.ends_with("K14=[NotASection]\r\n"));
    std::size_t lineFeeds = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n') {
            ++lineFeeds;
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << i;
        }
    EXPECT_EQ(lineFeeds, std::size(values) + 1);
}

TEST(IniFile, ALineBreakInsideAValueCannotStartANewKey) {
    TestFolder folder;
    const QString path = QString::fromStdString(folder.File("breaks.ini"));
    TIniFile ini(path);
    ini.WriteString(QStringLiteral("S"), QStringLiteral("A"), QStringLiteral("one\r\n[S]\nB=two"));
    ini.Save();
    const TIniFile reread(path);
    EXPECT_EQ(reread.ReadSection(QStringLiteral("S")), QStringList({"A"}));
    EXPECT_EQ(reread.ReadString(QStringLiteral("S"), QStringLiteral("A"), {}), QStringLiteral("one  [S] B=two"));
}

TEST(IniFile, WritingKeepsEveryOtherSectionKeyAndLineInPlace) {
    TestFolder folder;
    TIniFile ini = Load(folder, "; written by another program\n"
                                "[Foreign]\n"
                                "colour = blue\n"
                                "; a comment line\n"
                                "\n"
                                "[Main]\n"
                                "Alpha=1\n"
                                "beta=2\n"
                                "\n"
                                "[List]\n"
                                "L0=old\n"
                                "L1=old too\n"
                                "[Tail]\n"
                                "z=26\n");
    ini.WriteString(QStringLiteral("MAIN"), QStringLiteral("BETA"), QStringLiteral("two"));
    ini.WriteString(QStringLiteral("main"), QStringLiteral("gamma"), QStringLiteral("3"));
    ini.ReplaceSection(QStringLiteral("list"), {{QStringLiteral("L0"), QStringLiteral("new")},
                                                {QStringLiteral("ItemIndex"), QStringLiteral("0")}});
    ini.WriteInteger(QStringLiteral("Added"), QStringLiteral("n"), -5);
    ini.DeleteKey(QStringLiteral("tail"), QStringLiteral("Z"));
    ini.Save();
    EXPECT_EQ(folder.Read("settings.ini"), "; written by another program\r\n"
                                           "[Foreign]\r\n"
                                           "colour = blue\r\n"
                                           "; a comment line\r\n"
                                           "\r\n"
                                           "[Main]\r\n"
                                           "Alpha=1\r\n"
                                           "beta=two\r\n"
                                           "gamma=3\r\n"
                                           "\r\n"
                                           "[List]\r\n"
                                           "L0=new\r\n"
                                           "ItemIndex=0\r\n"
                                           "[Tail]\r\n"
                                           "[Added]\r\n"
                                           "n=-5\r\n");
}

TEST(IniFile, SectionsAndKeysCanBeListedTestedAndRemoved) {
    TestFolder folder;
    TIniFile ini = Load(folder, "[A]\nk1=1\nk2=2\nk1=again\n[Empty]\njust a line\n[B]\nx=1\n");
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("a")));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("Empty"))); // a section without keys does not count
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("Nowhere")));

    using Pairs = std::vector<std::pair<QString, QString>>;
    EXPECT_EQ(ini.ReadSectionValues(QStringLiteral("a")), Pairs({{"k1", "1"}, {"k2", "2"}, {"k1", "again"}}));
    EXPECT_TRUE(ini.ReadSectionValues(QStringLiteral("Empty")).empty());
    ini.DeleteKey(QStringLiteral("A"), QStringLiteral("K1")); // every copy goes, so no older one shows through
    EXPECT_EQ(ini.ReadSection(QStringLiteral("A")), QStringList({"k2"}));
    ini.EraseSection(QStringLiteral("b"));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("B")));
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("B"), QStringLiteral("x")));
    ini.ReplaceSection(QStringLiteral("A"), {});
    ini.Save();
    EXPECT_EQ(folder.Read("settings.ini"), "[Empty]\r\njust a line\r\n");
}

TEST(IniFile, NothingIsTruncated) {
    TestFolder folder;
    const QString path = QString::fromStdString(folder.File("big.ini"));
    const QString longValue = QString(5000, u'v') + QStringLiteral("end");
    {
        TIniFile ini(path);
        ini.WriteString(QStringLiteral("Big"), QStringLiteral("long"), longValue);
        for (int i = 0; i < 3000; ++i) // far beyond the 16 384 bytes of key names Windows returns
            ini.WriteInteger(QStringLiteral("Many"), QStringLiteral("Key%1").arg(i), i);
        ini.Save();
    }
    const TIniFile reread(path);
    EXPECT_EQ(reread.ReadString(QStringLiteral("Big"), QStringLiteral("long"), {}), longValue);
    const QStringList keys = reread.ReadSection(QStringLiteral("Many"));
    ASSERT_EQ(keys.size(), 3000);
    EXPECT_EQ(keys.back(), QStringLiteral("Key2999"));
    EXPECT_EQ(reread.ReadInteger(QStringLiteral("Many"), QStringLiteral("key2999"), -1), 2999);
}

TEST(IniFile, IntegersAndBooleansAreReadInDecimalOrHexadecimal) {
    struct Case {
        const char* value;
        int integer;  // read with the default 77
        bool boolean; // read with the default true
    };
    const Case cases[] = {
        {"12", 12, true},
        {"-7", -7, true},
        {"+3", 3, true},
        {"0", 0, false},
        {"  42  ", 42, true},
        {"0x1F", 31, true},
        {"0X1f", 31, true},
        {"$ff", 255, true},
        {"$FFFFFFFF", -1, true},
        {"$0", 0, false},
        {"2147483647", 2147483647, true},
        {"2147483648", 77, true},
        {"$123456789", 77, true},
        {"yes", 77, true},
        {"12abc", 77, true},
        {"", 77, true},
        {"0x", 77, true},
        {"$", 77, true},
        {"1.5", 77, true},
        {"-", 77, true},
        {"0x-1", 77, true},
        {"\"0\"", 0, false},
    };
    TestFolder folder;
    std::string content = "[N]\n";
    for (std::size_t i = 0; i < std::size(cases); ++i)
        content.append("k").append(std::to_string(i)).append("=").append(cases[i].value).append("\n");
    const TIniFile ini = Load(folder, content);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].value);
        const QString key = QStringLiteral("k%1").arg(i);
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("N"), key, 77), cases[i].integer);
        EXPECT_EQ(ini.ReadBool(QStringLiteral("N"), key, true), cases[i].boolean);
    }
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("N"), QStringLiteral("absent"), false));
}

TEST(IniFile, IntegersAndBooleansAreWrittenAsDecimalText) {
    TestFolder folder;
    TIniFile ini = Load(folder, "");
    ini.WriteInteger(QStringLiteral("S"), QStringLiteral("neg"), -2147483647 - 1);
    ini.WriteBool(QStringLiteral("S"), QStringLiteral("on"), true);
    ini.WriteBool(QStringLiteral("S"), QStringLiteral("off"), false);
    ini.Save();
    EXPECT_EQ(folder.Read("settings.ini"), "[S]\r\nneg=-2147483648\r\non=1\r\noff=0\r\n");
}

TEST(IniFile, AWindows1252FileLoadsWithItsAccents) {
    TestFolder folder;
    const TIniFile ini = Load(folder, "[MainForm]\r\nsv_hostname=Serveur fran\xE7\x61is \x80 d\xE9j\xE0\r\n");
    EXPECT_EQ(ini.ReadString(QStringLiteral("MainForm"), QStringLiteral("sv_hostname"), {}),
              Q("Serveur français € déjà"));
}

TEST(IniFile, AByteOrderMarkIsNotPartOfTheFirstSection) {
    TestFolder folder;
    const TIniFile ini = Load(folder, "\xEF\xBB\xBF[S]\nk=v\n");
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), {}), QStringLiteral("v"));
}

TEST(IniFile, AFileSavedAsUnicodeByAWindowsEditorReadsAsWhatItIs) {
    // One text in each encoding an editor may choose, with its byte order mark.
    const QString text = Q("[S]\r\ng_password=déjà\r\n");
    std::string littleEndian = "\xFF\xFE", bigEndian = "\xFE\xFF";
    for (const QChar c : text) {
        littleEndian.append({static_cast<char>(c.unicode() & 0xFF), static_cast<char>(c.unicode() >> 8)});
        bigEndian.append({static_cast<char>(c.unicode() >> 8), static_cast<char>(c.unicode() & 0xFF)});
    }
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"UTF-16 LE", littleEndian},
        {"UTF-16 BE", bigEndian},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + text.toStdString()},
    };
    for (const auto& [encoding, bytes] : cases) {
        TestFolder folder;
        const TIniFile ini = Load(folder, bytes);
        EXPECT_EQ(ini.SectionNames(), QStringList{QStringLiteral("S")}) << encoding;
        EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("g_password"), {}), Q("déjà")) << encoding;
    }
}

TEST(IniFile, AFileLargerThanASettingsFileIsRefusedWithItsSizeUnread) {
    TestFolder folder;
    const std::string path = folder.Write("huge.ini", "[S]\r\n");
    std::filesystem::resize_file(path, MaxIniFileSize + 1);
    try {
        ReadIniLines(QString::fromStdString(path));
        ADD_FAILURE() << "read";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Reason(),
                  std::to_string(MaxIniFileSize + 1) + " bytes, more than the 64 MiB a settings file may have");
    }
}

namespace {

// The address space of this process now, in bytes.
rlim_t AddressSpaceInUse() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0)
            return static_cast<rlim_t>(std::stoull(line.substr(7))) * 1024;
    return 0;
}

// Lets this process take at most `more` bytes of address space beyond what it holds, while it lives: an
// allocation past that fails instead of taking the machine's memory.
class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(rlim_t more) {
        ::getrlimit(RLIMIT_AS, &previous_);
        const rlimit limited{AddressSpaceInUse() + more, previous_.rlim_max};
        ::setrlimit(RLIMIT_AS, &limited);
    }
    ~AddressSpaceLimit() { ::setrlimit(RLIMIT_AS, &previous_); }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

private:
    rlimit previous_{};
};

} // namespace

// The size is checked before anything is read: a file of gigabytes costs neither the time nor the memory of
// reading it.
TEST(IniFile, AFileFarLargerThanASettingsFileIsRefusedBeforeItIsRead) {
    TestFolder folder;
    const std::string path = folder.Write("huge.ini", "[MainForm]\r\n");
    constexpr std::uintmax_t Huge = std::uintmax_t(8) << 30;
    std::filesystem::resize_file(path, Huge); // sparse: no disk space taken
    std::string reason;
    {
        const AddressSpaceLimit limit(std::uintmax_t(512) << 20);
        try {
            TIniFile ini(QString::fromStdString(path));
        } catch (const FileError& error) {
            reason = error.Reason();
        } catch (const std::exception& error) {
            reason = std::string("not refused by its size: ") + error.what();
        }
    }
    EXPECT_EQ(reason, std::to_string(Huge) + " bytes, more than the 64 MiB a settings file may have");
}

// The sections of the windows are found with letter case ignored, as every other name of the INI layer.
TEST(IniFile, ASettingsFileIsKnownByItsWindowsSectionsInAnyLetterCase) {
    TestFolder folder;
    const struct {
        const char* content;
        bool settings;
    } cases[] = {
        {"[MainForm]\r\nsv_hostname=x\r\n", true}, {"[mainform]\r\nsv_hostname=x\r\n", true},
        {"[FOGFORM]\r\nprm_fog_red=1\r\n", true},  {"[msgformMsgMemo]\r\nL0=hi\r\n", true},
        {"[Notes]\r\nmainform=x\r\n", false},      {"[Main]\r\nsv_hostname=x\r\n", false},
    };
    for (const auto& [content, settings] : cases) {
        const TIniFile ini(QString::fromStdString(folder.Write("case.ini", content)));
        bool accepted = true;
        try {
            RequireQuendrySettings(ini);
        } catch (const std::runtime_error&) {
            accepted = false;
        }
        EXPECT_EQ(accepted, settings) << content;
    }
}

TEST(IniFile, AMissingFileReadsEmptyAndIsOnlyCreatedByAWrite) {
    TestFolder folder;
    TIniFile ini(QString::fromStdString(folder.File("new.ini")));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("S")));
    ini.Save();
    EXPECT_FALSE(std::filesystem::exists(folder.File("new.ini")));
    ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    ini.Save();
    EXPECT_EQ(folder.Read("new.ini"), "[S]\r\nk=v\r\n");
}

TEST(IniFile, AFileThatCannotBeWrittenIsReportedWithItsPath) {
    TestFolder folder;
    const std::string path = folder.File("no such folder/settings.ini");
    TIniFile ini(QString::fromStdString(path));
    ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    try {
        ini.Save();
        FAIL() << "Save succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Impossible d'écrire dans " + path + " (No such file or directory)");
    }
}

TEST(IniFile, ANewFileIsPrivateAndAReplacedOneKeepsItsMode) {
    // Settings files hold the server's passwords.
    TestFolder folder;
    const std::string path = folder.File("settings.ini");
    TIniFile created(QString::fromStdString(path));
    created.WriteString(QStringLiteral("MainForm"), QStringLiteral("g_password"), QStringLiteral("secret"));
    created.Save();
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    TIniFile replaced(QString::fromStdString(path));
    replaced.WriteString(QStringLiteral("MainForm"), QStringLiteral("g_password"), QStringLiteral("other"));
    replaced.Save();
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

// Blanks are those of Unicode (a no-break space, an em space, an ideographic space), in UTF-8 and in Windows-1252
// files alike; letter case is that of Unicode too (the Kelvin sign is a capital k).
TEST(IniFile, BlanksAndLetterCaseAreThoseOfUnicode) {
    struct Row {
        const char* content;
        const char* section;
        const char* key;
        const char* value;
    };
    const Row rows[] = {
        {"[\xC2\xA0S\xE3\x80\x80]\r\n\xC2\xA0key\xE2\x80\x83=\xC2\xA0value\xC2\xA0\r\n", "S", "key", "value"},
        {"[S]\r\n\xA0key\xA0=\xA0"
         "caf\xE9\xA0\r\n",
         "s", "KEY", "caf\xC3\xA9"},
        {"[S]\r\n\xE2\x84\xAA"
         "elvin=1\r\n",
         "S", "KELVIN", "1"},
        {"[\xE2\x84\xAA]\r\nk=1\r\n", "k", "K", "1"},
        {"[S]\r\nkey=\xC2\xA0\"quoted\"\xC2\xA0\r\n", "S", "key", "quoted"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.content);
        TestFolder folder;
        const TIniFile ini = Load(folder, row.content);
        EXPECT_EQ(ini.ReadString(Q(row.section), Q(row.key), QStringLiteral("<absent>")), Q(row.value));
    }

    TestFolder folder;
    TIniFile ini = Load(folder, "[L]\r\n\xE2\x84\xAA"
                                "0=a\r\nk1=b\r\n\r\n\xC2\xA0\r\n[T]\r\n");
    EXPECT_EQ(ini.ReadNumberedValues(QStringLiteral("L"), QStringLiteral("K")), QStringList({"a", "b"}));
    EXPECT_EQ(ini.ReadNumberedUtf8Values(QStringLiteral("L"), QStringLiteral("K")),
              (std::vector<std::string>{"a", "b"}));
    // A line of no-break spaces is blank: a new key goes before it.
    ini.WriteString(QStringLiteral("L"), QStringLiteral("k2"), QStringLiteral("c"));
    ini.Save();
    EXPECT_EQ(folder.Read("settings.ini"), "[L]\r\n\xE2\x84\xAA"
                                           "0=a\r\nk1=b\r\nk2=c\r\n\r\n\xC2\xA0\r\n[T]\r\n");
}

TEST(IniFile, AListReadFromTheFileKeepsItsValuesWhenTheFileChangesOrGoes) {
    TestFolder folder;
    std::optional<TIniFile> ini = Load(folder, "[L]\r\nL0=a\r\nL1= \"b\" \r\n[M]\r\nk=v\r\n");
    const auto list = ini->ReadNumberedUtf8Values(QStringLiteral("L"), QStringLiteral("L"));
    ini->WriteString(QStringLiteral("L"), QStringLiteral("L0"), QStringLiteral("changed"));
    ini->WriteString(QStringLiteral("L"), QStringLiteral("L2"), QStringLiteral("added"));
    ini->EraseSection(QStringLiteral("M"));
    EXPECT_EQ(list, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(ini->ReadNumberedUtf8Values(QStringLiteral("L"), QStringLiteral("L")),
              (std::vector<std::string>{"changed", "b", "added"}));
    ini.reset();
    EXPECT_EQ(list, (std::vector<std::string>{"a", "b"}));
}

TEST(IniFile, AKeyAddedToTheLastSectionAfterANewSectionStaysInItsOwn) {
    // The last section was looked up, or written to, before the new section was added after it.
    const std::vector<std::function<void(TIniFile&)>> before = {
        [](TIniFile& ini) { ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()); },
        [](TIniFile& ini) { ini.WriteString(QStringLiteral("S"), QStringLiteral("k0"), QStringLiteral("0")); },
        [](TIniFile&) {},
    };
    for (std::size_t i = 0; i < before.size(); ++i) {
        TestFolder folder;
        TIniFile ini = Load(folder, "[A]\r\nx=1\r\n[S]\r\nk=1\r\n");
        before[i](ini);
        ini.WriteString(QStringLiteral("New"), QStringLiteral("n"), QStringLiteral("1"));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("k2"), QStringLiteral("2"));
        ini.WriteString(QStringLiteral("New"), QStringLiteral("n2"), QStringLiteral("3"));
        ini.Save();
        const std::string k0 = i == 1 ? "k0=0\r\n" : "";
        EXPECT_EQ(folder.Read("settings.ini"), "[A]\r\nx=1\r\n[S]\r\nk=1\r\n" + k0 + "k2=2\r\n[New]\r\nn=1\r\nn2=3\r\n")
            << i;
    }
}
