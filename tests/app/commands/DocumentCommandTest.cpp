// Open Selected File, the Search MSDN word and the web pages.
#include "TestSupport.h"
#include "app/commands/AboutDialog.h"
#include "app/commands/DocumentCommands.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace cmd;

namespace {
std::optional<QString> open(const char* selection, const char* line, const QString& folder = "/src",
                            bool oneLine = true)
{
    return fileToOpen(QByteArray(selection), oneLine, QByteArray(line), folder, false);
}

struct Opened {
    std::vector<QUrl> urls;
    bool result = true;
    Opened() { setUrlOpener([this](const QUrl& u) { urls.push_back(u); return result; }); }
    ~Opened() { setUrlOpener({}); }
};
} // namespace

TEST(OpenSelectedFile, IncludeLinesAndSelections)
{
    EXPECT_EQ(open("", "#include \"x.h\""), QStringLiteral("/src/x.h"));
    EXPECT_EQ(open("", "#include\t 'sub/y.h'  // note\r\n"), QStringLiteral("/src/sub/y.h"));
    EXPECT_EQ(open("", "#include \"sub\\y.h\""), QStringLiteral("/src/sub/y.h"));
    // Angle brackets, a missing name, mismatched quotes and other lines do nothing.
    EXPECT_FALSE(open("", "#include <x.h>"));
    EXPECT_FALSE(open("", "#include \"\""));
    EXPECT_FALSE(open("", "#include \"x.h'"));
    EXPECT_FALSE(open("", "  #include \"x.h\""));
    EXPECT_FALSE(open("", "int x;"));
    EXPECT_FALSE(open("", ("#include \"" + std::string(260, 'a') + "\"").c_str()));
    EXPECT_TRUE(open("", ("#include \"" + std::string(259, 'a') + "\"").c_str()));
    // A selection within one line names the file; absolute names stay as they are.
    EXPECT_EQ(open("notes.txt", "#include \"x.h\""), QStringLiteral("/src/notes.txt"));
    EXPECT_EQ(open("/etc/hosts", ""), QStringLiteral("/etc/hosts"));
    EXPECT_EQ(open("C:\\a.txt", ""), QStringLiteral("C:/a.txt"));
    EXPECT_FALSE(open("a\nb", "", "/src", false));
    EXPECT_FALSE(open(std::string(260, 'n').c_str(), ""));
    // A document without a folder keeps the name relative.
    EXPECT_EQ(open("", "#include \"x.h\"", QString()), QStringLiteral("x.h"));
    // Names are decoded as the document stores them.
    EXPECT_EQ(fileToOpen(QByteArray(), true, QByteArray("#include \"\xC3\xA4.h\""), "/src", true),
              QStringLiteral("/src/\u00E4.h"));
    EXPECT_EQ(fileToOpen(QByteArray(), true, QByteArray("#include \"\xE4.h\""), "/src", false),
              QStringLiteral("/src/\u00E4.h"));
}

TEST(SearchMsdn, LookupWordAndHelpCommand)
{
    EXPECT_EQ(lookupWord("printf", true, "ignored", false), QStringLiteral("printf"));
    EXPECT_EQ(lookupWord("two\nlines", false, "word", false), QStringLiteral("word"));
    EXPECT_EQ(lookupWord(QByteArray(256, 'x'), true, "word", false), QStringLiteral("word"));
    EXPECT_EQ(lookupWord(QByteArray(255, 'x'), true, "word", false), QString(255, 'x'));
    EXPECT_FALSE(lookupWord("", true, "", false));
    EXPECT_FALSE(lookupWord("", true, QByteArray(256, 'w'), false));

    seams::ScriptedMessageBox box;
    seams::ScopedMessageBox scoped(&box);
    Opened opened;
    EXPECT_TRUE(runHelpLookup(nullptr, "https://docs.example/search?q=$(WORD)&lang=c", "a b&c"));
    ASSERT_EQ(opened.urls.size(), 1u);
    EXPECT_EQ(opened.urls[0].toString(QUrl::FullyEncoded),
              QStringLiteral("https://docs.example/search?q=a%20b%26c&lang=c"));
    EXPECT_TRUE(box.shown.empty());

    // Nothing configured, or a command that does not open: the fixed message, no caption.
    EXPECT_FALSE(runHelpLookup(nullptr, "  ", "printf"));
    opened.result = false;
    EXPECT_FALSE(runHelpLookup(nullptr, "https://docs.example/?q=", "printf"));
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[0].text, QStringLiteral("Cannot register vshelp.dll"));
    EXPECT_EQ(box.shown[0].caption, QString());
    EXPECT_EQ(opened.urls.back().toString(), QStringLiteral("https://docs.example/?q=printf"));
}

TEST(WebPages, AddressesComeFromTheBuildAndTheTranslatedStrings)
{
    testApp();
    Opened opened;
    EXPECT_TRUE(openWebPage(821));
    EXPECT_TRUE(openWebPage(824));
    EXPECT_FALSE(openWebPage(825));
    ASSERT_EQ(opened.urls.size(), 2u);
    EXPECT_TRUE(opened.urls[0].isValid());
    EXPECT_EQ(opened.urls[0].scheme(), QStringLiteral("https"));
    EXPECT_NE(opened.urls[0], opened.urls[1]);

    texts::setProvider([](texts::Kind kind, int id) -> QString {
        return kind == texts::Kind::String && id == 1043 ? QStringLiteral("https://feedback.example/de") : QString();
    });
    CAboutDialog about;
    about.feedbackButton()->click();
    texts::setProvider({});
    EXPECT_EQ(opened.urls.back(), QUrl("https://feedback.example/de"));
    EXPECT_TRUE(about.homeLink()->text().contains(webPageAddress(821)));
}
