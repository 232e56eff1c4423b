#include "app/Session.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

session::FileEntry textEntry(const QString& path, long first, long x, long start, long end, std::vector<long> marks)
{
    session::FileEntry f;
    f.path = path;
    f.firstVisibleLine = first;
    f.xOffset = x;
    f.startPos = start;
    f.endPos = end;
    f.marks = std::move(marks);
    return f;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

TEST(SessionFile, WritesTheExactLayout)
{
    session::Session two;
    two.index = 1;
    two.files.push_back(textEntry("/home/u/a.txt", 3, 16, 5, 9, {0, 7}));
    session::FileEntry hex;
    hex.path = "/home/u/b.bin";
    hex.textView = false;
    hex.marks = {4};   // a hex document has no bookmarks to write
    two.files.push_back(hex);
    EXPECT_EQ(session::toBytes(two),
              QByteArray("<Velmo>\n"
                         "    <session index=\"1\">\n"
                         "        <file firstVisibleLine=\"3\" xOffset=\"16\" startPos=\"5\" endPos=\"9\">/home/u/a.txt\n"
                         "            <Mark line=\"0\" />\n"
                         "            <Mark line=\"7\" />\n"
                         "        </file>\n"
                         "        <file>/home/u/b.bin</file>\n"
                         "    </session>\n"
                         "</Velmo>\n"));

    EXPECT_EQ(session::toBytes(session::Session{}),
              QByteArray("<Velmo>\n    <session index=\"-1\" />\n</Velmo>\n"));

    // Through the file writer: the same bytes, and no temporary file left beside them.
    QTemporaryDir dir;
    const QString path = dir.filePath("s.vsn");
    ASSERT_TRUE(session::writeFile(path, two));
    ASSERT_TRUE(session::writeFile(path, two));   // over an existing file
    EXPECT_EQ(readAll(path), session::toBytes(two));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"s.vsn"}));
    EXPECT_FALSE(session::writeFile(dir.filePath("s.vsn/inside"), two));
    EXPECT_EQ(readAll(path), session::toBytes(two));
}

TEST(SessionFile, HostileNamesComeBackUnchanged)
{
    const QStringList names = {"/tmp/a & b.txt", "/tmp/<tag>.txt", "/tmp/\"quoted\" 'single'.txt",
                               "/tmp/runs   of  blanks  ", "/tmp/&#x41;.txt", "/tmp/&amp;.txt",
                               QString::fromUtf8("/tmp/\xd0\xb6\xd1\x83\xd0\xba \xe2\x82\xac.txt"), "/tmp/tab\there"};
    session::Session s;
    s.index = 0;
    for (const QString& n : names)
        s.files.push_back(textEntry(n, 0, 0, 0, 0, {1}));
    const QByteArray bytes = session::toBytes(s);
    EXPECT_TRUE(bytes.contains("/tmp/a &amp; b.txt"));
    EXPECT_TRUE(bytes.contains("/tmp/&lt;tag&gt;.txt"));
    const auto back = session::fromBytes(bytes);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->files.size(), size_t(names.size()));
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(back->files[size_t(i)].path, names[i]);
        EXPECT_EQ(back->files[size_t(i)].marks, std::vector<long>({1}));
    }
}

TEST(SessionFile, ReadsWhatIsThereAndLeavesTheRestEmpty)
{
    const auto s = session::fromBytes("<Velmo><session>"
                                      "<file startPos=\"4\">/a<Mark line=\"2\"/><Mark line=\"x\"/><Mark line=\"-3\"/><Mark line=\"9\"/></file>"
                                      "<file><Mark line=\"1\"/></file>"
                                      "<other>/ignored</other>"
                                      "<file firstVisibleLine=\"7\" xOffset=\"2\" startPos=\"1\" endPos=\"3\">/c</file>"
                                      "</session></Velmo>");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->index, -1);   // no "index"
    ASSERT_EQ(s->files.size(), 3u);
    EXPECT_EQ(s->files[0].path, "/a");
    EXPECT_EQ(s->files[0].startPos, 4);
    EXPECT_FALSE(s->files[0].endPos.has_value());
    EXPECT_EQ(s->files[0].marks, std::vector<long>({2, 9}));
    EXPECT_TRUE(s->files[1].path.isEmpty());   // counted, never opened
    EXPECT_EQ(s->files[2].firstVisibleLine, 7);
    EXPECT_EQ(s->files[2].endPos, 3);
}

TEST(SessionFile, MalformedBytesAreRefusedWithoutACrash)
{
    EXPECT_FALSE(session::fromBytes(""));
    EXPECT_FALSE(session::fromBytes("not xml at all"));
    EXPECT_FALSE(session::fromBytes("<Velmo><session index=\"0\"><file>/a</file>"));   // cut short
    EXPECT_FALSE(session::fromBytes("<Other><session index=\"0\"/></Other>"));
    EXPECT_FALSE(session::fromBytes("<Velmo><file>/a</file></Velmo>"));
    EXPECT_FALSE(session::fromBytes(QByteArray("<Velmo><session/></Velmo>\0<x>", 29)));
    // Nesting deep enough to exhaust the parser's stack, also hidden behind things that
    // look like closing tags.
    QByteArray deep = "<Velmo><session>";
    for (int i = 0; i < 200000; ++i)
        deep += "<f a=\"/>\"><!-- </f> -->";
    EXPECT_FALSE(session::fromBytes(deep));
    EXPECT_FALSE(session::fromBytes("<Velmo><session>" + QByteArray("</f>").repeated(200000) + QByteArray("<f>").repeated(200000)));
    EXPECT_TRUE(session::fromBytes("<Velmo><session index=\"2\"/></Velmo>"));
    EXPECT_EQ(session::fromBytes("<Velmo><session index=\"2\"/></Velmo>")->index, 2);
    EXPECT_FALSE(session::readFile("/nonexistent/session.xml"));
}

} // namespace
