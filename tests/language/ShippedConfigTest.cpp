// The shipped language configuration, loaded as the editor loads it at start-up.
#include "TestApp.h"
#include "language/LanguageStyler.h"
#include "language/LexerAliases.h"
#include "TestPaths.h"

#include <Qsci/qsciscintillabase.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QWidget>
#include <QHBoxLayout>
#include <gtest/gtest.h>

using SB = QsciScintillaBase;

namespace {

QString PropertiesFolder() { return testpaths::source("/data/properties"); }

class ShippedConfig : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(QFileInfo::exists(PropertiesFolder() + "/root.properties"));
        ASSERT_TRUE(table.Load(PropertiesFolder()));
    }
    LanguageTable table;
};

TEST_F(ShippedConfig, EveryListedLanguageResolvesToPatternsAndAKnownLexer) {
    // Every pair of the menu list that is not commented out must survive.
    std::string menu = table.Props().LookupForFileExpanded("menu.language", "");
    int listed = 0;
    QStringList fields = QString::fromStdString(menu).split('|');
    for (int i = 0; i + 1 < fields.size(); i += 2)
        if (!fields[i].startsWith('#'))
            ++listed;
    EXPECT_EQ(table.Count(), listed) << "a language has no file.patterns. key for its extension";
    EXPECT_LE(table.Count(), LanguageTable::kMaxLanguages);
    EXPECT_EQ(table.Entry(0).name, "Text");

    SB sci;
    for (const LanguageEntry& entry : table.Entries()) {
        SCOPED_TRACE(entry.name);
        EXPECT_FALSE(entry.patterns.empty());
        EXPECT_EQ(table.FindLanguage(QString::fromStdString("dir/" + entry.FirstPattern()).replace('*', "x")),
                  &entry - &table.Entries()[0])
            << "an earlier language claims this language's first pattern";
        ASSERT_FALSE(entry.lexer.empty()) << "no lexer. key matches " << entry.FirstPattern();
        std::string real = lexers::RealLexerName(entry.lexer);
        sci.SendScintilla(SB::SCI_SETLEXERLANGUAGE, static_cast<uintptr_t>(0), real.c_str());
        if (real != "null") {
            EXPECT_NE(sci.SendScintilla(SB::SCI_GETLEXER), SB::SCLEX_NULL) << "unknown lexer " << entry.lexer;
        }
    }
}

TEST_F(ShippedConfig, FilesStayUnderTheCapImportsExistAndNoKeyEndsInABlank) {
    const QFileInfoList files = QDir(PropertiesFolder()).entryInfoList({"*.properties"}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    const QRegularExpression importLine("^import (.*)$");
    for (const QFileInfo& info : files) {
        SCOPED_TRACE(info.fileName().toStdString());
        EXPECT_LT(info.size(), qint64(PropSetFile::kMaxFileBytes));
        QFile f(info.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(f.readAll()).split('\n');
        for (const QString& raw : lines) {
            QString line = raw;
            if (line.endsWith('\r'))
                line.chop(1);
            auto m = importLine.match(line);
            if (m.hasMatch()) {
                EXPECT_TRUE(QFileInfo::exists(PropertiesFolder() + "/" + m.captured(1) + ".properties"))
                    << "missing import " << line.toStdString();
            }
        }
    }
    for (const auto& [key, value] : table.Props().All()) {
        EXPECT_FALSE(key.back() == ' ' || key.back() == '\t') << "key \"" << key << "\"";
        EXPECT_FALSE(!value.empty() && (value.back() == ' ' || value.back() == '\t') &&
                     value.find_first_not_of(" \t") != std::string::npos)
            << "value of " << key << " ends in a blank";
    }
}

TEST_F(ShippedConfig, CppFileIsColouredWithKeywordStylesAndFallbacksWork) {
    int cpp = table.FindLanguage("/work/src/main.cpp");
    ASSERT_NE(cpp, 0);
    EXPECT_EQ(table.Entry(cpp).lexer, "cpp");
    SB sci;
    sci.SendScintilla(SB::SCI_SETTEXT, static_cast<uintptr_t>(0), "int main() { return 0; }\n");
    LanguageInputs inputs;
    inputs.editorMask = editormask::kSyntaxHighlight;
    LanguageState st = styling::ApplyLanguage(&sci, table, cpp, "main.cpp", inputs);
    EXPECT_EQ(st.lexerNumber, SB::SCLEX_CPP);
    sci.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    EXPECT_EQ(sci.SendScintilla(SB::SCI_GETSTYLEAT, 0UL), 5);
    EXPECT_EQ(sci.SendScintilla(SB::SCI_GETSTYLEAT, 13UL), 5);
    EXPECT_NE(sci.SendScintilla(SB::SCI_STYLEGETFORE, 5UL), sci.SendScintilla(SB::SCI_STYLEGETFORE, 32UL));
    EXPECT_EQ(table.FindLanguage("/tmp/notes.unknown-extension"), 0);
    int python = table.FindLanguage("x.py");
    EXPECT_NE(python, 0);
    EXPECT_EQ(table.LanguageForNewDocument("new.py"), python);
}

// Saves an offscreen picture of a C++ and a Python file when VELMO_SCREENSHOT_DIR
// names a folder (for a person to look at; it checks nothing by itself).
TEST_F(ShippedConfig, ScreenshotOnRequest) {
    const QByteArray dir = qgetenv("VELMO_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "set VELMO_SCREENSHOT_DIR to save a picture";
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    const char* cppText =
        "// Reads a file and counts its lines.\n#include <fstream>\n#include <string>\n\n"
        "/* The counter keeps\n   one total. */\nclass Counter {\npublic:\n"
        "    int Count(const std::string& path) {\n        std::ifstream in(path);\n"
        "        std::string line;\n        int n = 0;\n        while (std::getline(in, line))\n"
        "            ++n;\n        return n; // 0x1F\n    }\n};\n\nchar c = 'x';\nconst char* s = \"text\";\n";
    const char* pyText =
        "# Counts the lines of a file.\nimport sys\n\n\nclass Counter:\n    \"\"\"Keeps one total.\"\"\"\n\n"
        "    def count(self, path):\n        n = 0\n        with open(path) as f:\n"
        "            for line in f:\n                n += 1\n        return n  # 42\n\n\n"
        "if __name__ == '__main__':\n    print(Counter().count(sys.argv[1]), 3.5)\n";
    LanguageInputs inputs;
    inputs.editorMask = editormask::kSyntaxHighlight | editormask::kLineNumbers | editormask::kIndentGuides;
    std::vector<SB*> views;
    for (auto [name, text] : {std::pair{"counter.cpp", cppText}, std::pair{"counter.py", pyText}}) {
        auto* sci = new SB(&window);
        layout->addWidget(sci);
        sci->SendScintilla(SB::SCI_SETTEXT, static_cast<uintptr_t>(0), text);
        styling::ApplyLanguage(sci, table, table.FindLanguage(name), name, inputs);
        sci->SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
        views.push_back(sci);
    }
    window.resize(1200, 460);
    window.show();
    QApplication::processEvents();
    for (SB* sci : views)
        styling::UpdateLineNumberMargin(sci, true);
    QApplication::processEvents();
    const QString path = QString::fromLocal8Bit(dir) + "/languages.png";
    ASSERT_TRUE(window.grab().save(path));
    std::printf("saved %s\n", qPrintable(path));
}

} // namespace
