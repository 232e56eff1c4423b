#include "app/RecentFiles.h"
#include "platform/Registry.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kKey = "Software\\Velmo\\Recent Document List";

TEST(RecentFiles, AddingKeepsOneEntryPerFileAndTheNewestOnTop)
{
    QTemporaryDir dir;
    const QString upper = dir.filePath("Notes.txt"), lower = dir.filePath("notes.txt");
    for (const QString& p : {upper, lower}) {
        QFile f(p);
        f.open(QIODevice::WriteOnly);
    }
    RecentFiles r;
    r.setMaxSize(3);
    r.add(upper);
    r.add(lower);
    EXPECT_EQ(r.entries(), QStringList({lower, upper}));   // two files, two entries
    r.add(upper);
    EXPECT_EQ(r.entries(), QStringList({upper, lower}));
    // The same file under another spelling is one entry.
    r.add(dir.path() + "/./Notes.txt");
    EXPECT_EQ(r.entries(), QStringList({dir.path() + "/./Notes.txt", lower}));
    const QString longPath = "/tmp/" + QString(300, 'x') + "/file.txt";
    r.add(longPath);
    r.add("/gone/c.txt");
    EXPECT_EQ(r.entries(), QStringList({"/gone/c.txt", longPath, dir.path() + "/./Notes.txt"}));   // full: oldest dropped
    r.add("/gone/c.txt");
    EXPECT_EQ(r.entries().size(), 3);
    r.setMaxSize(1);   // clamped to 2
    EXPECT_EQ(r.maxSize(), 2);
    EXPECT_EQ(r.entries(), QStringList({"/gone/c.txt", longPath}));

    EXPECT_EQ(recentMenuLabel(0, "/a & b/c&&d.txt"), "&1 /a && b/c&&&&d.txt");
    EXPECT_EQ(recentMenuLabel(15, "/x"), "&16 /x");
}

TEST(RecentFiles, TheListLivesInTheRegistryStoreAcrossRuns)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("registry.txt");
    const QString longPath = "/data/" + QString(280, 'p') + ".txt";
    {
        registry::Store store(file);
        RecentFiles first;
        EXPECT_FALSE(first.read(store, 5));   // nothing stored yet: empty, size from "MRUSize"
        EXPECT_EQ(first.maxSize(), 5);
        EXPECT_TRUE(first.entries().isEmpty());
        first.setMaxSize(16);
        for (int i = 16; i >= 1; --i)
            first.add(QString("/f/%1.txt").arg(i));
        first.add(longPath);
        ASSERT_TRUE(first.write(store));
    }
    registry::Store store(file);   // a later run
    EXPECT_EQ(store.queryDword(kKey, "DocumentCount"), 16u);
    EXPECT_EQ(store.queryString(kKey, "Document1"), longPath);
    RecentFiles second;
    ASSERT_TRUE(second.read(store, 5));   // "DocumentCount" wins over "MRUSize"
    EXPECT_EQ(second.maxSize(), 16);
    ASSERT_EQ(second.entries().size(), 16);
    EXPECT_EQ(second.entries().first(), longPath);
    EXPECT_EQ(second.entries().last(), "/f/15.txt");

    // Shrinking removes the values beyond the new size.
    second.setMaxSize(4);
    ASSERT_TRUE(second.write(store));
    EXPECT_EQ(store.queryDword(kKey, "DocumentCount"), 4u);
    EXPECT_TRUE(store.queryString(kKey, "Document4"));
    for (int i = 5; i <= 16; ++i)
        EXPECT_FALSE(store.query(kKey, QString("Document%1").arg(i))) << i;

    // Counts outside 2-16 are clamped; missing values are skipped.
    store.setDword(kKey, "DocumentCount", 40);
    store.deleteValue(kKey, "Document2");
    RecentFiles third;
    ASSERT_TRUE(third.read(store, 12));
    EXPECT_EQ(third.maxSize(), 16);
    EXPECT_EQ(third.entries().size(), 3);
    store.setDword(kKey, "DocumentCount", 0);
    third.read(store, 12);
    EXPECT_EQ(third.maxSize(), 2);
    EXPECT_EQ(third.entries(), QStringList({longPath}));
}

} // namespace
