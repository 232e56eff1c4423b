// Temporary files that killed saves left beside a document: the next save of that document
// removes its own stale ones and nothing else.
#include "platform/AtomicFile.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray enc(const QString& s)
{
    return QFile::encodeName(s);
}

void makeFile(const QString& path, const QByteArray& bytes, bool old = true)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    if (old) {   // last written ten minutes ago
        struct timespec times[2] = {{::time(nullptr) - 600, 0}, {::time(nullptr) - 600, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, enc(path).constData(), times, 0), 0);
    }
}

// A process that holds the lock on `path` (as a save still running does) until `release`
// gets a byte.
pid_t holdLock(const QString& path, int release[2])
{
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    EXPECT_EQ(::pipe(release), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        int fd = ::open(enc(path).constData(), O_RDWR);
        ::flock(fd, LOCK_EX);
        (void)!::write(ready[1], "r", 1);
        char c;
        (void)!::read(release[0], &c, 1);
        ::_exit(0);
    }
    char c = 0;
    EXPECT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    return pid;
}

} // namespace

TEST(StaleTemporaries, ASaveRemovesOnlyItsOwnStaleOnesNotInUse)
{
    QTemporaryDir dir;
    const QString doc = dir.filePath("doc.txt");
    makeFile(doc, "old text");
    const QStringList stale = {".doc.txt.vsave-a1B2c3", ".doc.txt.vsave-ZZ9900"};
    for (const QString& n : stale)
        makeFile(dir.filePath(n), "half a save");
    // Kept: a save of this document still running, one just begun, the temporary files of
    // another document, and names that only look alike.
    const QString running = ".doc.txt.vsave-run123";
    const QString fresh = ".doc.txt.vsave-new123";
    makeFile(dir.filePath(running), "saving");
    makeFile(dir.filePath(fresh), "saving", false);
    const QStringList unlike = {".other.txt.vsave-a1B2c3", "doc.txt.a1B2c3", ".doc.txt.vsave-a1B2c", ".doc.txt.vsave-a1B2c34",
                                ".doc.txt.vsave-a1-2c3", "doc.txt.vsave-a1B2c3"};
    for (const QString& n : unlike)
        makeFile(dir.filePath(n), "user data");
    // A link and a folder by our name are no files of ours.
    makeFile(dir.filePath("target.txt"), "linked");
    ASSERT_EQ(::symlink("target.txt", enc(dir.filePath(".doc.txt.vsave-link12")).constData()), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(".doc.txt.vsave-dir123"));

    int release[2];
    const pid_t holder = holdLock(dir.filePath(running), release);

    atomicfile::Writer w;
    ASSERT_EQ(w.open(doc), 0);
    ASSERT_EQ(w.write(std::string("new text")), 0);
    ASSERT_EQ(w.commit(), 0);

    for (const QString& n : stale)
        EXPECT_FALSE(QFile::exists(dir.filePath(n))) << n.toStdString();
    for (const QString& n : QStringList{running, fresh, ".doc.txt.vsave-dir123"} + unlike)
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(n))) << n.toStdString();
    EXPECT_TRUE(QFileInfo(dir.filePath(".doc.txt.vsave-link12")).isSymLink());
    EXPECT_TRUE(QFile::exists(dir.filePath("target.txt")));

    // Once the running save is gone, its file is stale too.
    (void)!::write(release[1], "x", 1);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(atomicfile::removeStaleTemporaries(doc), 1);
    EXPECT_FALSE(QFile::exists(dir.filePath(running)));
    EXPECT_TRUE(QFile::exists(dir.filePath(fresh)));
}

TEST(StaleTemporaries, SettingsFilesAreSweptToo)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("velmo.ini");
    makeFile(dir.filePath(".velmo.ini.vsave-Qw3rty"), "[EDITOR]\nhalf");
    ProfileFile profile(ini);
    ASSERT_TRUE(profile.writeString(QStringLiteral("EDITOR"), QStringLiteral("Key"), QStringLiteral("value")));
    EXPECT_EQ(QDir(dir.path()).entryList({"*vsave*", "velmo.ini.*"}, QDir::Files | QDir::Hidden),
              QStringList{"velmo.ini.lock"});
}
