// Applying languages to the real editing component, offscreen.
#include "TestApp.h"
#include "language/LanguageStyler.h"
#include "language/LexerAliases.h"

#include <Qsci/qsciscintillabase.h>
#include <QFontDatabase>
#include <gtest/gtest.h>
#include <memory>

using SB = QsciScintillaBase;

namespace {

long Get(SB& sci, unsigned msg, unsigned long w = 0, long l = 0) { return sci.SendScintilla(msg, w, l); }

std::string Property(SB& sci, const char* key) {
    char buf[256] = {};
    sci.SendScintilla(SB::SCI_GETPROPERTY, reinterpret_cast<uintptr_t>(key), buf);
    return buf;
}

std::string StyleFont(SB& sci, int style) {
    char buf[256] = {};
    sci.SendScintilla(SB::SCI_STYLEGETFONT, static_cast<uintptr_t>(style), buf);
    return buf;
}

class Styling : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        PropSetFile& p = table.Props();
        p.Clear();
        const char* lines[] = {
            "menu.language=Text|txt|C|c|Python|py|Java|java|",
            "file.patterns.txt=*.txt",
            "file.patterns.c=*.c;*.h;special.x",
            "file.patterns.py=*.py",
            "file.patterns.java=*.java",
            "lexer.$(file.patterns.c)=cpp",
            "lexer.$(file.patterns.py)=python",
            "lexer.$(file.patterns.java)=java",
            "keywords.*.c=int return",
            "keywords2.$(file.patterns.c)=size_t",
            "keywords.special.x=onlyspecial",
            "keywords.$(file.patterns.py)=def return",
            "style.*.33=fore:#102030",
            "style.cpp.5=fore:#0000FF,bold",
            "style.cpp.1=fore:#008000,Bold,italics",
            "style.cpp.6=$(colour.string)",
            "colour.string=fore:#800000",
            "style.python.32=size:20",
            "style.java.5=fore:#00FF00",
            "fold=1",
            "fold.compact=0",
            "fold.symbols=1",
            "use.tabs=1",
            "use.tabs.$(file.patterns.py)=0",
            "tab.size.$(file.patterns.py)=8",
            "indent.size.$(file.patterns.py)=2",
            "word.characters.$(file.patterns.py)=abc_",
            "braces.cpp.style=10",
            "statement.indent.$(file.patterns.c)=5 if else while",
            "calltip.*.parameters.start=(",
            "calltip.python.parameters.start=[",
            "autocomplete.*.ignorecase=1",
            "code.page=0",
        };
        for (const char* line : lines)
            p.AssignLine(line);
        table.BuildLanguageList();
        ASSERT_EQ(table.Count(), 4);
        inputs.editorMask = editormask::kSyntaxHighlight | editormask::kLineNumbers;
        inputs.defaultStyle = "font:fixedsys,size:9,back:#CCE8CF";
    }
    std::unique_ptr<SB> View(const char* text) {
        auto sci = std::make_unique<SB>();
        sci->resize(600, 400);
        sci->SendScintilla(SB::SCI_SETTEXT, static_cast<uintptr_t>(0), text);
        return sci;
    }
    LanguageTable table;
    LanguageInputs inputs;
};

TEST_F(Styling, CFileGetsTheCppLexerKeywordsAndStyles) {
    auto sci = View("int main() { return 0; } // done\nchar* s = \"x\";\n");
    int c = table.FindLanguage("/src/main.c");
    ASSERT_EQ(c, 1);
    LanguageState st = styling::ApplyLanguage(sci.get(), table, c, "main.c", inputs);
    EXPECT_EQ(st.lexerNumber, SB::SCLEX_CPP);
    EXPECT_EQ(Get(*sci, SB::SCI_GETLEXER), SB::SCLEX_CPP);
    sci->SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    EXPECT_EQ(Get(*sci, SB::SCI_GETSTYLEAT, 0), 5);    // "int" is keyword list 0
    EXPECT_EQ(Get(*sci, SB::SCI_GETSTYLEAT, 13), 5);   // "return"
    EXPECT_EQ(Get(*sci, SB::SCI_STYLEGETFORE, 5), 0xFF0000);
    EXPECT_TRUE(Get(*sci, SB::SCI_STYLEGETBOLD, 5));
    EXPECT_EQ(Get(*sci, SB::SCI_STYLEGETFORE, 6), 0x000080);   // through $(colour.string)
    // "Bold" is not a style item: style 1 is italic but not bold.
    EXPECT_TRUE(Get(*sci, SB::SCI_STYLEGETITALIC, 1));
    EXPECT_FALSE(Get(*sci, SB::SCI_STYLEGETBOLD, 1));
    // Every style starts as the default style, then gets its own definitions.
    EXPECT_EQ(Get(*sci, SB::SCI_STYLEGETBACK, 5), 0xCFE8CC);
    EXPECT_EQ(Get(*sci, SB::SCI_STYLEGETSIZE, 5), 9);
    EXPECT_EQ(Get(*sci, SB::SCI_STYLEGETFORE, 33), 0x302010);
    EXPECT_EQ(table.Props().Lookup("style.*.32"), inputs.defaultStyle);
    // The configured "fixedsys" is drawn with the system's fixed font.
    EXPECT_EQ(QString::fromStdString(StyleFont(*sci, 32)),
              QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    // Lexer options, fold markers and per-language values.
    EXPECT_EQ(Property(*sci, "fold"), "1");
    EXPECT_EQ(Property(*sci, "fold.compact"), "0");
    EXPECT_EQ(Get(*sci, SB::SCI_MARKERSYMBOLDEFINED, SB::SC_MARKNUM_FOLDEROPEN), SB::SC_MARK_CIRCLEMINUS);
    EXPECT_EQ(uint32_t(Get(*sci, SB::SCI_GETMARGINMASKN, 2)), uint32_t(SB::SC_MASK_FOLDERS));
    EXPECT_EQ(st.braceStyle, 10);
    EXPECT_EQ(st.statementIndent.styleNumber, 5);
    EXPECT_TRUE(st.statementIndent.Includes("while"));
    EXPECT_EQ(st.calltipParametersStart, "(");
    EXPECT_TRUE(st.autocompleteIgnoreCase);
    EXPECT_EQ(st.wordCharacters, styling::kDefaultWordCharacters);
    EXPECT_GT(Get(*sci, SB::SCI_GETMARGINWIDTHN, 0), 0);   // line numbers from the option word
}

TEST_F(Styling, LanguageNamesMapToTheComponentLexerButKeepTheirOwnKeys) {
    auto sci = View("class A { int x; }\n");
    LanguageState st = styling::ApplyLanguage(sci.get(), table, 3, "A.java", inputs);
    EXPECT_EQ(st.lexer, "java");
    EXPECT_EQ(st.realLexer, "cpp");
    EXPECT_EQ(st.lexerNumber, SB::SCLEX_CPP);
    EXPECT_EQ(Get(*sci, SB::SCI_STYLEGETFORE, 5), 0x00FF00);   // style.java.5, not style.cpp.5
    EXPECT_FALSE(Get(*sci, SB::SCI_STYLEGETBOLD, 5));
}

TEST_F(Styling, EveryAliasTargetIsAComponentLexerAndEveryAliasNameIsNot) {
    SB sci;
    for (const auto& [name, real] : lexers::AliasTable()) {
        sci.SendScintilla(SB::SCI_SETLEXERLANGUAGE, static_cast<uintptr_t>(0), std::string(name).c_str());
        EXPECT_EQ(Get(sci, SB::SCI_GETLEXER), SB::SCLEX_NULL) << name << " is a real lexer: drop the alias";
        sci.SendScintilla(SB::SCI_SETLEXERLANGUAGE, static_cast<uintptr_t>(0), std::string(real).c_str());
        EXPECT_NE(Get(sci, SB::SCI_GETLEXER), SB::SCLEX_NULL) << real << " is not a lexer";
    }
}

TEST_F(Styling, FileNameKeysApplyOnlyWithTheRealFileName) {
    auto sci = View("onlyspecial int\n");
    LanguageState st = styling::ApplyLanguage(sci.get(), table, 1, "special.x", inputs);
    sci->SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    EXPECT_EQ(st.lookupName, "special.x");
    EXPECT_EQ(Get(*sci, SB::SCI_GETSTYLEAT, 0), 5);
    EXPECT_NE(Get(*sci, SB::SCI_GETSTYLEAT, 12), 5);
    // Re-applied from the menu the lookup name is the first pattern.
    st = styling::ReapplyLanguage(sci.get(), table, 1, inputs);
    EXPECT_EQ(st.lookupName, "*.c");
    EXPECT_NE(Get(*sci, SB::SCI_GETSTYLEAT, 0), 5);
    EXPECT_EQ(Get(*sci, SB::SCI_GETSTYLEAT, 12), 5);
}

TEST_F(Styling, LanguageStyle32OverridesTheDefaultForThatLanguageOnly) {
    auto py = View("def f():\n    return 1\n");
    auto c = View("int x;\n");
    LanguageState pst = styling::ApplyLanguage(py.get(), table, 2, "a.py", inputs);
    styling::ApplyLanguage(c.get(), table, 1, "a.c", inputs);
    EXPECT_EQ(Get(*py, SB::SCI_STYLEGETSIZE, 32), 20);
    EXPECT_EQ(Get(*py, SB::SCI_STYLEGETSIZE, 5), 20);
    EXPECT_EQ(Get(*py, SB::SCI_STYLEGETBACK, 32), 0xCFE8CC);
    EXPECT_EQ(Get(*c, SB::SCI_STYLEGETSIZE, 32), 9);
    EXPECT_EQ(pst.calltipParametersStart, "[");
    EXPECT_EQ(pst.wordCharacters, "abc_");
}

TEST_F(Styling, ChangingTheSchemeRestylesEveryOpenView) {
    std::vector<std::unique_ptr<SB>> views;
    std::vector<LanguageState> states;
    const char* names[] = {"a.c", "b.py", "c.txt"};
    for (const char* name : names) {
        views.push_back(View("int x;\n"));
        states.push_back(styling::ApplyLanguage(views.back().get(), table, table.FindLanguage(name), name, inputs));
    }
    const std::string scheme = "font:fixedsys,size:14,back:#FFFFFF";
    for (size_t i = 0; i < views.size(); ++i)
        styling::ApplyStyles(views[i].get(), table, states[i], scheme);
    EXPECT_EQ(Get(*views[0], SB::SCI_STYLEGETSIZE, 32), 14);
    EXPECT_EQ(Get(*views[0], SB::SCI_STYLEGETSIZE, 5), 14);
    EXPECT_EQ(Get(*views[0], SB::SCI_STYLEGETFORE, 5), 0xFF0000);   // language colours stay
    EXPECT_EQ(Get(*views[0], SB::SCI_STYLEGETBACK, 5), 0xFFFFFF);
    EXPECT_EQ(Get(*views[1], SB::SCI_STYLEGETSIZE, 32), 20);        // its own style 32 still wins
    EXPECT_EQ(Get(*views[1], SB::SCI_STYLEGETBACK, 32), 0xFFFFFF);
    EXPECT_EQ(Get(*views[2], SB::SCI_STYLEGETSIZE, 0), 14);
    EXPECT_EQ(table.Props().Lookup("style.*.32"), scheme);
}

TEST_F(Styling, TabSettingsFollowTheThreeTabModes) {
    auto sci = View("");
    inputs.tabSize = 6;
    inputs.indentSize = 3;
    // Mode 0: the properties, per file where they say so.
    styling::ApplyLanguage(sci.get(), table, 2, "a.py", inputs);
    EXPECT_EQ(Get(*sci, SB::SCI_GETUSETABS), 0);
    EXPECT_EQ(Get(*sci, SB::SCI_GETTABWIDTH), 8);
    EXPECT_EQ(Get(*sci, SB::SCI_GETINDENT), 2);
    styling::ApplyLanguage(sci.get(), table, 1, "a.c", inputs);
    EXPECT_EQ(Get(*sci, SB::SCI_GETUSETABS), 1);
    EXPECT_EQ(Get(*sci, SB::SCI_GETTABWIDTH), 6);
    EXPECT_EQ(Get(*sci, SB::SCI_GETINDENT), 3);
    // Mode 1: always spaces; mode 2: always tabs; the properties are not read.
    inputs.editorMask |= 1u << editormask::kTabModeShift;
    styling::ApplyLanguage(sci.get(), table, 2, "a.py", inputs);
    EXPECT_EQ(Get(*sci, SB::SCI_GETUSETABS), 0);
    EXPECT_EQ(Get(*sci, SB::SCI_GETTABWIDTH), 6);
    EXPECT_EQ(Get(*sci, SB::SCI_GETINDENT), 3);
    inputs.editorMask ^= 3u << editormask::kTabModeShift;   // 1 -> 2
    inputs.tabSize = 0;   // read as 4
    styling::ApplyLanguage(sci.get(), table, 2, "a.py", inputs);
    EXPECT_EQ(Get(*sci, SB::SCI_GETUSETABS), 1);
    EXPECT_EQ(Get(*sci, SB::SCI_GETTABWIDTH), 4);
}

TEST_F(Styling, SyntaxHighlightOffShowsEverythingInTheDefaultStyle) {
    auto sci = View("int x; // c\n");
    inputs.editorMask = editormask::kWordWrap | editormask::kWhiteSpace | editormask::kHighlightLine |
                        editormask::kColumnEdge;
    LanguageState st = styling::ApplyLanguage(sci.get(), table, 1, "a.c", inputs);
    EXPECT_FALSE(st.SyntaxHighlight());
    EXPECT_EQ(st.viewFlags, unsigned(kViewWordWrap | kViewWhiteSpace));
    EXPECT_EQ(Get(*sci, SB::SCI_GETLEXER), SB::SCLEX_CONTAINER);
    EXPECT_EQ(Get(*sci, SB::SCI_STYLEGETFORE, 5), Get(*sci, SB::SCI_STYLEGETFORE, 32));
    EXPECT_EQ(Get(*sci, SB::SCI_GETWRAPMODE), SB::SC_WRAP_WORD);
    EXPECT_EQ(Get(*sci, SB::SCI_GETVIEWWS), SB::SCWS_VISIBLEALWAYS);
    EXPECT_EQ(Get(*sci, SB::SCI_GETMARGINWIDTHN, 0), 0);
    EXPECT_TRUE(Get(*sci, SB::SCI_GETCARETLINEVISIBLE));
    EXPECT_EQ(Get(*sci, SB::SCI_GETCARETLINEBACKALPHA), SB::SC_ALPHA_NOALPHA);
    EXPECT_EQ(Get(*sci, SB::SCI_GETEDGEMODE), 2);   // background, not a line
    // The view's own flags win over the option word when given.
    inputs.viewFlags = kViewSyntaxHighlight;
    st = styling::ReapplyLanguage(sci.get(), table, 1, inputs);
    EXPECT_EQ(Get(*sci, SB::SCI_GETLEXER), SB::SCLEX_CPP);
    EXPECT_EQ(Get(*sci, SB::SCI_GETSTYLEAT, 0), 5);
    styling::SyntaxHighlightOff(sci.get());
    EXPECT_EQ(Get(*sci, SB::SCI_GETLEXER), SB::SCLEX_CONTAINER);
    EXPECT_EQ(Get(*sci, SB::SCI_STYLEGETFORE, 5), Get(*sci, SB::SCI_STYLEGETFORE, 32));
}

TEST_F(Styling, ReapplyingShowsHiddenLinesAndOpensTheirFolds) {
    std::string text = "int f() {\n";
    for (int i = 0; i < 200; ++i)
        text += "    x();\n";
    text += "}\nint g() {\n  y();\n}\n";
    auto sci = View(text.c_str());
    styling::ApplyLanguage(sci.get(), table, 1, "a.c", inputs);
    sci->SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    ASSERT_TRUE(Get(*sci, SB::SCI_GETFOLDLEVEL, 0) & SB::SC_FOLDLEVELHEADERFLAG);
    sci->SendScintilla(SB::SCI_TOGGLEFOLD, 0UL);
    sci->SendScintilla(SB::SCI_HIDELINES, 203UL, 204L);
    ASSERT_FALSE(Get(*sci, SB::SCI_GETLINEVISIBLE, 5));
    ASSERT_FALSE(Get(*sci, SB::SCI_GETLINEVISIBLE, 204));
    styling::ReapplyLanguage(sci.get(), table, 2, inputs);
    const long lines = Get(*sci, SB::SCI_GETLINECOUNT);
    for (long line = 0; line < lines; ++line)
        ASSERT_TRUE(Get(*sci, SB::SCI_GETLINEVISIBLE, static_cast<unsigned long>(line))) << line;
    EXPECT_TRUE(Get(*sci, SB::SCI_GETFOLDEXPANDED, 0));
    EXPECT_EQ(Get(*sci, SB::SCI_GETLEXER), SB::SCLEX_PYTHON);
}

} // namespace
