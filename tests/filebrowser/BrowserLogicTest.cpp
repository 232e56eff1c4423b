// The file browser's rules, history, favourites and option-page models over a real
// velmo.ini in a temporary folder.
#include "filebrowser/Favorites.h"
#include "filebrowser/FileRules.h"
#include "filebrowser/History.h"
#include "platform/ProfileFile.h"
#include "platform/Seams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace filebrowser;

namespace {
struct Ini {
    QTemporaryDir dir;
    ProfileFile file{dir.filePath("velmo.ini")};
    unsigned mask = 0;
    QString list;
    SettingsAccess access = accessOver(file, mask, list);
    QByteArray bytes() const
    {
        QFile f(dir.filePath("velmo.ini"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};
} // namespace

TEST(BrowserRules, FilterShowsFoldersAlwaysAndHidesHiddenItems)
{
    EXPECT_TRUE(isShown(true, false, "src", "*.txt"));
    EXPECT_TRUE(isShown(false, false, "a.txt", "*.txt"));
    EXPECT_FALSE(isShown(false, false, "a.c", "*.txt"));
    EXPECT_TRUE(isShown(false, false, "a.c", "*.txt; *.c"));
    EXPECT_TRUE(isShown(false, false, "Makefile", "*.*"));
    EXPECT_TRUE(isShown(false, false, "Makefile", ""));
    EXPECT_FALSE(isShown(false, true, ".profile", "*.*"));
    EXPECT_FALSE(isShown(true, true, ".git", "*.*"));
}

TEST(BrowserRules, DoubleClickFollowsTheListInForce)
{
    // White list: only matching files open in the editor.
    EXPECT_EQ(doubleClickAction(false, "/w/a.c", false, "*.c;*.h"), DoubleClick::OpenInEditor);
    EXPECT_EQ(doubleClickAction(false, "/w/a.exe", false, "*.c;*.h"), DoubleClick::OpenWithDesktop);
    // Black list: matching files do not.
    EXPECT_EQ(doubleClickAction(false, "/w/a.txt", true, "*.exe;*.dll"), DoubleClick::OpenInEditor);
    EXPECT_EQ(doubleClickAction(false, "/w/a.exe", true, "*.exe;*.dll"), DoubleClick::OpenWithDesktop);
    EXPECT_EQ(doubleClickAction(true, "/w/a.c", false, "*.c"), DoubleClick::EnterFolder);
}

TEST(BrowserRules, FilterEntriesAndTypedPaths)
{
    const QList<FilterEntry> f = parseFilters({"C/C++ (*.c;*.h)|*.c;*.h", "no bar here", "Text|*.txt|"});
    ASSERT_EQ(f.size(), 2);
    EXPECT_EQ(f[0].description, "C/C++ (*.c;*.h)");
    EXPECT_EQ(f[0].pattern, "*.c;*.h");
    EXPECT_EQ(f[1].pattern, "*.txt");
    const QList<FilterEntry> none = parseFilters({"garbage", "|"});
    ASSERT_EQ(none.size(), 1);
    EXPECT_EQ(none[0].description, "All File(*.*)");
    EXPECT_EQ(none[0].pattern, "*.*");

    QTemporaryDir dir;
    QDir(dir.path()).mkpath("a b/c");
    EXPECT_EQ(typedFolder(dir.path() + "/a b/c/  "), QDir::cleanPath(dir.path() + "/a b/c"));
    EXPECT_EQ(typedFolder(dir.path() + "/a b//c/"), QDir::cleanPath(dir.path() + "/a b/c"));
    EXPECT_TRUE(typedFolder(dir.path() + "/nope").isEmpty());
    EXPECT_TRUE(typedFolder("relative/path").isEmpty());
    EXPECT_EQ(folderChain("/usr/share").join('|'), "/|/usr|/usr/share");
}

TEST(BrowserHistory, RingsKeepEightAndMoveBetweenEachOther)
{
    History h;
    for (int i = 0; i < 9; ++i)
        h.leave(QString("/f%1").arg(i));
    ASSERT_EQ(h.backList().size(), 8);
    EXPECT_EQ(h.backList().first(), "/f8");
    EXPECT_EQ(h.backList().last(), "/f1");   // /f0 dropped
    EXPECT_EQ(h.back("/now"), "/f8");
    EXPECT_EQ(h.forwardList(), QStringList{"/now"});
    // Back to the third entry: the two passed over go forward too.
    EXPECT_EQ(h.back("/f8", 2), "/f5");
    EXPECT_EQ(h.forwardList(), (QStringList{"/f6", "/f7", "/f8", "/now"}));
    EXPECT_EQ(h.forward("/f5"), "/f6");
    EXPECT_EQ(h.backList().first(), "/f5");
    EXPECT_TRUE(h.back("/x", 50).isEmpty());
}

TEST(BrowserFavorites, AddWritesTheFirstFreeKeyAndRefusesDuplicates)
{
    Ini ini;
    for (int i = 1; i <= 3; ++i)
        ini.file.writeString("FAVORITE", QString::number(i), QString("/fav%1").arg(i));
    AddFavoriteResult r = addFavorite(ini.access, "/new");
    EXPECT_EQ(r.kind, AddFavoriteResult::Added);
    EXPECT_EQ(r.key, 4);
    EXPECT_EQ(ini.file.readString("FAVORITE", "4"), "/new");

    r = addFavorite(ini.access, "/fav2");
    EXPECT_EQ(r.kind, AddFavoriteResult::Duplicate);
    EXPECT_EQ(addFavoriteMessage(r, "/fav2"), "'/fav2' already exist in favorites.");
    EXPECT_EQ(addFavoriteIcon(r) & 0xF0u, unsigned(seams::MB_ICONWARNING));
    EXPECT_TRUE(ini.file.readString("FAVORITE", "5").isEmpty());

    r = addFavorite(ini.access, "");
    EXPECT_EQ(addFavoriteMessage(r, ""), "Cannot add current path to favorites.");
    EXPECT_EQ(addFavoriteIcon(r) & 0xF0u, unsigned(seams::MB_ICONERROR));

    for (int i = 5; i <= 100; ++i)
        ini.file.writeString("FAVORITE", QString::number(i), QString("/more%1").arg(i));
    r = addFavorite(ini.access, "/last");
    EXPECT_EQ(r.kind, AddFavoriteResult::Replaced);
    EXPECT_EQ(ini.file.readString("FAVORITE", "100"), "/last");
    EXPECT_EQ(readFavorites(ini.access).size(), 100);
    EXPECT_EQ(favoriteMenuLabel(3, "R&D"), "&3 R&&D");
}

TEST(BrowserFavorites, PageModelRenumbersOnApply)
{
    Ini ini;
    for (int i = 1; i <= 3; ++i)
        ini.file.writeString("FAVORITE", QString::number(i), QString("/fav%1").arg(i));
    FavoritesModel m;
    m.load(ini.access);
    EXPECT_FALSE(m.pathEditable());
    EXPECT_FALSE(m.canDelete());
    m.select(1);
    EXPECT_TRUE(m.canMoveUp());
    EXPECT_TRUE(m.canMoveDown());
    m.deleteSelected();
    EXPECT_EQ(m.selected(), 0);
    EXPECT_FALSE(m.canMoveUp());
    m.apply(ini.access);
    EXPECT_EQ(readFavorites(ini.access), (QStringList{"/fav1", "/fav3"}));
    EXPECT_TRUE(ini.file.readString("FAVORITE", "3").isEmpty());

    // New row, typed path, move up; an emptied row does not end the list early.
    ASSERT_TRUE(m.addRow("<New Favorite Path>"));
    EXPECT_EQ(m.selectedPath(), "<New Favorite Path>");
    m.setSelectedPath("/typed");
    m.moveUp();
    EXPECT_EQ(m.rows(), (QStringList{"/fav1", "/typed", "/fav3"}));
    m.select(0);
    m.setSelectedPath("");
    m.apply(ini.access);
    EXPECT_EQ(readFavorites(ini.access), (QStringList{"/typed", "/fav3"}));
    while (m.canAdd())
        m.addRow("x");
    EXPECT_EQ(m.rows().size(), 100);
    EXPECT_FALSE(m.addRow("y"));
}

TEST(BrowserFileWindow, ApplyWritesListsMaskAndTheWholeFilterSection)
{
    Ini ini;
    QStringList filters;
    for (int i = 0; i < 60; ++i)   // far more than 1024 characters
        filters << QString("Kind number %1 (*.k%1)|*.k%1").arg(i, 3, 10, QChar('0'));
    ini.file.writeSection("FILTER", filters);
    ini.file.writeString("FILEVIEW", "WhiteList", "*.c;*.h");
    ini.file.writeString("FILEVIEW", "BlackList", "*.exe");
    FileWindowModel m;
    m.load(ini.access);
    EXPECT_FALSE(m.blackList);
    EXPECT_EQ(m.whiteList, "*.c;*.h");
    EXPECT_GT(m.filterText.size(), 1024);
    m.blackList = true;
    m.setBlackList(QString(300, 'x'));
    EXPECT_EQ(m.blackListText.size(), 255);
    m.setBlackList("*.exe;*.dll");
    m.apply(ini.access);
    // Written back, no entry is lost.
    EXPECT_EQ(ini.file.readSection("FILTER"), filters);
    EXPECT_EQ(ini.mask & kBlackListBit, kBlackListBit);
    EXPECT_EQ(ini.list, "*.exe;*.dll");
    EXPECT_EQ(ini.file.readString("FILEVIEW", "BlackList"), "*.exe;*.dll");

    m.blackList = false;
    m.filterText = "Text (*.txt)|*.txt\r\n\r\nAll|*.*\n";
    m.apply(ini.access);
    EXPECT_EQ(ini.mask & kBlackListBit, 0u);
    EXPECT_EQ(ini.list, "*.c;*.h");
    EXPECT_EQ(ini.file.readSection("FILTER"), (QStringList{"Text (*.txt)|*.txt", "All|*.*"}));
}
