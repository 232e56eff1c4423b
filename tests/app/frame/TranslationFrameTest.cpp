// A running editor with a key map and a translation: keys rebound in keymap.key (or on the
// Key page) run their commands when pressed, the menus show the bound keys, and with a
// German system language the menus come up in German.
#include "FrameFixture.h"

#include "app/TranslationStartup.h"
#include "app/commands/Accelerators.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "ui/KeyMap.h"
#include "ui/KeyPage.h"
#include "ui/Translation.h"

#include <QMenu>
#include <QMenuBar>
#include <Qsci/qsciscintilla.h>

[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

cmd::AccelEntry chord(std::uint8_t mods, int vk, int command)
{
    cmd::AccelEntry e;
    e.flags = std::uint8_t(cmd::FVIRTKEY | mods);
    e.key = std::uint16_t(vk);
    e.cmd = std::uint16_t(command);
    return e;
}

QString text(CTextView* v)
{
    return QString::fromStdString(v->text());
}

struct KeyMapFrameTest : FrameFixture {};

TEST_F(KeyMapFrameTest, ARechordedCommandRunsWhenItsKeyIsPressed)
{
    // keymap.key: the built-in keys, with to Uppercase moved to Ctrl+Shift+K.
    std::vector<cmd::AccelEntry> keys;
    for (const cmd::AccelEntry& e : cmd::defaultAccelerators())
        if (e.cmd != cmd::EditUppercase)
            keys.push_back(e);
    keys.push_back(chord(cmd::FCONTROL | cmd::FSHIFT, 'K', cmd::EditUppercase));
    ASSERT_TRUE(keymap::write(settings->Folder(AppSettings::DataFolder) + "/keymap.key", keys));
    start();

    QAction* upper = frame->commandUi()->menuAction(cmd::EditUppercase);
    ASSERT_TRUE(upper);
    EXPECT_TRUE(upper->text().endsWith(QLatin1String("\tCtrl+Shift+K"))) << upper->text().toStdString();

    CTextView* v = openAndFocus("a.txt", "hello\n");
    ASSERT_TRUE(v);
    key(v, Qt::Key_A, Qt::ControlModifier);
    key(v, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text(v), QStringLiteral("HELLO\n"));

    // The Key page binds Ctrl+Shift+J to to Lowercase and applies: the key works at once.
    ui::KeyPageModel page(frame->keyDispatcher()->table());
    page.select(page.nodeOf(cmd::EditLowercase));
    page.capture(Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(page.add().result, ui::KeyPageModel::AddResult::Added);
    ASSERT_TRUE(page.apply(frame->keyMapFile(), {}));
    frame->LoadKeyMap();
    QAction* lower = frame->commandUi()->menuAction(cmd::EditLowercase);
    EXPECT_TRUE(lower->text().endsWith(QLatin1String("\tCtrl+Shift+J"))) << lower->text().toStdString();
    key(v, Qt::Key_A, Qt::ControlModifier);
    key(v, Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text(v), QStringLiteral("hello\n"));

    // The tools' shortcuts come from their provider on every load.
    frame->setToolShortcutProvider([] { return std::vector<cmd::AccelEntry>{chord(cmd::FCONTROL, 0x74, 600)}; });
    frame->LoadKeyMap();
    EXPECT_EQ(cmd::lookupAccelerator(frame->keyDispatcher()->table(), Qt::Key_F5, Qt::ControlModifier), 600);
}

TEST_F(KeyMapFrameTest, ABrokenKeyMapGivesTheBuiltInKeys)
{
    QFile f(settings->Folder(AppSettings::DataFolder) + "/keymap.key");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromHex("ffffffff"));   // a negative count
    f.close();
    start();
    std::vector<cmd::AccelEntry> fixed = frame->keyDispatcher()->table();
    std::erase_if(fixed, [](const cmd::AccelEntry& e) { return e.cmd >= cmd::ToolFirst && e.cmd <= cmd::ToolLast; });
    EXPECT_EQ(fixed, cmd::defaultAccelerators()) << "the built-in keys, and the tools' beside them";
    CTextView* v = openAndFocus("b.txt", "abc\n");
    ASSERT_TRUE(v);
    key(v, Qt::Key_A, Qt::ControlModifier);
    key(v, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text(v), QStringLiteral("ABC\n"));
}

// With LANG=de_DE.UTF-8 and no MUI setting, the first start chooses German.xml.
struct GermanFrameTest : FrameFixture {
    QByteArray saved[3];
    const char* vars[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};

    void SetUp() override
    {
        for (int i = 0; i < 3; ++i)
            saved[i] = qgetenv(vars[i]);
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        qputenv("LANG", "de_DE.UTF-8");
        FrameFixture::SetUp();
    }
    void TearDown() override
    {
        FrameFixture::TearDown();
        ui::installTranslation(nullptr);
        for (int i = 0; i < 3; ++i) {
            if (saved[i].isNull())
                qunsetenv(vars[i]);
            else
                qputenv(vars[i], saved[i]);
        }
    }
};

TEST_F(GermanFrameTest, TheMenusComeUpInGerman)
{
    ASSERT_TRUE(QFile::exists(settings->Folder(AppSettings::LanguageFolder) + "/German.xml"));
    LoadTranslation(*settings);
    EXPECT_EQ(settings->ReadString("EDITOR", "MUI"), QStringLiteral("German.xml"));
    start();

    QStringList titles;
    for (QAction* a : frame->menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&Datei", "&Bearbeiten", "&Ansicht", "&Suchen", "&Dokument", "&Werkzeug", "S&prache",
                                   "&Fenster", "&Hilfe"}));
    EXPECT_EQ(frame->commandUi()->menuAction(cmd::FileNew)->text(), QStringLiteral("&Neu\tCtrl+N"));
    EXPECT_EQ(frame->commandUi()->popup("menu_export")->title(), QStringLiteral("&Exportieren"));
    EXPECT_EQ(frame->windowTitle().contains(QLatin1String("Velmo")), true);

    // The text view's context menu.
    std::unique_ptr<QMenu> context(frame->commandUi()->createContextMenu(cmd::TextViewMenu, frame.get()));
    ASSERT_TRUE(context);
    EXPECT_EQ(context->actions().first()->text(), QStringLiteral("&Ausschneiden"));

    // The Open dialog's encodings have numbers of their own: 1060 and 1067 are other texts.
    QMenu* file = frame->commandUi()->popup("menu_file");
    emit file->aboutToShow();
    frame->commandUi()->menuAction(cmd::FileOpen)->trigger();
    pump();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    const QStringList encodings = dialogs.requests[0].encodings;
    EXPECT_EQ(encodings.value(0), QStringLiteral("Automatisch"));
    EXPECT_EQ(encodings.value(6), QStringLiteral("UTF-16 Big Endian"));

    if (!qEnvironmentVariableIsEmpty("VELMO_SCREENSHOT")) {
        frame->resize(900, 500);
        frame->show();
        pump(50);
        frame->grab().save(qEnvironmentVariable("VELMO_SCREENSHOT") + "/frame-de.png");
        file->popup(frame->mapToGlobal(QPoint(0, frame->menuBar()->height())));
        pump(100);
        file->grab().save(qEnvironmentVariable("VELMO_SCREENSHOT") + "/menu-file-de.png");
        file->hide();
    }
}

TEST_F(GermanFrameTest, DefaultKeepsTheEnglishTexts)
{
    settings->WriteString("EDITOR", "MUI", "Default");
    LoadTranslation(*settings);
    start();
    EXPECT_EQ(frame->menuBar()->actions().first()->text(), QStringLiteral("&File"));
    EXPECT_EQ(settings->ReadString("EDITOR", "MUI"), QStringLiteral("Default"));
}

} // namespace
