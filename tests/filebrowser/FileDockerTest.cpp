// The file panel on the offscreen platform over a real folder tree.
#include "filebrowser/Favorites.h"
#include "filebrowser/widgets/FileDocker.h"
#include "platform/ProfileFile.h"
#include "platform/Seams.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace filebrowser;

namespace {

template <class Pred>
bool pumpUntil(Pred pred, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

struct DockerFixture : ::testing::Test {
    QTemporaryDir tree, home;
    std::unique_ptr<ProfileFile> ini;
    unsigned mask = 0;
    QString list;
    seams::ScriptedMessageBox box;
    std::unique_ptr<seams::ScopedMessageBox> boxScope;
    std::unique_ptr<CFileDocker> docker;
    QStringList opened, launched;

    void SetUp() override
    {
        for (const char* d : {"sub", "sub/deeper", ".hiddendir", "other"})
            QDir(tree.path()).mkpath(d);
        for (const char* f : {"a.txt", "b.c", "c.exe", ".hidden.txt", "sub/inner.txt", "other/x.h"})
            write(f, "text\n");
        ini = std::make_unique<ProfileFile>(home.filePath("velmo.ini"));
        boxScope = std::make_unique<seams::ScopedMessageBox>(&box);
    }

    void TearDown() override
    {
        docker.reset();
        boxScope.reset();
    }

    QString path(const QString& rel) const { return QDir::cleanPath(tree.path() + '/' + rel); }

    void write(const QString& rel, const QByteArray& bytes)
    {
        QFile f(path(rel));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }

    void start(const QString& folder = QString())
    {
        if (!folder.isNull())
            ini->writeString("USER", "path", folder);
        docker = std::make_unique<CFileDocker>(accessOver(*ini, mask, list));
        docker->setLauncher([this](const QString& p) {
            launched << p;
            return true;
        });
        QObject::connect(docker.get(), &CFileDocker::openRequested, [this](const QString& p) { opened << p; });
        docker->resize(300, 500);
        docker->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(docker.get()));
    }

    // The names the view lists once the folder has been read.
    QStringList names(int expected)
    {
        pumpUntil([&] { return docker->shownNames().size() == expected; }, 3000);
        return docker->shownNames();
    }

    void doubleClick(const QString& rel, int listed)
    {
        names(listed);
        QModelIndex idx;
        ASSERT_TRUE(pumpUntil([&] {
            idx = docker->indexOf(path(rel));
            return idx.isValid();
        }));
        QAbstractItemView* v = docker->view();
        v->scrollTo(idx);
        const QRect r = v->visualRect(idx);
        ASSERT_TRUE(r.isValid());
        // A user's double click: press, release, then the second press that is the double click.
        QTest::mousePress(v->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QTest::mouseRelease(v->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QTest::mouseDClick(v->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QCoreApplication::processEvents();
    }

    void typeAddress(const QString& text)
    {
        QLineEdit* edit = docker->addressBox()->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
    }

    void select(const QString& rel)
    {
        QModelIndex idx;
        ASSERT_TRUE(pumpUntil([&] {
            idx = docker->indexOf(path(rel));
            return idx.isValid();
        }));
        docker->view()->setCurrentIndex(idx);
    }

    QAction* contextAction(const char* name)
    {
        QMenu* m = docker->contextMenu();
        emit m->aboutToShow();
        return m->findChild<QAction*>(QString::fromLatin1(name));
    }
};

} // namespace

TEST_F(DockerFixture, FilterShowsFoldersAndMatchingFilesButNothingHidden)
{
    start(tree.path());
    EXPECT_EQ(docker->currentFolder(), QDir::cleanPath(tree.path()));
    EXPECT_EQ(names(5), (QStringList{"other", "sub", "a.txt", "b.c", "c.exe"}));

    // A pattern typed into the filter box and Enter.
    QLineEdit* edit = docker->filterBox()->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, "*.txt");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(names(3), (QStringList{"other", "sub", "a.txt"}));

    // An entry of the filter box applies its pattern.
    ini->writeSection("FILTER", {"C files (*.c)|*.c", "Programs|*.exe;*.txt"});
    docker->reloadSettings();
    ASSERT_EQ(docker->filterBox()->count(), 2);
    docker->filterBox()->setCurrentIndex(1);
    emit docker->filterBox()->activated(1);
    EXPECT_EQ(docker->filter(), "*.exe;*.txt");
    EXPECT_EQ(names(4), (QStringList{"other", "sub", "a.txt", "c.exe"}));

    // No usable entry leaves the single "All File(*.*)".
    ini->writeSection("FILTER", {"nonsense"});
    docker->reloadSettings();
    ASSERT_EQ(docker->filterBox()->count(), 1);
    EXPECT_EQ(docker->filterBox()->itemText(0), "All File(*.*)");
}

TEST_F(DockerFixture, TypedPathsAndTheHistoryOfEight)
{
    start(tree.path());
    typeAddress(path("nowhere"));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Cannot find path: '" + path("nowhere") + "'.");
    EXPECT_EQ(box.shown[0].caption, "Velmo");
    EXPECT_EQ(box.shown[0].flags & 0xF0u, unsigned(seams::MB_ICONERROR));
    EXPECT_EQ(docker->currentFolder(), QDir::cleanPath(tree.path()));

    typeAddress(path("sub") + "/ ");
    EXPECT_EQ(docker->currentFolder(), path("sub"));
    EXPECT_EQ(names(2), (QStringList{"deeper", "inner.txt"}));

    // Nine folders later Back offers the last eight.
    QStringList visited;
    for (int i = 0; i < 9; ++i) {
        QDir(tree.path()).mkpath(QString("h%1").arg(i));
        ASSERT_TRUE(docker->goTo(path(QString("h%1").arg(i))));
    }
    EXPECT_EQ(docker->history().backList().size(), 8);
    EXPECT_EQ(docker->history().backList().first(), path("h7"));
    QMenu* backMenu = docker->button(CFileDocker::IdBack)->menu();
    emit backMenu->aboutToShow();
    ASSERT_EQ(backMenu->actions().size(), 8);
    EXPECT_EQ(backMenu->actions()[0]->data().toInt(), 300);
    backMenu->actions()[2]->trigger();   // three steps back
    EXPECT_EQ(docker->currentFolder(), path("h5"));
    QTest::mouseClick(docker->button(CFileDocker::IdForward), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(docker->currentFolder(), path("h6"));
    QTest::mouseClick(docker->button(CFileDocker::IdBack), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(docker->currentFolder(), path("h5"));
    docker->button(CFileDocker::IdUp)->click();
    EXPECT_EQ(docker->currentFolder(), QDir::cleanPath(tree.path()));

    // Double click on a folder goes into it.
    doubleClick("other", 14);
    EXPECT_EQ(docker->currentFolder(), path("other"));
}

TEST_F(DockerFixture, FavouritesMenuAddAndDuplicateMessage)
{
    ini->writeString("FAVORITE", "1", path("sub"));
    start(tree.path());
    docker->button(CFileDocker::IdAddFavorite)->click();
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(ini->readString("FAVORITE", "2"), QDir::cleanPath(tree.path()));
    docker->button(CFileDocker::IdAddFavorite)->click();
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "'" + QDir::cleanPath(tree.path()) + "' already exist in favorites.");
    EXPECT_EQ(box.shown[0].flags & 0xF0u, unsigned(seams::MB_ICONWARNING));
    EXPECT_TRUE(ini->readString("FAVORITE", "3").isEmpty());

    QMenu* menu = docker->favoritesMenu();
    emit menu->aboutToShow();
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 4);   // two favourites, a separator, Organize
    EXPECT_EQ(items[0]->text(), "&1 sub");
    EXPECT_EQ(items[0]->data().toInt(), 200);
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->text(), "Organize Favorites..");
    items[0]->trigger();
    EXPECT_EQ(docker->currentFolder(), path("sub"));

    QList<int> commands;
    QObject::connect(docker.get(), &CFileDocker::commandRequested, [&](int id) { commands << id; });
    items[3]->trigger();
    docker->button(CFileDocker::IdOptions)->click();
    EXPECT_EQ(commands, (QList<int>{690, 692}));

    // A favourite that is gone shows the desktop.
    QDir(path("sub")).removeRecursively();
    docker->goTo(tree.path());
    docker->goFavorite(1);
    EXPECT_EQ(docker->currentFolder(), desktopFolder());
}

TEST_F(DockerFixture, DoubleClickWhiteAndBlackList)
{
    list = "*.c;*.h";
    start(tree.path());
    doubleClick("b.c", 5);
    doubleClick("c.exe", 5);
    EXPECT_EQ(opened, QStringList{path("b.c")});
    EXPECT_EQ(launched, QStringList{path("c.exe")});

    opened.clear();
    launched.clear();
    mask = kBlackListBit;
    list = "*.exe;*.dll";
    doubleClick("a.txt", 5);
    doubleClick("c.exe", 5);
    EXPECT_EQ(opened, QStringList{path("a.txt")});
    EXPECT_EQ(launched, QStringList{path("c.exe")});
}

TEST_F(DockerFixture, ContextMenuDeletesToTheTrashAfterAsking)
{
    // The trash of a home of our own.
    const QByteArray oldHome = qgetenv("HOME"), oldData = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", tree.path().toUtf8());
    qputenv("XDG_DATA_HOME", (tree.path() + "/.local/share").toUtf8());
    start(tree.path());
    select("a.txt");
    QAction* del = contextAction("file_ctx_delete");
    ASSERT_TRUE(del && del->isEnabled());
    EXPECT_TRUE(docker->button(CFileDocker::IdDelete)->isEnabled());

    box.answers = {seams::IDNO};
    del->trigger();
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Move 'a.txt' to the trash?");
    EXPECT_TRUE(QFile::exists(path("a.txt")));

    box.answers = {seams::IDYES};
    QTest::keyClick(docker->view(), Qt::Key_Delete);   // the Delete key does the same
    EXPECT_FALSE(QFile::exists(path("a.txt")));
    EXPECT_TRUE(QFile::exists(tree.path() + "/.local/share/Trash/files/a.txt"));

    // A file gone in between: the failure is shown.
    select("b.c");
    QFile::remove(path("b.c"));
    box.shown.clear();
    box.answers = {seams::IDYES};
    docker->button(CFileDocker::IdDelete)->click();
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[1].text, "Cannot move 'b.c' to the trash.");
    EXPECT_EQ(box.shown[1].flags & 0xF0u, unsigned(seams::MB_ICONERROR));

    // A trash that cannot be made: the file stays where it is, nothing lands in the
    // current folder, and the failure is shown.
    write("blocker", "a file where a folder would have to be\n");
    qputenv("XDG_DATA_HOME", path("blocker/share").toUtf8());
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(home.path());
    select("c.exe");
    box.shown.clear();
    box.answers = {seams::IDYES};
    docker->button(CFileDocker::IdDelete)->click();
    QDir::setCurrent(oldCwd);
    EXPECT_TRUE(QFile::exists(path("c.exe")));
    EXPECT_FALSE(QFile::exists(home.filePath("files/c.exe")));
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[1].text, "Cannot move 'c.exe' to the trash.");
    qputenv("HOME", oldHome);
    if (oldData.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldData);
}

TEST_F(DockerFixture, ContextMenuNewFolderRenameCopyPathAndOpen)
{
    start(tree.path());
    docker->button(CFileDocker::IdNewFolder)->click();
    ASSERT_TRUE(QFileInfo(path("New Folder")).isDir());
    // The new folder's name is being edited: typing renames it.
    ASSERT_TRUE(pumpUntil([&] { return QApplication::focusWidget() && qobject_cast<QLineEdit*>(QApplication::focusWidget()); }));
    QTest::keyClicks(QApplication::focusWidget(), "made");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(pumpUntil([&] { return QFileInfo(path("made")).isDir(); }));

    // Renaming onto an existing name is refused and said.
    select("c.exe");
    box.shown.clear();
    EXPECT_FALSE(docker->view()->model()->setData(docker->indexOf(path("c.exe")), "b.c"));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Cannot rename 'c.exe' to 'b.c'.");
    EXPECT_TRUE(QFile::exists(path("c.exe")));

    select("c.exe");
    contextAction("file_copy_path")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), path("c.exe"));
    contextAction("file_open")->trigger();
    EXPECT_EQ(opened, QStringList{path("c.exe")});
    contextAction("file_open_desktop")->trigger();
    EXPECT_EQ(launched, QStringList{path("c.exe")});
}

TEST_F(DockerFixture, StateIsSavedAndRestored)
{
    start(tree.path());
    docker->goTo(path("sub"));
    docker->applyFilter("*.txt");
    docker->setViewMode(4);
    docker->saveState();   // as the frame does when it closes
    docker.reset();
    EXPECT_EQ(ini->readString("USER", "path"), path("sub"));
    EXPECT_EQ(ini->readString("USER", "Filter"), "*.txt");
    EXPECT_EQ(ini->readString("USER", "ViewMode"), "4");
    EXPECT_EQ(ini->readString("USER", "ViewFlags"), "4");

    start(QString());
    EXPECT_EQ(docker->currentFolder(), path("sub"));
    EXPECT_EQ(docker->filter(), "*.txt");
    EXPECT_EQ(docker->viewMode(), 4);
    EXPECT_EQ(names(2), (QStringList{"deeper", "inner.txt"}));
    docker.reset();

    // A folder that is gone, or none saved, shows the desktop.
    start(path("gone"));
    EXPECT_EQ(docker->currentFolder(), desktopFolder());
    docker.reset();
    start("");
    EXPECT_EQ(docker->currentFolder(), desktopFolder());
}

TEST_F(DockerFixture, LocateSelectsTheFile)
{
    start(tree.path());
    docker->locate(path("other/x.h"));
    EXPECT_EQ(docker->currentFolder(), path("other"));
    ASSERT_TRUE(pumpUntil([&] { return docker->selectedPaths() == QStringList{path("other/x.h")}; }));
    EXPECT_TRUE(docker->view()->hasFocus() || QApplication::focusWidget() == docker->view());
}
