// The translation reader: the shipped German and French files, the text lookup behind
// them, format strings a translation may not change, code pages and escapes, and files
// that are broken or hostile.
#include "app/commands/CommandTable.h"
#include "app/commands/MenuModel.h"
#include "platform/Texts.h"
#include "ui/Translation.h"
#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QString shipped(const char* name)
{
    return testpaths::source("/data/language/") + QLatin1String(name);
}

QByteArray wrap(const QByteArray& body, const QByteArray& declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>")
{
    return declaration + "\n<Velmo><mui langid=\"1031\">" + body + "</mui></Velmo>\n";
}

// Installs a translation for one test and removes it afterwards.
struct Installed {
    explicit Installed(std::shared_ptr<const ui::Translation> t) { ui::installTranslation(std::move(t)); }
    ~Installed() { ui::installTranslation(nullptr); }
};

std::shared_ptr<const ui::Translation> parse(const QByteArray& bytes)
{
    return std::shared_ptr<const ui::Translation>(ui::Translation::parse(bytes));
}

void expectMenusTranslated(const ui::Translation& t, const std::vector<cmd::MenuItem>& items, int top, const char* file)
{
    int position = 0;
    for (const cmd::MenuItem& item : items) {
        if (item.kind == cmd::MenuItem::Kind::Popup) {
            EXPECT_FALSE(t.popup(top, position).isEmpty()) << file << ": popup " << item.text;
            expectMenusTranslated(t, item.items, top, file);
        } else if (item.kind == cmd::MenuItem::Kind::Command) {
            EXPECT_FALSE(t.command(item.id).isEmpty()) << file << ": command " << item.id;
        }
        ++position;
    }
}

TEST(ShippedTranslations, EveryMenuCommandAndHelpTextIsTranslatedWithCompatibleFormats)
{
    for (const char* file : {"German.xml", "French.xml"}) {
        auto t = ui::Translation::load(shipped(file));
        ASSERT_TRUE(t) << file;
        EXPECT_EQ(t->codePage(), 65001);
        const auto& menu = cmd::mainMenu();
        for (size_t p = 0; p < menu.size(); ++p) {
            EXPECT_FALSE(t->popup(int(p)).isEmpty()) << file << ": top popup " << p;
            expectMenusTranslated(*t, menu[p].items, int(p), file);
        }
        for (int m : {cmd::TextViewMenu, cmd::DocumentTabMenu, cmd::ToolbarAreaMenu, cmd::TrayMenu}) {
            for (const cmd::MenuItem& item : cmd::contextMenu(m)) {
                if (item.kind == cmd::MenuItem::Kind::Command) {
                    EXPECT_FALSE(t->contextCommand(m, item.id).isEmpty()) << file << ": menu " << m << " item " << item.id;
                }
            }
        }
        for (const cmd::CommandInfo& c : cmd::commands()) {
            EXPECT_FALSE(t->command(c.id).isEmpty()) << file << ": label of " << c.id;
            const QString prompt = t->string(c.id);
            EXPECT_TRUE(prompt.contains(QLatin1Char('\n'))) << file << ": help string of " << c.id;
            EXPECT_NE(prompt, QString::fromUtf8(c.prompt)) << file << ": help string of " << c.id;
        }
        // The dialogs of the program all have a translated title.
        for (int d : {2, 3, 4, 5, 6, 9, 22})
            EXPECT_TRUE(t->hasDialog(d) && !t->dialogTitle(d).isEmpty()) << file << ": dialog " << d;
    }
    auto de = ui::Translation::load(shipped("German.xml"));
    auto fr = ui::Translation::load(shipped("French.xml"));
    EXPECT_EQ(de->languageId(), 1031);
    EXPECT_EQ(fr->languageId(), 1036);
    EXPECT_EQ(de->popup(0), QStringLiteral("&Datei"));
    EXPECT_EQ(fr->command(cmd::FileSaveAs), QStringLiteral("Enregistrer &sous..."));
    // The interpreter's texts keep their CR LF line breaks.
    EXPECT_TRUE(de->string(0x2331).contains(QLatin1String("\r\n")));
}

TEST(ShippedTranslations, TheCheckScriptFindsEveryTextOfTheProgram)
{
    // The script collects every text of the sources and reports any a file lacks.
    QProcess p;
    p.start(QStringLiteral("python3"), {testpaths::source("/scripts/check-translations")});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString() << p.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains(QLatin1String("German.xml"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QLatin1String("French.xml"))) << out.toStdString();

    // A file that lacks one text is reported.
    QTemporaryDir dir;
    QFile in(shipped("German.xml"));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray bytes = in.readAll();
    const qsizetype at = bytes.indexOf("<item id=\"1191\"");
    ASSERT_GE(at, 0);
    bytes.remove(at, bytes.indexOf("/>", at) + 2 - at);
    QFile outFile(dir.filePath("Broken.xml"));
    ASSERT_TRUE(outFile.open(QIODevice::WriteOnly));
    outFile.write(bytes);
    outFile.close();
    QProcess q;
    q.start(QStringLiteral("python3"), {testpaths::source("/scripts/check-translations"), outFile.fileName()});
    ASSERT_TRUE(q.waitForFinished(120000));
    EXPECT_EQ(q.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(q.readAllStandardOutput()).contains(QLatin1String("missing string 1191")));
}

TEST(TextLookup, TranslatedTextsReplaceTheEnglishOnes)
{
    Installed on(std::shared_ptr<const ui::Translation>(ui::Translation::load(shipped("German.xml"))));
    EXPECT_EQ(texts::str(1191, "Cannot find string '%s'."), QStringLiteral("Die Zeichenfolge '%s' wurde nicht gefunden."));
    EXPECT_EQ(cmd::label(cmd::FileNew), QStringLiteral("&Neu"));
    EXPECT_EQ(texts::menu(cmd::popupTextId(0), "&File"), QStringLiteral("&Datei"));
    EXPECT_EQ(texts::menu(cmd::popupTextId(0, 16), "&Export"), QStringLiteral("&Exportieren"));
    EXPECT_EQ(texts::dialog(4, 102, "Match case"), QStringLiteral("Groß-/Kleinschreibung beachten"));
    EXPECT_EQ(texts::contextMenu(9, 1000, QStringLiteral("Add Template")), QStringLiteral("Vorlage hinzufügen"));
    // The symbol panel's menu shares numbers with the template panel's; each keeps its own.
    EXPECT_EQ(texts::contextMenu(3, 1000, QStringLiteral("By &Type")), QStringLiteral("Nach &Typ"));
    // A text the file does not have stays English.
    EXPECT_EQ(texts::str(99999, "Only English"), QStringLiteral("Only English"));
}

TEST(TextLookup, ATranslationThatChangesAFormatIsNotUsed)
{
    auto t = parse(wrap("<stringgroup>"
                        "<item id=\"1\" name=\"Nicht gefunden: %d\"/>"            // type
                        "<item id=\"2\" name=\"%d Dateien, '%s'\"/>"             // order
                        "<item id=\"3\" name=\"%s %s\"/>"                       // count
                        "<item id=\"4\" name=\"%s%n\"/>"                        // writes memory
                        "<item id=\"5\" name=\"Fertig: %s, %d Treffer, %.2f s\"/>"   // same conversions
                        "<item id=\"6\" name=\"%1 nicht gefunden\"/>"
                        "<item id=\"7\" name=\"%2 nicht gefunden\"/>"
                        "<item id=\"8\" name=\"100% sicher: %s\"/>"
                        "</stringgroup>"));
    ASSERT_TRUE(t);
    Installed on(t);
    EXPECT_EQ(texts::str(1, "Not found: %s"), QStringLiteral("Not found: %s"));
    EXPECT_EQ(texts::str(2, "'%s' in %d files"), QStringLiteral("'%s' in %d files"));
    EXPECT_EQ(texts::str(3, "%s"), QStringLiteral("%s"));
    EXPECT_EQ(texts::str(4, "%s"), QStringLiteral("%s"));
    EXPECT_EQ(texts::str(5, "Done: %s, %d hits, %0.3f s"), QStringLiteral("Fertig: %s, %d Treffer, %.2f s"));
    EXPECT_EQ(texts::str(6, "%1 not found"), QStringLiteral("%1 nicht gefunden"));
    EXPECT_EQ(texts::str(7, "%1 not found"), QStringLiteral("%1 not found"));
    EXPECT_EQ(texts::str(8, "Sure: %s"), QStringLiteral("100% sicher: %s"));
    EXPECT_TRUE(texts::formatCompatible(QStringLiteral("%%d %s"), QStringLiteral("%s %%d")));
    EXPECT_FALSE(texts::formatCompatible(QStringLiteral("%ld"), QStringLiteral("%d")));
}

TEST(TranslationFile, EscapesAndCodePages)
{
    auto t = parse(wrap("<stringgroup>"
                        "<item id=\"1\" name=\"a\\nb\\tc\\\\d\\qe\\\"/>"
                        "<item id=\"2\" name=\"&#x4E2D;&amp;\"/>"
                        "<item id=\"3\"/>"
                        "<item id=\"x\" name=\"bad id\"/>"
                        "<item name=\"no id\"/>"
                        "</stringgroup>"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->string(1), QStringLiteral("a\nb\tc\\d\\qe\\"));
    EXPECT_EQ(t->string(3), QString());
    EXPECT_EQ(t->string(-1), QString());
    EXPECT_EQ(t->stringCount(), 2);

    // A single-byte code page named by the declaration.
    auto w = parse(wrap("<stringgroup><item id=\"1\" name=\"Gr\xF6\xDF\x65 \x80\"/></stringgroup>",
                        "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>"));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->codePage(), 1252);
    EXPECT_EQ(w->string(1), QStringLiteral(u"Größe €"));
    // Shift_JIS.
    auto j = parse(wrap("<stringgroup><item id=\"1\" name=\"\x93\xFA\x96\x7B\"/></stringgroup>",
                        "<?xml version=\"1.0\" encoding=\"shift_jis\"?>"));
    ASSERT_TRUE(j);
    EXPECT_EQ(j->codePage(), 932);
    EXPECT_EQ(j->string(1), QStringLiteral(u"日本"));
    // No declaration: the ANSI code page; a byte-order mark: UTF-8.
    auto a = parse("<Velmo><mui><stringgroup><item id=\"1\" name=\"\xE4\"/></stringgroup></mui></Velmo>");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->codePage(), 0);
    EXPECT_EQ(a->string(1), QStringLiteral(u"ä"));
    auto b = parse("\xEF\xBB\xBF<Velmo><mui><stringgroup><item id=\"1\" name=\"\xC3\xA4\"/></stringgroup></mui></Velmo>");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->string(1), QStringLiteral(u"ä"));

    EXPECT_EQ(ui::codePageForEncoding(QStringLiteral("BIG5")), 950);
    EXPECT_EQ(ui::codePageForEncoding(QStringLiteral("windows-1258")), 1258);
    EXPECT_EQ(ui::codePageForEncoding(QStringLiteral("windows-1259")), 0);
    EXPECT_EQ(ui::codePageForEncoding(QStringLiteral("koi8-r")), 0);
}

TEST(TranslationFile, MenusByPositionAndDialogsByControl)
{
    auto t = parse(wrap("<menugroup><menu id=\"0\">"
                        "  <item id=\"0\" name=\"&amp;Datei\"><item id=\"16\" name=\"&amp;Export\"/><item id=\"100\" name=\"&amp;Neu\"/></item>"
                        "  <item id=\"2\"><item id=\"306\" name=\"Umbruch\"/></item>"
                        "</menu><menu id=\"4\"><item id=\"202\" name=\"Ausschneiden (Kontext)\"/></menu></menugroup>"
                        "<dialoggroup><dialog id=\"9\" name=\"Symbole\"/>"
                        "<dialog id=\"6\"><item id=\"1\" name=\"Suchen!\"/><item id=\"200\" name=\"Was:\"/></dialog></dialoggroup>"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->popup(0), QStringLiteral("&Datei"));
    EXPECT_EQ(t->popup(0, 16), QStringLiteral("&Export"));
    EXPECT_EQ(t->popup(2), QString());
    EXPECT_EQ(t->command(100), QStringLiteral("&Neu"));
    EXPECT_EQ(t->command(306), QStringLiteral("Umbruch"));
    EXPECT_EQ(t->contextCommand(4, 202), QStringLiteral("Ausschneiden (Kontext)"));
    EXPECT_EQ(t->contextCommand(4, 100), QStringLiteral("&Neu"));
    // A dialog with only a name: its title and the standard buttons; other controls stay.
    EXPECT_EQ(t->dialogTitle(9), QStringLiteral("Symbole"));
    EXPECT_EQ(t->dialog(9, 1), QStringLiteral("OK"));
    EXPECT_EQ(t->dialog(9, 2), QStringLiteral("Cancel"));
    EXPECT_EQ(t->dialog(9, 100), QString());
    EXPECT_EQ(t->dialog(6, 1), QStringLiteral("Suchen!"));
    EXPECT_EQ(t->dialog(6, 0), QString());
    // A dialog without an entry keeps even its OK caption.
    EXPECT_EQ(t->dialog(2, 1), QString());
}

TEST(TranslationFile, BrokenAndHostileFilesTranslateNothing)
{
    EXPECT_FALSE(ui::Translation::parse(QByteArray()));
    EXPECT_FALSE(ui::Translation::parse("<Velmo><mui langid=\"1031\">"));                 // unterminated
    EXPECT_FALSE(ui::Translation::parse("<Velmo><other/></Velmo>"));                      // no mui
    EXPECT_FALSE(ui::Translation::parse("<mui langid=\"1031\"/>"));                       // no Velmo
    EXPECT_FALSE(ui::Translation::parse("not xml at all"));
    // Wrong encoding: UTF-16 text is not read as a translation.
    const QString utf16 = QStringLiteral("<Velmo><mui langid=\"1031\"/></Velmo>");
    QByteArray le("\xFF\xFE");
    le.append(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2);
    EXPECT_FALSE(ui::Translation::parse(le));
    // Declared UTF-8 with bytes that are not: the texts decode with replacement characters.
    auto bad = ui::Translation::parse(wrap("<stringgroup><item id=\"1\" name=\"\xC3\x28\xFF\xE2\x82\"/></stringgroup>"));
    ASSERT_TRUE(bad);
    EXPECT_FALSE(bad->string(1).isEmpty());
    // Deep nesting would exhaust the parser's stack.
    QByteArray deep = "<Velmo><mui>";
    for (int i = 0; i < 200000; ++i)
        deep += "<a>";
    EXPECT_FALSE(ui::Translation::parse(deep));
    QByteArray deepClosed = deep;
    for (int i = 0; i < 200000; ++i)
        deepClosed += "</a>";
    deepClosed += "</mui></Velmo>";
    EXPECT_FALSE(ui::Translation::parse(deepClosed));
    // Huge files are refused before parsing; large but sane ones load.
    QByteArray many;
    for (int i = 0; i < 20000; ++i)
        many += "<item id=\"" + QByteArray::number(i) + "\" name=\"text " + QByteArray::number(i) + "\"/>";
    auto big = ui::Translation::parse(wrap("<stringgroup>" + many + "</stringgroup>"));
    ASSERT_TRUE(big);
    EXPECT_EQ(big->string(19999), QStringLiteral("text 19999"));
    QByteArray huge = wrap("<stringgroup><item id=\"1\" name=\"" + QByteArray(ui::Translation::kMaxFileSize, 'x') +
                           "\"/></stringgroup>");
    EXPECT_FALSE(ui::Translation::parse(huge));
    // Embedded zero bytes.
    EXPECT_FALSE(ui::Translation::parse(wrap(QByteArray("<stringgroup>\0</stringgroup>", 28))));
    // Ids that are not numbers or out of range match nothing.
    auto ids = ui::Translation::parse(wrap("<menugroup><menu id=\"0\"><item id=\"99999\" name=\"x\"/><item id=\"-5\" name=\"y\"/>"
                                           "</menu></menugroup><stringgroup><item id=\"99999999999\" name=\"z\"/></stringgroup>"));
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->popup(99999), QString());
    EXPECT_EQ(ids->popup(-5), QString());
    EXPECT_EQ(ids->stringCount(), 0);
}

TEST(TranslationChoice, SystemLanguageAndTheMuiSetting)
{
    EXPECT_EQ(ui::languageIdForLocale(QStringLiteral("de_DE.UTF-8")), 1031);
    EXPECT_EQ(ui::languageIdForLocale(QStringLiteral("de_AT.UTF-8@euro")), 3079);
    EXPECT_EQ(ui::languageIdForLocale(QStringLiteral("fr")), 1036);
    EXPECT_EQ(ui::languageIdForLocale(QStringLiteral("fr_CA")), 3084);
    EXPECT_EQ(ui::languageIdForLocale(QStringLiteral("zh_TW.Big5")), 1028);
    EXPECT_EQ(ui::languageIdForLocale(QStringLiteral("C.UTF-8")), 1033);
    EXPECT_EQ(ui::languageIdForLocale(QStringLiteral("xx_YY")), 0);
    EXPECT_EQ(ui::languageIdForLocale(QString()), 0);

    QTemporaryDir dir;
    QFile::copy(shipped("German.xml"), dir.filePath("German.xml"));
    QFile::copy(shipped("French.xml"), dir.filePath("French.xml"));
    QFile::copy(shipped("French.xml"), dir.filePath(".hidden.xml"));
    QFile junk(dir.filePath("Junk.xml"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("<Velmo><mui langid=");
    junk.close();
    EXPECT_EQ(ui::translationFiles(dir.path()), (QStringList{"French.xml", "German.xml", "Junk.xml"}));

    QString chosen;
    auto t = ui::loadTranslation(dir.path(), QString(), 1036, &chosen);
    ASSERT_TRUE(t);
    EXPECT_EQ(chosen, QStringLiteral("French.xml"));
    EXPECT_EQ(t->languageId(), 1036);
    chosen.clear();
    EXPECT_FALSE(ui::loadTranslation(dir.path(), QString(), 1041, &chosen));
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_FALSE(ui::loadTranslation(dir.path(), QStringLiteral("Default"), 1031, &chosen));
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_FALSE(ui::loadTranslation(dir.path(), QStringLiteral("Junk.xml"), 1031));
    EXPECT_FALSE(ui::loadTranslation(dir.path(), QStringLiteral("Missing.xml"), 1031));
    EXPECT_FALSE(ui::loadTranslation(dir.path(), QStringLiteral("../German.xml"), 1031));
    auto g = ui::loadTranslation(dir.path(), QStringLiteral("German.xml"), 1036);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->languageId(), 1031);
    EXPECT_FALSE(ui::loadTranslation(dir.filePath("nowhere"), QString(), 1031));
}

} // namespace
