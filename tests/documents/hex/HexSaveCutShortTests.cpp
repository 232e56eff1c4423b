// A hex-view save cut short partway through: the file size limit of a child process stops its
// in-place writes after the first changed run, as a crash would. The next open of the file
// must finish the save, so the file holds all of the typed bytes and none is lost.
#include "documents/hex/HexModel.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace hex;

namespace {

constexpr int kSize = 200000;

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QByteArray original()
{
    QByteArray b(kSize, '\0');
    for (int i = 0; i < kSize; ++i)
        b[i] = char((i * 7 + 3) & 0xFF);
    return b;
}

// The bytes after typing "ab" at 16 and at the middle and "cd" near the end.
QByteArray edited()
{
    QByteArray b = original();
    b[16] = char(0xAB);
    b[kSize / 2] = char(0xAB);
    b[kSize - 3] = char(0xCD);
    return b;
}

void typeEdits(HexModel& m)
{
    for (auto [offset, digits] : {std::pair<int64_t, const char*>{16, "ab"}, {kSize / 2, "ab"}, {kSize - 3, "cd"}}) {
        m.setSelection(offset, offset);
        for (const char* d = digits; *d; ++d)
            m.typeChar(char16_t(*d));
    }
}

// Saves the edits in a child whose writes may not reach past `limit` bytes into any file;
// returns the child's exit code (0: the save said it succeeded).
int saveInLimitedChild(const QString& path, rlim_t limit)
{
    pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);   // a write past the limit fails instead of ending the child
        struct rlimit rl {limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        HexModel m;
        if (!m.load(path))
            ::_exit(3);
        typeEdits(m);
        ::_exit(m.save() == HexModel::SaveResult::Ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Files in the folder besides the document itself.
QStringList others(const QTemporaryDir& dir)
{
    QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(QStringLiteral("data.bin"));
    return names;
}

QString makeFile(QTemporaryDir& dir)
{
    const QString path = dir.filePath("data.bin");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(original());
    f.close();
    ::chmod(QFile::encodeName(path).constData(), 0640);
    return path;
}

} // namespace

TEST(HexSaveCutShort, TheNextOpenFinishesTheSave)
{
    QTemporaryDir dir;
    const QString path = makeFile(dir);
    // Only the first run (offset 16) fits under the limit: the save stops after it.
    EXPECT_EQ(saveInLimitedChild(path, kSize / 4), 1);
    ASSERT_EQ(readAll(path).size(), kSize);
    EXPECT_NE(readAll(path), edited());

    HexModel m;
    ASSERT_TRUE(m.load(path));
    EXPECT_EQ(readAll(path), edited());
    EXPECT_EQ(m.byteAt(kSize / 2), 0xAB);
    EXPECT_EQ(others(dir), QStringList());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A whole save leaves no journal behind.
    HexModel again;
    ASSERT_TRUE(again.load(path));
    again.setSelection(0, 0);
    again.typeChar(u'0');
    again.typeChar(u'1');
    ASSERT_EQ(again.save(), HexModel::SaveResult::Ok);
    EXPECT_EQ(uint8_t(readAll(path)[0]), 0x01);
    EXPECT_EQ(others(dir), QStringList());
}

TEST(HexSaveCutShort, AJournalCutShortOrForAnotherFileIsThrownAway)
{
    QTemporaryDir dir;
    const QString path = makeFile(dir);
    ASSERT_EQ(saveInLimitedChild(path, kSize / 4), 1);
    ASSERT_EQ(others(dir).size(), 1);
    const QString journal = dir.filePath(others(dir).front());
    const QByteArray whole = readAll(journal);
    ASSERT_FALSE(whole.isEmpty());

    // Cut short while it was written: the file was not touched yet and stays as it is.
    {
        // A new file (a new inode) takes the path, as a program that writes aside would do.
        QFile f(dir.filePath("data.new"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(original());
    }
    ASSERT_EQ(::rename(QFile::encodeName(dir.filePath("data.new")).constData(), QFile::encodeName(path).constData()), 0);
    {
        QFile j(journal);
        ASSERT_TRUE(j.open(QIODevice::WriteOnly));
        j.write(whole.left(whole.size() - 5));
    }
    HexModel file;
    ASSERT_TRUE(file.load(path));
    EXPECT_EQ(readAll(path), original());
    EXPECT_FALSE(QFile::exists(journal));

    // A whole journal written for the file that had the path before (another inode).
    {
        QFile j(journal);
        ASSERT_TRUE(j.open(QIODevice::WriteOnly));
        j.write(whole);
    }
    ASSERT_TRUE(file.load(path));
    EXPECT_EQ(readAll(path), original());
    EXPECT_FALSE(QFile::exists(journal));
}
