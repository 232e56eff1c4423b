// keymap.key: its bytes, the rules that send a broken file back to the built-in keys, the
// tool shortcut numbers, and the Key page's model (tree, capture, refusals, applying).
#include "app/commands/CommandTable.h"
#include "ui/KeyMap.h"
#include "ui/KeyPage.h"
#include "ui/MuiPage.h"
#include "ui/VirtualKeys.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using cmd::AccelEntry;

AccelEntry chord(std::uint8_t mods, int vk, int command)
{
    AccelEntry e;
    e.flags = std::uint8_t(cmd::FVIRTKEY | mods);
    e.key = std::uint16_t(vk);
    e.cmd = std::uint16_t(command);
    return e;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

TEST(KeyMapFile, BytesRoundTrip)
{
    const std::vector<AccelEntry> one = {chord(cmd::FCONTROL | cmd::FSHIFT, 'K', 0x1234)};
    const QByteArray bytes = keymap::encode(one);
    EXPECT_EQ(bytes, QByteArray::fromHex("01000000" "0d004b003412"));
    EXPECT_EQ(keymap::decode(bytes), one);

    const std::vector<AccelEntry> defaults = cmd::defaultAccelerators();
    EXPECT_EQ(keymap::decode(keymap::encode(defaults)), defaults);

    QTemporaryDir dir;
    const QString path = dir.filePath("keymap.key");
    ASSERT_TRUE(keymap::write(path, one));
    EXPECT_EQ(keymap::read(path), one);
    // Written in one step: no temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keymap.key"});
    // A failed write leaves the old file as it was.
    QString error;
    EXPECT_FALSE(keymap::write(dir.filePath("missing/keymap.key"), one, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(KeyMapFile, BrokenFilesSelectTheBuiltInKeys)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keymap.key");
    const std::vector<AccelEntry> defaults = cmd::defaultAccelerators();
    const std::vector<AccelEntry> tool = {chord(cmd::FCONTROL, 0x74, 600)};
    auto provider = [&] { return tool; };

    EXPECT_EQ(keymap::load(path), defaults);   // missing
    const QByteArray valid = keymap::encode({chord(cmd::FALT, 'Q', 116)});
    struct Case {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"short", QByteArray("\x01\x00", 2)},
        {"negative count", QByteArray::fromHex("ffffffff")},
        {"negative count with entries", QByteArray::fromHex("feffffff") + QByteArray(12, '\0')},
        {"count too large", QByteArray::fromHex("e8030000") + QByteArray(6000, '\0')},
        // 6 * N + 4 is 8 in 32-bit arithmetic: a size test there would take this count.
        {"negative count that wraps", QByteArray::fromHex("565555d5") + QByteArray(4, '\0')},
        {"size does not match", valid + QByteArray(1, '\0')},
        {"truncated", valid.left(valid.size() - 1)},
    };
    for (const Case& c : cases) {
        writeFile(path, c.bytes);
        EXPECT_FALSE(keymap::read(path)) << c.what;
        std::vector<AccelEntry> expected = defaults;
        expected.insert(expected.end(), tool.begin(), tool.end());
        EXPECT_EQ(keymap::load(path, provider), expected) << c.what;
    }
    // A count of 0: an empty key map, only the tools' shortcuts remain.
    writeFile(path, QByteArray(4, '\0'));
    EXPECT_EQ(keymap::load(path, provider), tool);
    // 999 entries is the largest valid file.
    std::vector<AccelEntry> most(999, chord(0, 'A', 100));
    writeFile(path, keymap::encode(most));
    EXPECT_EQ(keymap::load(path).size(), 999u);
}

TEST(KeyMapFile, ToolShortcutNumbers)
{
    const AccelEntry ctrlF5 = chord(cmd::FCONTROL, 0x74, 600);
    EXPECT_EQ(keymap::toolShortcutNumber(ctrlF5), 0x740009u);
    EXPECT_EQ(keymap::toolShortcutValue({ctrlF5, chord(cmd::FALT, 'T', 600)}), QStringLiteral("7602185,5505041"));
    EXPECT_EQ(keymap::toolShortcutValue({}), QString());
    const auto back = keymap::parseToolShortcuts(QStringLiteral("7602185, junk,,-3,5505041,99999999999,256"), 601);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0], chord(cmd::FCONTROL, 0x74, 601));
    EXPECT_EQ(back[1], chord(cmd::FALT, 'T', 601));
}

TEST(VirtualKeys, EveryNamedKeyMapsToAQtKeyAndBack)
{
    int mapped = 0;
    for (int vk = 1; vk < 256; ++vk) {
        const ui::QtKey k = ui::qtKeyFromVirtualKey(vk);
        if (!k.key)
            continue;
        ++mapped;
        EXPECT_EQ(cmd::virtualKeyFromQt(k.key, k.modifiers), vk) << vk;
        EXPECT_FALSE(cmd::keyName(vk).isEmpty()) << vk;
    }
    EXPECT_GT(mapped, 100);
    // Shifted symbols of the US layout go back to their key; Backtab is Tab.
    EXPECT_EQ(cmd::virtualKeyFromQt(Qt::Key_BraceRight, Qt::ShiftModifier), 0xDD);
    EXPECT_EQ(cmd::virtualKeyFromQt(Qt::Key_ParenRight, Qt::ShiftModifier), '0');
    EXPECT_EQ(cmd::virtualKeyFromQt(Qt::Key_Backtab, Qt::ShiftModifier), 0x09);
    EXPECT_EQ(cmd::virtualKeyFromQt(Qt::Key_7, Qt::KeypadModifier), 0x67);
}

struct KeyPage : ::testing::Test {
    std::vector<AccelEntry> table = cmd::defaultAccelerators();
};

TEST_F(KeyPage, TheTreeHoldsTheMenuCommandsWithTheirKeys)
{
    ui::KeyPageModel page(table, {{600, QStringLiteral("&Build\tCtrl+F5")}});
    ASSERT_EQ(page.roots().size(), 9u);
    EXPECT_EQ(page.nodes()[size_t(page.roots()[0])].text, QStringLiteral("File"));
    EXPECT_EQ(page.selected(), page.roots()[0]);
    EXPECT_FALSE(page.commandSelected());
    EXPECT_EQ(page.nodeOf(cmd::LanguageFirst), -1);
    EXPECT_GE(page.nodeOf(cmd::LanguageHex), 0);
    EXPECT_GE(page.nodeOf(cmd::HelpAbout), 0);
    // The Export popup is a node of its own one level deeper.
    const int html = page.nodeOf(cmd::FileExportHtml);
    ASSERT_GE(html, 0);
    const auto& exportNode = page.nodes()[size_t(page.nodes()[size_t(html)].parent)];
    EXPECT_EQ(exportNode.text, QStringLiteral("Export"));
    EXPECT_EQ(exportNode.command, 0);
    // A tool of the Tool menu.
    const int tool = page.nodeOf(600);
    ASSERT_GE(tool, 0);
    EXPECT_EQ(page.nodes()[size_t(tool)].text, QStringLiteral("Build"));
    // Replace... has two keys.
    page.select(page.nodeOf(cmd::SearchReplace));
    EXPECT_TRUE(page.commandSelected());
    EXPECT_EQ(page.currentKeys(), (QStringList{"Ctrl+R", "Ctrl+H"}));
}

TEST_F(KeyPage, CaptureOneChord)
{
    using M = ui::KeyPageModel;
    EXPECT_FALSE(M::chordFromKey(Qt::Key_Control, Qt::ControlModifier));
    EXPECT_FALSE(M::chordFromKey(Qt::Key_Shift, Qt::ShiftModifier));
    EXPECT_EQ(M::chordFromKey(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier),
              chord(cmd::FCONTROL | cmd::FSHIFT, 'K', 0));
    EXPECT_EQ(M::chordFromKey(Qt::Key_Backtab, Qt::ShiftModifier), chord(cmd::FSHIFT, 0x09, 0));
    EXPECT_EQ(M::chordFromKey(Qt::Key_BraceRight, Qt::ControlModifier | Qt::ShiftModifier),
              chord(cmd::FCONTROL | cmd::FSHIFT, 0xDD, 0));
    EXPECT_EQ(M::chordFromKey(Qt::Key_Plus, Qt::KeypadModifier | Qt::AltModifier), chord(cmd::FALT, 0x6B, 0));
    ui::KeyPageModel page(table);
    page.capture(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_EQ(page.pendingName(), QStringLiteral("Ctrl+F5"));
    page.capture(Qt::Key_Alt, Qt::AltModifier);   // a modifier alone keeps the chord
    EXPECT_EQ(page.pendingName(), QStringLiteral("Ctrl+F5"));
}

TEST_F(KeyPage, AChordInUseAndTheEleventhChordAreRefused)
{
    ui::KeyPageModel page(table);
    page.select(page.nodeOf(cmd::FileOpen));
    page.capture(Qt::Key_N, Qt::ControlModifier);
    auto out = page.add();
    EXPECT_EQ(out.result, ui::KeyPageModel::AddResult::InUse);
    EXPECT_EQ(out.message, QStringLiteral("The shortcut already used by:' &New', please input other."));
    EXPECT_FALSE(page.pending());
    EXPECT_FALSE(page.changed());
    EXPECT_EQ(page.add().result, ui::KeyPageModel::AddResult::Nothing);

    page.select(page.nodeOf(cmd::EditSplitLines));
    for (int i = 0; i < 10; ++i) {
        page.capture(Qt::Key_F1 + i, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        ASSERT_EQ(page.add().result, ui::KeyPageModel::AddResult::Added) << i;
    }
    EXPECT_EQ(page.currentKeys().size(), 10);
    page.capture(Qt::Key_F12, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    out = page.add();
    EXPECT_EQ(out.result, ui::KeyPageModel::AddResult::TooMany);
    EXPECT_EQ(out.message, QStringLiteral("Maximum support 10 shortcut items."));
    EXPECT_TRUE(page.changed());
    // Removing one makes room again.
    EXPECT_FALSE(page.remove(10));
    EXPECT_TRUE(page.remove(0));
    EXPECT_EQ(page.add().result, ui::KeyPageModel::AddResult::Added);
}

TEST_F(KeyPage, ApplyingWritesTheKeyMapAndHandsToolKeysToTheToolStore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keymap.key");
    // The table as loaded: defaults plus two tools' shortcuts from the tool store.
    table.push_back(chord(cmd::FALT, 'B', 600));
    table.push_back(chord(cmd::FALT, 'R', 601));
    ui::KeyPageModel page(table, {{600, QStringLiteral("&Build")}, {601, QStringLiteral("Run's it")}});

    page.select(page.nodeOf(cmd::EditUppercase));
    page.capture(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(page.add().result, ui::KeyPageModel::AddResult::Added);
    page.select(page.nodeOf(600));
    page.capture(Qt::Key_F5, Qt::ControlModifier);
    ASSERT_EQ(page.add().result, ui::KeyPageModel::AddResult::Added);
    page.select(page.nodeOf(601));
    ASSERT_TRUE(page.remove(0));   // the tool loses its only shortcut

    std::vector<ui::KeyPageModel::ToolShortcut> stored;
    QStringList errors;
    ASSERT_TRUE(page.apply(path,
                           [&](const ui::KeyPageModel::ToolShortcut& t, QString* error) {
                               stored.push_back(t);
                               if (t.command == 601) {
                                   *error = QStringLiteral("database is locked");
                                   return false;
                               }
                               return true;
                           },
                           &errors));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].name, QStringLiteral("&Build"));
    EXPECT_EQ(stored[0].value, QStringLiteral("4325393,7602185"));
    EXPECT_EQ(stored[1].value, QString());   // stored empty, so the old keys do not return
    EXPECT_EQ(errors, QStringList{"database is locked"});

    const auto written = keymap::read(path);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->size(), cmd::defaultAccelerators().size() + 1);
    for (const AccelEntry& e : *written)
        EXPECT_FALSE(e.cmd >= 600 && e.cmd <= 679);
    const AccelEntry k = chord(cmd::FCONTROL | cmd::FSHIFT, 'K', cmd::EditUppercase);
    EXPECT_NE(std::find(written->begin(), written->end(), k), written->end());
    EXPECT_EQ(cmd::lookupAccelerator(keymap::load(path), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier),
              cmd::EditUppercase);
    // Print is bound but has no place in the menus: applying keeps its key.
    EXPECT_EQ(cmd::lookupAccelerator(*written, Qt::Key_P, Qt::ControlModifier), cmd::FilePrint);
}

TEST_F(KeyPage, ACommandWithMoreThanTenKeysInTheFileKeepsTen)
{
    std::vector<AccelEntry> many;
    for (int i = 0; i < 12; ++i)
        many.push_back(chord(cmd::FALT, 'A' + i, cmd::EditJoinLines));
    ui::KeyPageModel page(many);
    page.select(page.nodeOf(cmd::EditJoinLines));
    EXPECT_EQ(page.currentKeys().size(), 10);
    EXPECT_EQ(page.keyMapEntries().size(), 10u);
}

TEST(MuiPage, ListsTheTranslationsAndStoresTheChoice)
{
    QTemporaryDir dir;
    for (const char* name : {"German.xml", "French.xml", ".secret.xml", "notes.txt"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ui::MuiPageModel page(dir.path(), QStringLiteral("german.XML"));
    EXPECT_EQ(page.rows(), (QStringList{"Default", "French.xml", "German.xml"}));
    EXPECT_EQ(page.current(), 2);
    EXPECT_FALSE(page.select(2));
    EXPECT_FALSE(page.changed());
    EXPECT_TRUE(page.select(0));
    EXPECT_TRUE(page.changed());
    EXPECT_EQ(page.value(), QStringLiteral("Default"));
    EXPECT_TRUE(page.select(1));
    EXPECT_EQ(page.value(), QStringLiteral("French.xml"));
    EXPECT_FALSE(page.select(7));
    EXPECT_EQ(ui::MuiPageModel(dir.path(), QStringLiteral("Gone.xml")).current(), 0);
    EXPECT_EQ(ui::MuiPageModel::restartMessage(), QStringLiteral("Need restart velmo"));
}

} // namespace
