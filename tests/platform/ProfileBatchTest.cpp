// Several keys written in one go: all of them, or none.
#include "platform/ProfileFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

TEST(ProfileBatchTest, WritesEveryKeyOrNone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("velmo.ini");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("; kept\r\n[EDITOR]\r\nTabSize=4\r\n\r\n[USER]\r\nUSER=Ann\r\n");
    }
    ProfileFile ini(path);
    ASSERT_TRUE(ini.writeValues({{"EDITOR", "TabSize", "8"}, {"EDITOR", "EditorMask", "-1"},
                                 {"USER", "EMAIL", "a@b"}, {"FONT", "1", "font:Mono"}}));
    EXPECT_EQ(readAll(path), QByteArray("; kept\r\n[EDITOR]\r\nTabSize=8\r\nEditorMask=-1\r\n\r\n[USER]\r\n"
                                        "USER=Ann\r\nEMAIL=a@b\r\n[FONT]\r\n1=font:Mono\r\n"));

    // A name that cannot be written spoils the whole batch.
    const QByteArray before = readAll(path);
    EXPECT_FALSE(ini.writeValues({{"EDITOR", "TabSize", "2"}, {"", "x", "y"}}));
    EXPECT_EQ(readAll(path), before);

    // A read-only file stays as it was.
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    EXPECT_FALSE(ini.writeValues({{"EDITOR", "TabSize", "2"}, {"USER", "USER", "Bo"}}));
    EXPECT_EQ(readAll(path), before);
    EXPECT_TRUE(ini.writeValues({})) << "nothing to write is no failure";
}

} // namespace
