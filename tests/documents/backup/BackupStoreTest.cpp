// The backup folder: the index format, the writer thread, and which folders count as left
// behind by a run that did not end normally.
#include "documents/backup/BackupStore.h"
#include "platform/OwnerLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace backup;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

Entry sample(const QString& path)
{
    Entry e;
    e.path = path;
    e.title = QStringLiteral("t");
    e.encoding = 2;
    e.eolMode = 1;
    e.savedEncoding = 0;
    e.fileStamp = 123456;
    e.time = QDateTime::fromString(QStringLiteral("2026-12-09T10:00:00Z"), Qt::ISODate);
    return e;
}

} // namespace

TEST(BackupIndex, RoundTripsHostileNamesAndRefusesBrokenIndexes)
{
    const QString hostile = QStringLiteral("/tmp/a b/new\nline=%41 \u00e9\u2192.txt");
    Entry e = sample(hostile);
    e.title = QStringLiteral("<new>");
    const QByteArray text = indexText(e);
    EXPECT_EQ(text.count('\n'), 7);   // the name's line break cannot start a key of its own
    Entry back;
    ASSERT_TRUE(parseIndex(text, &back));
    EXPECT_EQ(back.path, hostile);
    EXPECT_EQ(back.title, "<new>");
    EXPECT_EQ(back.encoding, 2);
    EXPECT_EQ(back.eolMode, 1);
    EXPECT_EQ(back.savedEncoding, 0);
    EXPECT_EQ(back.fileStamp, 123456);
    EXPECT_EQ(back.time, e.time);

    for (const char* broken : {"", "Title=x\n", "Path=\n", "Path=/a\nEncoding=9\n", "Path=/a\nEolMode=x\n",
                               "Path=/a%00b\n"}) {
        Entry r;
        EXPECT_FALSE(parseIndex(QByteArray(broken), &r)) << broken;
    }
}

TEST(BackupWriter, WritesInOrderAndRemovesBothFiles)
{
    QTemporaryDir dir;
    {
        Writer w(dir.path());
        std::string big(3u << 20, 'x');
        w.write("doc-1", big, "Path=/a\n");
        w.write("doc-1", "newest", "Path=/b\n");   // replaces a text still waiting, or follows it
        w.write("doc-2", "two", "Path=<new>\n");
        w.remove("doc-2");
        w.flush();
        EXPECT_EQ(readAll(dir.filePath("doc-1.txt")), "newest");
        EXPECT_EQ(readAll(dir.filePath("doc-1.idx")), "Path=/b\n");
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("doc-2.txt")));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("doc-2.idx")));
        EXPECT_EQ(w.failures(), 0);
        w.write("doc-3", "queued", "Path=/c\n");
    }   // the destructor finishes the queue
    EXPECT_EQ(readAll(dir.filePath("doc-3.txt")), "queued");

    // Buffers come back for the next text, and one can be made ready beforehand.
    {
        Writer w(dir.path());
        w.prepareSpare(4u << 20);
        w.flush();
        std::string spare = w.takeSpare();
        EXPECT_GE(spare.capacity(), 4u << 20);
        EXPECT_TRUE(spare.empty());
        EXPECT_EQ(w.takeSpare().capacity(), std::string().capacity());   // taken: none left
        spare.assign(5u << 20, 'y');
        w.write("doc-4", std::move(spare), "Path=/d\n");
        w.flush();
        EXPECT_GE(w.takeSpare().capacity(), 5u << 20);
        EXPECT_EQ(QFileInfo(dir.filePath("doc-4.txt")).size(), 5 << 20);
    }

    Writer gone(dir.filePath("missing-folder"));
    gone.write("doc-1", "x", "Path=/a\n");
    gone.flush();
    EXPECT_EQ(gone.failures(), 1);
}

TEST(BackupStore, OffersOnlyWhatRunsThatEndedLeftBehind)
{
    QTemporaryDir dir;
    const QString root = dir.filePath("backup");
    const auto leave = [&](const QString& path, const std::string& text) {
        Store run(root);
        EXPECT_TRUE(run.open());
        Writer w(run.folder());
        w.write("doc-1", text, indexText(sample(path)));
        w.flush();
        return run.folder();
    };   // the store goes without close(): as a crash leaves it
    const QString left = leave("/x/one.c", "one");

    Store running(root);   // another editor still running: its folder is not offered
    ASSERT_TRUE(running.open());
    Writer w(running.folder());
    w.write("doc-1", "mine", indexText(sample("/x/running.c")));
    w.flush();
    EXPECT_EQ(QFileInfo(root).permissions() & 0x0077, 0);   // private: nothing for group and others

    QDir().mkpath(root + "/999-1");   // an empty folder is cleared away
    QDir().mkpath(root + "/998-1");
    QFile half(root + "/998-1/doc-1.idx");   // an index without its text is not offered
    half.open(QIODevice::WriteOnly);
    half.write(indexText(sample("/x/half.c")));
    half.close();

    Store me(root);
    ASSERT_TRUE(me.open());
    std::vector<Entry> found = me.claimLeftovers();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, "/x/one.c");
    EXPECT_EQ(readAll(found[0].textFile()), "one");
    EXPECT_FALSE(QFileInfo::exists(root + "/999-1"));
    EXPECT_FALSE(QFileInfo::exists(root + "/998-1"));

    // While claimed, a third start does not see it; "Later" lets it be offered again.
    Store third(root);
    ASSERT_TRUE(third.open());
    EXPECT_TRUE(third.claimLeftovers().empty());
    me.releaseClaimed();
    EXPECT_EQ(third.claimLeftovers().size(), 1u);
    third.releaseClaimed();

    // Adopting moves the text into this run's folder; discarding deletes the rest.
    found = me.claimLeftovers();
    ASSERT_EQ(found.size(), 1u);
    ASSERT_TRUE(me.adopt(found[0], "doc-7"));
    EXPECT_EQ(readAll(me.folder() + "/doc-7.txt"), "one");
    me.discardClaimed();
    EXPECT_FALSE(QFileInfo::exists(left));
    EXPECT_TRUE(QFileInfo::exists(running.folder() + "/doc-1.txt"));

    // A normal end removes an empty folder of its own and keeps one with backups in it.
    const QString thirdFolder = third.folder();
    ASSERT_TRUE(QFileInfo::exists(thirdFolder));
    third.close();
    EXPECT_FALSE(QFileInfo::exists(thirdFolder));
    me.close();
    EXPECT_TRUE(QFileInfo::exists(me.folder() + "/doc-7.txt"));
}
