// Saving onto a file system that is nearly full or read-only: the save reports the failure,
// the old file keeps every byte and its mode, nothing is left beside it, and the document
// stays modified. The file system is a small tmpfs mounted in a mount namespace of the test
// process's own, so nothing outlives the test; where that cannot be done (not root) the tests
// are skipped with the reason.
#include "../app/frame/FrameFixture.h"

#include "app/Session.h"
#include "platform/ProfileFile.h"
#include "platform/Registry.h"

#include <QDirIterator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The mount namespace is entered once; every test mounts its own tmpfs inside it.
QString privateMounts()
{
    static const QString failure = [] {
        if (::geteuid() != 0)
            return QStringLiteral("mounting a small file system needs root");
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return QStringLiteral("no mount namespace: ") + QString::fromLocal8Bit(std::strerror(errno));
        return QString();
    }();
    return failure;
}

struct DiskFullTest : FrameFixture {
    QTemporaryDir mountPoint;
    bool mounted = false;

    void SetUp() override
    {
        const QString why = privateMounts();
        if (!why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        const QByteArray at = QFile::encodeName(mountPoint.path());
        if (::mount("velmo-test", at.constData(), "tmpfs", 0, "size=1m,mode=0755") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
        mounted = true;
        FrameFixture::SetUp();
    }
    void TearDown() override
    {
        if (!mounted)
            return;
        FrameFixture::TearDown();
        ::umount2(QFile::encodeName(mountPoint.path()).constData(), MNT_DETACH);
    }

    QString onDisk(const QString& name) const { return mountPoint.filePath(name); }

    QString put(const QString& name, const QByteArray& bytes, mode_t mode = 0640)
    {
        const QString path = onDisk(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(f.write(bytes), bytes.size());
        f.close();
        ::chmod(QFile::encodeName(path).constData(), mode);
        return path;
    }

    // Fills the file system until fewer than `leave` bytes are free.
    void fill(qint64 leave)
    {
        QFile filler(onDisk(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Append));
        const QByteArray page(4096, 'f');
        while (filler.write(page) == page.size() && filler.flush()) {
        }
        filler.close();
        // Give back what was asked for, in whole pages.
        const qint64 size = filler.size();
        ASSERT_TRUE(filler.resize(std::max<qint64>(0, size - leave)));
    }

    void remountReadOnly()
    {
        ASSERT_EQ(::mount(nullptr, QFile::encodeName(mountPoint.path()).constData(), nullptr,
                          MS_REMOUNT | MS_RDONLY, nullptr), 0)
            << std::strerror(errno);
    }

    mode_t modeOf(const QString& path) const
    {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    }

    QStringList entries() const
    {
        QStringList out = QDir(mountPoint.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        out.removeAll(QStringLiteral("filler"));
        out.sort();
        return out;
    }

    // Opens the file, types into it and saves with Ctrl+S as a user does. Returns the frame.
    CChildFrame* editAndSave(const QString& path)
    {
        CChildFrame* c = frame->OpenFile(path);
        if (!c || !c->textView()) {
            ADD_FAILURE() << "no text view for " << path.toStdString();
            return nullptr;
        }
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        c->textView()->setFocus();
        pump(10);
        key(c->textView(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(c->textView(), QStringLiteral("more"));
        pump();
        EXPECT_TRUE(c->isModified());
        key(c->textView(), Qt::Key_S, Qt::ControlModifier);
        return c;
    }
};

QByteArray oldText(int lines)
{
    QByteArray b;
    for (int i = 0; i < lines; ++i)
        b += "old line " + QByteArray::number(i) + " caf\xC3\xA9\n";
    return b;
}

// A file replaced through a temporary copy needs its whole size free; one with other hard
// links is rewritten in place and must find its room reserved first. Either way a full disk
// refuses the save before the old file changes.
TEST_F(DiskFullTest, TextSaveOnAFullDiskReportsAndKeepsTheOldFile)
{
    // Whole pages, so that even the few bytes typed need a page the disk does not have.
    QByteArray old = oldText(4000);
    old += QByteArray(int(4096 - old.size() % 4096 - 1), '.') + '\n';
    const QString plain = put(QStringLiteral("plain.txt"), old);
    const QString linked = put(QStringLiteral("linked.txt"), old);
    ASSERT_EQ(::link(QFile::encodeName(linked).constData(), QFile::encodeName(onDisk("other-name.txt")).constData()), 0);
    start();
    fill(0);
    const QStringList before = entries();

    for (const QString& path : {plain, linked}) {
        SCOPED_TRACE(path.toStdString());
        const size_t shown = box.shown.size();
        CChildFrame* c = editAndSave(path);
        ASSERT_TRUE(c);
        ASSERT_EQ(box.shown.size(), shown + 1) << "the failure is reported";
        EXPECT_TRUE(box.shown.back().text.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
            << box.shown.back().text.toStdString();
        EXPECT_TRUE(box.shown.back().flags & seams::MB_ICONERROR);
        EXPECT_TRUE(c->isModified());
        EXPECT_EQ(read(path), old);
        EXPECT_EQ(modeOf(path), 0640u);
    }
    EXPECT_EQ(read(onDisk("other-name.txt")), old);
    EXPECT_EQ(entries(), before) << "no temporary file is left behind";

    // With room again the same documents save.
    ASSERT_TRUE(QFile::remove(onDisk(QStringLiteral("filler"))));
    for (CChildFrame* c : frame->children()) {
        ASSERT_TRUE(c->save());
        EXPECT_FALSE(c->isModified());
        EXPECT_EQ(read(c->path()), old + "more");
    }
}

TEST_F(DiskFullTest, TextSaveOnAReadOnlyFileSystemReportsAndKeepsTheDocumentModified)
{
    const QByteArray old = oldText(50);
    const QString path = put(QStringLiteral("ro.txt"), old);
    start();
    remountReadOnly();
    const size_t shown = box.shown.size();
    CChildFrame* c = editAndSave(path);
    ASSERT_TRUE(c);
    ASSERT_EQ(box.shown.size(), shown + 1);
    EXPECT_TRUE(c->isModified());
    EXPECT_EQ(read(path), old);
}

// The settings file, the registry store and session files are rewritten whole through a
// temporary file: on a full disk the write fails and the old file is untouched.
TEST_F(DiskFullTest, SettingsRegistryAndSessionWritesOnAFullDiskKeepTheOldFiles)
{
    const QByteArray ini = "[EDITOR]\nTabSize=4\n" + QByteArray(20000, ';') + "\n";
    const QString iniPath = put(QStringLiteral("velmo.ini"), ini);
    const QByteArray reg = "; Velmo per-user settings store\n\n[Software\\Velmo]\n\"File1\"=\"" + QByteArray(20000, 'r') + "\"\n";
    const QString regPath = put(QStringLiteral("registry.txt"), reg);
    session::Session s;
    for (int i = 0; i < 300; ++i)
        s.files.push_back({QStringLiteral("/home/u/file%1.txt").arg(i), true, 0, 0, 0, 0, {}});
    const QString sessionPath = onDisk(QStringLiteral("session.xml"));
    ASSERT_TRUE(session::writeFile(sessionPath, s));
    const QByteArray sessionBytes = read(sessionPath);
    fill(8192);
    const QStringList before = entries();

    ProfileFile profile(iniPath);
    EXPECT_FALSE(profile.writeString(QStringLiteral("EDITOR"), QStringLiteral("TabSize"), QStringLiteral("8")));
    EXPECT_EQ(read(iniPath), ini);
    EXPECT_EQ(profile.readInt(QStringLiteral("EDITOR"), QStringLiteral("TabSize"), 0), 4);

    registry::Store store(regPath);
    EXPECT_FALSE(store.setString(QStringLiteral("Software\\Velmo"), QStringLiteral("File2"), QStringLiteral("x")));
    EXPECT_EQ(read(regPath), reg);

    s.files.resize(100);
    QString error;
    EXPECT_FALSE(session::writeFile(sessionPath, s, &error));
    EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(ENOSPC)));
    EXPECT_EQ(read(sessionPath), sessionBytes);

    QStringList after = entries();
    after.removeAll(QStringLiteral("velmo.ini.lock"));
    after.removeAll(QStringLiteral("registry.txt.lock"));
    EXPECT_EQ(after, before) << "no temporary file is left behind";
}

} // namespace
