// The language list, file-name matching, style definitions and font schemes.
#include "TestApp.h"
#include "language/FontSchemes.h"
#include "language/LanguageSwitch.h"
#include "language/LanguageTable.h"
#include "language/StyleDefinition.h"
#include "platform/CodePage.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace {

void Fill(LanguageTable& table, const std::map<std::string, std::string>& values) {
    table.Props().Clear();
    for (const auto& [k, v] : values)
        table.Props().Assign(k, v);
    table.BuildLanguageList();
}

TEST(LanguageList, PairsCommentsOddBarsAndMissingPatterns) {
    LanguageTable table;
    Fill(table, {{"menu.language", "#Foo|foo|C|c|Nothing|none|&Any|*.any;*.all|Python|py|Odd"},
                 {"file.patterns.foo", "*.foo"},
                 {"file.patterns.c", "*.c;*.h"},
                 {"file.patterns.py", "*.py"},
                 {"lexer.$(file.patterns.c)", "cpp"},
                 {"lexer.*.py", "python"}});
    ASSERT_EQ(table.Count(), 3);
    EXPECT_EQ(table.Entry(0).name, "C");
    EXPECT_EQ(table.Entry(0).patterns, "*.c;*.h");
    EXPECT_EQ(table.Entry(0).lexer, "cpp");
    EXPECT_EQ(table.Entry(1).name, "&Any");
    EXPECT_EQ(table.Entry(1).patterns, "*.any;*.all");   // the extension field is the list
    EXPECT_EQ(table.Entry(1).lexer, "");
    EXPECT_EQ(table.Entry(2).lexer, "python");
    auto items = table.MenuItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].command, 701);
    EXPECT_EQ(items[1].text, QString("&Any"));
    EXPECT_EQ(table.IndexForCommand(700), -1);
    EXPECT_EQ(table.IndexForCommand(703), 2);
    EXPECT_EQ(table.IndexForCommand(704), -2);
}

TEST(LanguageList, EmptyConfigurationGetsTheBuiltInTextLanguage) {
    TestApp();
    LanguageTable table;
    QTemporaryDir empty;
    EXPECT_FALSE(table.Load(empty.path()));
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Entry(0).name, "Text");
    EXPECT_EQ(table.Entry(0).lexer, "");
    EXPECT_EQ(table.FindLanguage("/x/any.thing"), 0);
    EXPECT_EQ(table.Props().Lookup("PLAT_WIN"), "1");   // from the base store
    EXPECT_EQ(table.Props().Size(), 0u);
}

TEST(LanguageList, AtMost81LanguagesForCommands701To781) {
    LanguageTable table;
    std::string menu;
    std::map<std::string, std::string> values;
    for (int i = 0; i < 90; ++i) {
        menu += "L" + std::to_string(i) + "|e" + std::to_string(i) + "|";
        values["file.patterns.e" + std::to_string(i)] = "*.e" + std::to_string(i);
    }
    values["menu.language"] = menu;
    Fill(table, values);
    EXPECT_EQ(table.Count(), 81);
    EXPECT_EQ(table.Entry(80).name, "L80");
    EXPECT_EQ(table.MenuItems().back().command, 781);
}

TEST(LanguageList, LoadsRootAndImportsFromTheFolder) {
    TestApp();
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& text) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write("root.properties", "menu.language=Text|txt|C|c|\nimport langs\n");
    write("langs.properties", "file.patterns.txt=*.txt\nfile.patterns.c=*.c\nlexer.*.c=cpp\n");
    LanguageTable table;
    ASSERT_TRUE(table.Load(dir.path()));
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Entry(1).lexer, "cpp");
    // Loading again starts from an empty store.
    write("root.properties", "menu.language=Only|txt|\nfile.patterns.txt=*.txt\n");
    ASSERT_TRUE(table.Load(dir.path() + "/"));
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Props().Lookup("lexer.*.c"), "");
}

TEST(FindLanguage, FirstMatchingLanguageElseTheFirst) {
    TestApp();
    LanguageTable table;
    Fill(table, {{"menu.language", "Text|txt|C++|cpp|Make|mak|Any C|cc|"},
                 {"file.patterns.txt", "*.txt;*.log"},
                 {"file.patterns.cpp", "*.cpp; *.h;*.c?"},
                 {"file.patterns.mak", "makefile;Makefile.*;*.mk"},
                 {"file.patterns.cc", "*.c*"}});
    EXPECT_EQ(table.FindLanguage("/home/u/src/MAIN.CPP"), 1);
    EXPECT_EQ(table.FindLanguage("/home/u/src/a.h"), 1);        // leading blank skipped
    EXPECT_EQ(table.FindLanguage("a.cx"), 1);                   // "?" is one character
    EXPECT_EQ(table.FindLanguage("a.c"), 3);
    EXPECT_EQ(table.FindLanguage("/p/Makefile"), 2);
    EXPECT_EQ(table.FindLanguage("/p/Makefile.am"), 2);
    EXPECT_EQ(table.FindLanguage("/p.cpp/readme"), 0);          // folders do not count
    EXPECT_EQ(table.FindLanguage("notes.log"), 0);
    EXPECT_EQ(table.FindLanguage("x.unknown"), 0);
    EXPECT_EQ(table.LanguageForNewDocument("new.mk"), 2);
    EXPECT_EQ(table.LanguageForNewDocument(""), 0);
    EXPECT_TRUE(lang::PathMatchSpec("noext", "*.*"));
    EXPECT_FALSE(lang::PathMatchSpec("noext", "*.x;*.*.y"));
    EXPECT_TRUE(lang::PathMatchSpec("a.b.c.d.e.f.g.h.i.j.k", "*.*.*.*.*.*.*.*.k"));
    EXPECT_FALSE(lang::PathMatchSpec(std::string(200, 'a'), "*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(FindLanguage, NamesAndPatternsBeyondAsciiCompareInTheAnsiCodePage) {
    TestApp();
    const int saved = ansi::codePage();
    ansi::setCodePage(1252);
    LanguageTable table;
    // Pattern bytes as a properties file in code page 1252 holds them: e-acute, e-grave.
    Fill(table, {{"menu.language", "Text|txt|Acute|acute|Grave|grave|"},
                 {"file.patterns.txt", "*.txt"},
                 {"file.patterns.acute", "*.caf\xE9"},
                 {"file.patterns.grave", "*.caf\xE8;r\xE9sum\xE9*"}});
    EXPECT_EQ(table.FindLanguage(QString::fromUtf8("/p/x.caf\u00E9")), 1);
    EXPECT_EQ(table.FindLanguage(QString::fromUtf8("/p/X.CAF\u00C9")), 1);
    EXPECT_EQ(table.FindLanguage(QString::fromUtf8("/p/x.caf\u00E8")), 2);
    EXPECT_EQ(table.FindLanguage(QString::fromUtf8("R\u00C9SUM\u00C9.md")), 2);
    EXPECT_EQ(table.FindLanguage(QString::fromUtf8("x.caf\u00EA")), 0);
    ansi::setCodePage(saved);
}

TEST(FindLanguage, LookupNameIsTheFileNameOrTheFirstPattern) {
    LanguageTable table;
    Fill(table, {{"menu.language", "C++|cpp|Long|*" + std::string(100, 'x') + ";*.y|"},
                 {"file.patterns.cpp", "*.cpp;*.h"}});
    EXPECT_EQ(table.LookupName(0, "main.h"), "main.h");
    EXPECT_EQ(table.LookupName(0), "*.cpp");
    EXPECT_EQ(table.LookupName(1).size(), 63u);
}

TEST(StyleDefinitions, ParseNamesCaseSensitively) {
    StyleSpec red = StyleSpec::Parse("fore:#FF0000,bold");
    EXPECT_EQ(red.given, unsigned(StyleSpec::kFore | StyleSpec::kBold));
    EXPECT_EQ(red.ForeColour(), 0x0000FFu);
    EXPECT_TRUE(red.bold);
    EXPECT_EQ(red.back, "#FFFFFF");

    StyleSpec capital = StyleSpec::Parse("Bold,Italics,Fore:#FF0000");
    EXPECT_EQ(capital.given, 0u);
    EXPECT_FALSE(capital.bold);

    StyleSpec fonts = StyleSpec::Parse("font:Lucida Console|Courier New,size:11,italics,notitalics");
    EXPECT_EQ(fonts.font, "Lucida Console,Courier New");
    EXPECT_EQ(fonts.size, 11);
    EXPECT_FALSE(fonts.italics);
    EXPECT_TRUE(fonts.Has(StyleSpec::kItalics));

    StyleSpec odd = StyleSpec::Parse("size,case:u,eolfilled,notvisible,notchangeable,underlined,unknown:3");
    EXPECT_EQ(odd.size, 0);
    EXPECT_TRUE(odd.Has(StyleSpec::kSize));
    EXPECT_EQ(odd.caseMode, StyleSpec::kCaseUpper);
    EXPECT_TRUE(odd.eolfilled && odd.underlined);
    EXPECT_FALSE(odd.visible || odd.changeable);
    EXPECT_EQ(StyleSpec::Parse("case:l").caseMode, StyleSpec::kCaseLower);
    EXPECT_EQ(StyleSpec::Parse("case:x,").caseMode, StyleSpec::kCaseMixed);
    EXPECT_EQ(StyleSpec::Parse("").given, 0u);
    EXPECT_EQ(StyleSpec::Parse("back:#1").BackColour(), 0x000010u);
}

TEST(StyleDefinitions, FormatWritesOnlyWhatDiffersFromThePlainDefaults) {
    EXPECT_EQ(FormatStyleSpec(StyleSpec::Parse("font:Courier New")), "font:Courier New");
    EXPECT_EQ(FormatStyleSpec(StyleSpec::Parse("underlined,italics,bold,back:#cce8cf,fore:#0a0B0c,size:12,font:Mono")),
              "font:Mono,size:12,fore:#0A0B0C,back:#CCE8CF,bold,italics,underlined");
    EXPECT_EQ(FormatStyleSpec(StyleSpec::Parse("font:X,fore:#000000,back:#FFFFFF,notbold")), "font:X");
}

TEST(FontSchemes, MenuEndsAtTheFirstGapAndLabelsCarryTheSize) {
    TestApp();
    std::map<int, QString> section{{1, "font:Courier New"}, {2, "font:Lucida Console,size:10,bold"},
                                   {4, "font:Far Away"}};
    auto read = [&](int n) { auto it = section.find(n); return it == section.end() ? QString() : it->second; };
    auto menu = fonts::SchemeMenu(read);
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu[0].label, QString("&1 Courier New"));
    EXPECT_EQ(menu[1].label, QString("&2 Lucida Console, 10"));
    EXPECT_EQ(menu[1].command, 827);
    EXPECT_EQ(fonts::SelectedScheme(read, 2), "font:Lucida Console,size:10,bold");
    EXPECT_EQ(fonts::SelectedScheme(read, 3), "font:fixedsys,back:#CCE8CF");
    EXPECT_EQ(fonts::SelectedScheme(read, 4), "font:Far Away");   // selectable though not listed
    EXPECT_EQ(fonts::SelectedScheme(read, 0), fonts::kDefaultScheme);
    section[1] = "size:10";   // a scheme without a font ends the menu
    EXPECT_TRUE(fonts::SchemeMenu(read).empty());
}

TEST(FontSchemes, MissingFamiliesFallBackToTheSystemFixedFont) {
    TestApp();
    const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    EXPECT_EQ(fonts::ScreenFamily("fixedsys"), fixed);
    EXPECT_EQ(fonts::ScreenFamily("No Such Font,Another Missing"), fixed);
    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty());
    const QString real = families.first();
    EXPECT_EQ(fonts::ScreenFamily("fixedsys," + real.toStdString()), real);
    QFont font = fonts::SchemeFont(StyleSpec::Parse("font:fixedsys,bold"));
    EXPECT_EQ(font.family(), fixed);
    EXPECT_EQ(font.pointSize(), 10);
    EXPECT_TRUE(font.bold());
}

} // namespace

namespace {

TEST(LanguageSwitch, ReloadingSwitchesAskFirstAndUnsavedDocumentsStayText) {
    using lang::SwitchAction;
    lang::DocumentView text{false, 2, false, true};
    EXPECT_EQ(lang::PlanLanguageSwitch(text, 2).action, SwitchAction::Nothing);
    EXPECT_EQ(lang::PlanLanguageSwitch(text, 0).action, SwitchAction::Reapply);
    EXPECT_EQ(lang::PlanLanguageSwitch(text, -1).action, SwitchAction::ToHex);
    EXPECT_FALSE(lang::PlanLanguageSwitch(text, -1).askToSaveFirst);

    lang::DocumentView modified{false, 2, true, true};
    EXPECT_TRUE(lang::PlanLanguageSwitch(modified, -1).askToSaveFirst);
    EXPECT_FALSE(lang::PlanLanguageSwitch(modified, 1).askToSaveFirst);   // no reload, edits stay

    lang::DocumentView unnamed{false, 0, true, false};
    EXPECT_EQ(lang::PlanLanguageSwitch(unnamed, -1).action, SwitchAction::Nothing);

    lang::DocumentView hex{true, 0, true, true};
    EXPECT_EQ(lang::PlanLanguageSwitch(hex, -1).action, SwitchAction::Nothing);
    lang::SwitchPlan back = lang::PlanLanguageSwitch(hex, 0);
    EXPECT_EQ(back.action, SwitchAction::ToText);   // even to the language it had before
    EXPECT_TRUE(back.askToSaveFirst);
}

} // namespace
