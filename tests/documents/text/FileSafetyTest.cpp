// Saving never costs the user what they own: files with other hard links, files of
// another user and files in folders that take no new file are rewritten in place with
// their room reserved first; copies go through a temporary file.
#include "TestSupport.h"

#include "documents/hex/HexFile.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace textdoc;

namespace {

struct stat statOf(const QString& p)
{
    struct stat st {};
    stat(QFile::encodeName(p).constData(), &st);
    return st;
}

void chownTo(const QString& p, unsigned user)
{
    ASSERT_EQ(chown(QFile::encodeName(p).constData(), user, user), 0);
}

void chmodTo(const QString& p, unsigned mode)
{
    ASSERT_EQ(chmod(QFile::encodeName(p).constData(), mode), 0);
}

// Runs `body` in a child process as the unprivileged user (when we are root), with writes
// beyond `fileLimit` bytes refused as a full disk would refuse them (0: no limit). Returns
// the child's exit code.
template <typename Body>
int runAsOtherUser(unsigned user, rlim_t fileLimit, Body body)
{
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(user) != 0 || setuid(user) != 0))
            _exit(90);
        if (fileLimit) {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit small {fileLimit, fileLimit};
            setrlimit(RLIMIT_FSIZE, &small);
        }
        int code = 99;   // nothing may escape into the test runner's copy in the child
        try {
            code = body();
        } catch (...) {
        }
        _exit(code);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + status;
}

class FileSafetyTest : public TextDocTest {
protected:
    QStringList entries(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
};

} // namespace

TEST(SaveStrategy, RenameOnlyWhereItKeepsWhatTheUserOwns)
{
    atomicfile::TargetFacts plain{1, 1000, 0755, 1000, 1000};
    EXPECT_FALSE(atomicfile::mustWriteInPlace(plain));
    atomicfile::TargetFacts linked = plain;
    linked.links = 2;
    EXPECT_TRUE(atomicfile::mustWriteInPlace(linked));
    // A sticky folder lets only the file's owner, the folder's owner or root replace it.
    atomicfile::TargetFacts sticky{1, 2000, 01777, 0, 1000};
    EXPECT_TRUE(atomicfile::mustWriteInPlace(sticky));
    sticky.uid = 1000;
    EXPECT_FALSE(atomicfile::mustWriteInPlace(sticky));
    sticky.uid = 2000, sticky.dirUid = 1000;
    EXPECT_FALSE(atomicfile::mustWriteInPlace(sticky));
    sticky.dirUid = 0, sticky.euid = 0;
    EXPECT_FALSE(atomicfile::mustWriteInPlace(sticky));
    atomicfile::TargetFacts open{1, 2000, 0777, 0, 1000};
    EXPECT_FALSE(atomicfile::mustWriteInPlace(open));
}

TEST_F(FileSafetyTest, AFileWithOtherHardLinksIsRewrittenSoEveryLinkSeesTheSave)
{
    const QString file = write("a.txt", "a longer old text that the save makes shorter");
    const QString other = path("b.txt");
    ASSERT_EQ(link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()), 0);
    const ino_t inode = statOf(file).st_ino;
    ASSERT_TRUE(loadText(view, file, OpenAutomatic).ok);
    view.clearAll();
    view.addText("new");
    ASSERT_TRUE(saveText(view, file).ok);
    EXPECT_EQ(read(file), "new");
    EXPECT_EQ(read(other), "new");
    EXPECT_EQ(statOf(file).st_ino, inode);
    EXPECT_EQ(statOf(file).st_nlink, 2u);
    EXPECT_EQ(entries(dir.path()), QStringList({"a.txt", "b.txt"}));
}

TEST_F(FileSafetyTest, AnotherUsersFileInASharedStickyFolderKeepsItsOwner)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to hand the file to another user";
    const unsigned nobody = 65534;
    const QString shared = path("shared");
    ASSERT_TRUE(QDir().mkdir(shared));
    chmodTo(dir.path(), 0711);
    chmodTo(shared, 01777);
    const QString file = write("shared/theirs.txt", "old text of root");
    chmodTo(file, 0666);
    ASSERT_TRUE(loadText(view, file, OpenAutomatic).ok);
    view.addText("edited by nobody: ");
    const ino_t inode = statOf(file).st_ino;
    EXPECT_EQ(runAsOtherUser(nobody, 0, [&] { return saveText(view, file).ok ? 0 : 1; }), 0);
    EXPECT_EQ(read(file), "edited by nobody: old text of root");
    EXPECT_EQ(statOf(file).st_uid, 0u);
    EXPECT_EQ(statOf(file).st_mode & 07777, 0666u);
    EXPECT_EQ(statOf(file).st_ino, inode);
    EXPECT_EQ(entries(shared), QStringList{"theirs.txt"});

    // Our own file there is replaced as usual, and keeps its owner.
    chownTo(file, nobody);
    view.setSel(0, 0);
    view.addText("again: ");
    EXPECT_EQ(runAsOtherUser(nobody, 0, [&] { return saveText(view, file).ok ? 0 : 1; }), 0);
    EXPECT_EQ(read(file), "again: edited by nobody: old text of root");
    EXPECT_EQ(statOf(file).st_uid, nobody);
}

TEST_F(FileSafetyTest, WritingInPlaceOnAFullDiskFailsBeforeTheOldTextChanges)
{
    // Folder permissions do not bind root, so the save runs as another user then.
    const bool root = geteuid() == 0;
    const unsigned user = root ? 65534 : geteuid();
    const QString sub = path("locked");
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString file = write("locked/f.txt", "old text\r\n");
    chmodTo(dir.path(), 0711);
    if (root) {
        chownTo(sub, user);
        chownTo(file, user);
    }
    chmodTo(sub, 0555);
    ASSERT_TRUE(loadText(view, file, OpenAutomatic).ok);
    view.addText(std::string(300000, 'n'));
    const int code = runAsOtherUser(user, 65536, [&] {
        IoResult r = saveText(view, file);
        return r.ok ? 0 : r.error == EFBIG ? 1 : 2;
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(read(file), "old text\r\n");
    // With room the same save goes through, and a shorter text leaves no old tail.
    EXPECT_EQ(runAsOtherUser(user, 0, [&] { return saveText(view, file).ok ? 0 : 1; }), 0);
    EXPECT_EQ(read(file).size(), 300000u + 10u);
    view.clearAll();
    view.addText("short");
    EXPECT_EQ(runAsOtherUser(user, 0, [&] { return saveText(view, file).ok ? 0 : 1; }), 0);
    EXPECT_EQ(read(file), "short");
    chmodTo(sub, 0755);
    EXPECT_EQ(entries(sub), QStringList{"f.txt"});
}

TEST_F(FileSafetyTest, AHexCopyThatFailsLeavesTheExistingTargetAlone)
{
    const QString source = write("big.bin", std::string(300000, '\x01'));
    const QString target = write("target.bin", "the target's own bytes");
    chmodTo(target, 0640);
    hex::HexFile file;
    ASSERT_TRUE(file.open(source));
    QString error;
    const int code = runAsOtherUser(geteuid(), 65536, [&] {
        return file.writeCopy(target, {}, &error) == hex::HexFile::WriteResult::Failed ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(read(target), "the target's own bytes");
    EXPECT_EQ(entries(dir.path()), QStringList({"big.bin", "target.bin"}));

    // A copy that succeeds replaces the target whole, with the edits, and keeps its mode.
    EXPECT_EQ(file.writeCopy(target, {{0, 0x41}, {299999, 0x42}}, &error), hex::HexFile::WriteResult::Ok) << error.toStdString();
    const std::string copy = read(target);
    ASSERT_EQ(copy.size(), 300000u);
    EXPECT_EQ(copy.front(), 'A');
    EXPECT_EQ(copy.back(), 'B');
    EXPECT_EQ(statOf(target).st_mode & 07777, 0640u);
    EXPECT_EQ(read(source), std::string(300000, '\x01'));
}

namespace {
long virtualMemoryBytes()
{
    QFile f("/proc/self/statm");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().split(' ').value(0).toLong() * sysconf(_SC_PAGESIZE);
}
} // namespace

TEST_F(FileSafetyTest, TextThatDoesNotFitInMemoryFailsTheLoadCleanly)
{
    // 40 MiB of high ANSI bytes grow to 80 MiB of text: more than the process may take.
    const QString file = path("big.txt");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray block(1 << 20, '\xE9');
        for (int i = 0; i < 40; ++i)
            f.write(block);
    }
    ASSERT_TRUE(loadText(view, write("small.txt", "small text"), OpenAutomatic).ok);
    const int code = runAsOtherUser(geteuid(), 0, [&] {
        const rlim_t limit = rlim_t(virtualMemoryBytes()) + (48 << 20);
        struct rlimit as {limit, limit};
        setrlimit(RLIMIT_AS, &as);
        IoResult reload = loadText(view, file, OpenAutomatic, LoadKind::Reload);
        if (reload.ok || reload.error != ENOMEM)
            return 1;
        if (view.text() != "small text")
            return 2;
        IoResult open = loadText(view, file, OpenAutomatic);
        if (open.ok || open.error != ENOMEM)
            return 3;
        return view.text() == "small text" ? 0 : 4;   // nothing was touched
    });
    EXPECT_EQ(code, 0);
}
