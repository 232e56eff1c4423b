// Find in files without a screen: the byte scan (overlaps, whole word, line numbers, line
// texts, encodings) and the walk over real folder trees in a temporary folder (subfolders,
// filters, the size limit, links, FIFOs, unreadable files, abort, the final text).
#include "search/FindInFiles.h"
#include "search/SearchOptions.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace search;

[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

struct Hit {
    std::size_t pos;
    int line;
    std::string text;
};

std::vector<Hit> scan(std::string_view data, const std::string& pattern, unsigned flags = Mask::MatchCase)
{
    std::vector<Hit> out;
    std::vector<ByteMatcher> m{ByteMatcher(pattern, flags & Mask::MatchCase, flags & Mask::WholeWord)};
    scanBytes(data, m, [&](const ScanHit& h) {
        out.push_back({h.pos, h.line, std::string(h.lineText)});
        return true;
    });
    return out;
}

std::vector<std::size_t> positions(std::string_view data, const std::string& pattern, unsigned flags = Mask::MatchCase)
{
    std::vector<std::size_t> out;
    for (const Hit& h : scan(data, pattern, flags))
        out.push_back(h.pos);
    return out;
}

} // namespace

TEST(FindInFilesScan, OverlappingMatchesAndSeveralOnOneLineEachCount)
{
    const auto abab = scan("abab", "ab");
    ASSERT_EQ(abab.size(), 2u);
    EXPECT_EQ(abab[0].line, 1);
    EXPECT_EQ(abab[1].line, 1);
    EXPECT_EQ(abab[1].text, "abab");
    EXPECT_EQ(positions("aaa", "aa"), (std::vector<std::size_t>{0, 1}));
    // Past the 16-byte blocks of the quick filter, and at the very end.
    const std::string longRun(70, 'a');
    EXPECT_EQ(positions(longRun, "aaa").size(), 68u);
    std::string tail(100, '.');
    tail += "needle";
    EXPECT_EQ(positions(tail, "needle"), (std::vector<std::size_t>{100}));
    EXPECT_TRUE(positions("needl", "needle").empty());
}

TEST(FindInFilesScan, WholeWordFollowsTheCharacterClasses)
{
    const unsigned ww = Mask::MatchCase | Mask::WholeWord;
    EXPECT_TRUE(positions("foo_bar xfoo foofoo", "foo", ww).empty());
    EXPECT_EQ(positions("foo(1) foo", "foo", ww), (std::vector<std::size_t>{0, 7}));   // file start and end
    EXPECT_EQ(positions("a+=b", "+=", ww), (std::vector<std::size_t>{1}));
    EXPECT_TRUE(positions("a+=+b", "+=", ww).empty());
    EXPECT_TRUE(positions("x \xC3\xA9" "foo", "foo", ww).empty());   // bytes from 0x80 are word bytes
    EXPECT_TRUE(positions("a  b", " ", ww).empty());               // a blank never starts a word
    EXPECT_EQ(positions("foo\r\nfoo", "foo", Mask::WholeWord), (std::vector<std::size_t>{0, 5}));
}

TEST(FindInFilesScan, CaseIsIgnoredForAsciiLettersOnly)
{
    EXPECT_EQ(positions("Needle NEEDLE nEeDlE needle", "needle", 0).size(), 4u);
    EXPECT_EQ(positions("Needle NEEDLE needle", "NEEDLE", Mask::MatchCase).size(), 1u);
    // '@' and '`' differ only in the bit that folds letters; they stay different.
    EXPECT_TRUE(positions("x@y", "x`y", 0).empty());
    EXPECT_TRUE(positions("\xC3\x89", "\xC3\xA9", 0).empty());   // É is not é
    // A needle longer than the filter's block, found across block ends.
    const std::string pattern = "The_Quick_Brown_Fox_Jumps_Over";
    std::string hay(37, 'x');
    hay += "the_quick_brown_fox_jumps_over";
    EXPECT_EQ(positions(hay, pattern, 0), (std::vector<std::size_t>{37}));
}

TEST(FindInFilesScan, LinesAreCountedAtLineFeedsAndCutAtTheFirstLineEnd)
{
    // CRLF and LF lines; CR alone does not start a line.
    const auto hits = scan("one\r\ntwo x\nthree\rfour x\n\nx", "x");
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].line, 2);
    EXPECT_EQ(hits[0].text, "two x");
    EXPECT_EQ(hits[1].line, 3);
    EXPECT_EQ(hits[1].text, "three");   // the CR ends the shown text
    EXPECT_EQ(hits[2].line, 5);
    EXPECT_EQ(hits[2].text, "x");

    // A file with CR line ends only is one line.
    const auto cr = scan("a\rb x\rc x\r", "x");
    ASSERT_EQ(cr.size(), 2u);
    EXPECT_EQ(cr[1].line, 1);

    // Many lines before a match (counted in blocks), and a line longer than 256 bytes.
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += "line\n";
    many += std::string(400, 'y') + "x\n";
    const auto far = scan(many, "x");
    ASSERT_EQ(far.size(), 1u);
    EXPECT_EQ(far[0].line, 5001);
    EXPECT_EQ(far[0].text, std::string(256, 'y'));
}

TEST(FindInFilesScan, EncodingsOfTheFileAndOfTheShownLine)
{
    std::string storage;
    // UTF-16 with its mark, both byte orders: "foo" is found on line 2.
    const std::u16string text = u"h\u00e9\nfoo";
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (char16_t c : text) {
        le += char(c & 0xFF), le += char(c >> 8);
        be += char(c >> 8), be += char(c & 0xFF);
    }
    for (const std::string& raw : {le, be}) {
        const auto hits = scan(searchableBytes(raw, storage), "foo");
        ASSERT_EQ(hits.size(), 1u);
        EXPECT_EQ(hits[0].line, 2);
        EXPECT_EQ(searchableBytes(raw, storage).substr(0, 4), "h\xC3\xA9\n");
    }
    EXPECT_EQ(searchableBytes("\xEF\xBB\xBFx", storage), "x");

    // The find text in UTF-8 and in the ANSI code page.
    const std::vector<ByteMatcher> both = matchersFor(QStringLiteral("caf\u00e9"), Mask::MatchCase);
    ASSERT_EQ(both.size(), 2u);
    int found = 0;
    scanBytes("caf\xC3\xA9 caf\xE9", both, [&](const ScanHit&) { return ++found > 0; });
    EXPECT_EQ(found, 2);
    EXPECT_EQ(matchersFor(QStringLiteral("plain"), 0).size(), 1u);
    EXPECT_TRUE(matchersFor(QString(), 0).empty());

    EXPECT_EQ(lineToText("caf\xC3\xA9"), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(lineToText("caf\xE9"), QStringLiteral("caf\u00e9"));             // ANSI
    EXPECT_EQ(lineToText("ab\xC3", true), QStringLiteral("ab"));   // a character cut at 256 bytes
    EXPECT_EQ(lineToText("ab\xC3"), QStringLiteral("ab\u00c3"));   // a line ending in an ANSI byte
}

// ---------------------------------------------------------------------------------------

namespace {

struct CollectingSink : FindInFilesSink {
    std::vector<FindResultLine> lines;
    std::vector<std::string> visited;
    int stopAfterFiles = -1;

    void add(FindResultLine line) override { lines.push_back(std::move(line)); }
    void visiting(std::string_view folder, std::string_view name) override
    {
        visited.push_back(std::string(folder) + std::string(name));
    }
    bool stopRequested() override { return stopAfterFiles >= 0 && int(visited.size()) >= stopAfterFiles; }

    QStringList texts(const QString& root) const
    {
        QStringList out;
        for (const FindResultLine& l : lines)
            out << QString(l.text).replace(root + QLatin1Char('/'), QString());
        return out;
    }
};

struct FindInFilesTree : ::testing::Test {
    QTemporaryDir dir;
    QString root;
    CollectingSink sink;
    FindInFilesCounts counts;

    void SetUp() override { root = dir.path(); }

    void write(const QString& name, const QByteArray& bytes)
    {
        const QString path = root + QLatin1Char('/') + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    std::size_t readWindow = FindInFilesJob().readWindow;

    QStringList find(const QString& text, unsigned flags, const QString& filter = QString(),
                     const QString& folder = QString(), std::int64_t limit = kDefaultMaxFileSize)
    {
        sink.lines.clear();
        sink.visited.clear();
        FindInFilesJob job;
        job.findText = text;
        job.flags = flags;
        job.filter = filter;
        job.folder = folder.isNull() ? root : folder;
        job.maxFileSize = limit;
        job.readWindow = readWindow;
        counts = findInFiles(job, sink);
        return sink.texts(root);
    }
};

} // namespace

TEST_F(FindInFilesTree, SubfoldersFiltersHiddenFoldersAndOrder)
{
    write("b.c", "hit in b.c\n");
    write("A.h", "x\nhit in A.h\n");
    write("a.txt", "hit\n");
    write("sub/c.c", "hit in sub\n");
    write(".git/d.c", "hit hidden\n");
    write(".hidden.c", "hit hidden file\n");

    const unsigned sub = Mask::MatchCase | Mask::Subfolders;
    EXPECT_EQ(find("hit", Mask::MatchCase),
              (QStringList{"A.h(2): hit in A.h", "a.txt(1): hit", "b.c(1): hit in b.c"}));
    EXPECT_EQ(counts.files, 3);
    EXPECT_EQ(counts.occurrences, 3);
    EXPECT_EQ(find("hit", sub, "*.h;*.c"),
              (QStringList{"A.h(2): hit in A.h", "b.c(1): hit in b.c", "sub/c.c(1): hit in sub"}));
    EXPECT_EQ(find("hit", sub, "  *.TXT"), QStringList{"a.txt(1): hit"});   // patterns ignore case
    EXPECT_EQ(find("hit", sub, "*").size(), 4);

    // Trailing separators and a final "*" name the same folder; leading blanks go.
    for (const QString& f : {root + "//", root + "/\\", root + "/*", "  " + root})
        EXPECT_EQ(find("hit", sub, QString(), f).size(), 4) << f.toStdString();
    EXPECT_EQ(find("hit", sub, QString(), root + "/*.c"), QStringList{"b.c(1): hit in b.c"});

    // A result names its file and line for the jump.
    find("hit", Mask::MatchCase, "b.c");
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0].file, root + "/b.c");
    EXPECT_EQ(sink.lines[0].line, 1);
}

TEST_F(FindInFilesTree, SizeLimitAndTheSetting)
{
    QByteArray exact(0x100000, 'x');
    exact.replace(0, 6, "needle");
    QByteArray over = exact + "y";
    write("exact.txt", exact);
    write("over.txt", over);
    write("empty.txt", "");

    EXPECT_EQ(find("needle", 0), QStringList{"exact.txt(1): needle" + QString(250, 'x')});
    EXPECT_EQ(counts.searched, 1);
    EXPECT_EQ(find("needle", 0, {}, {}, 2 << 20).size(), 2);   // [SEARCH] MaxFileSize raised
    EXPECT_EQ(find("needle", 0, {}, {}, 0).size(), 2);         // no limit
    EXPECT_EQ(find("needle", 0, {}, {}, 100).size(), 0);
}

TEST_F(FindInFilesTree, LinksFifosAndUnreadableFilesNeverStopTheWalk)
{
    write("a/one.txt", "needle\n");
    write("b/two.txt", "needle\n");
    ASSERT_EQ(symlink("..", QFile::encodeName(root + "/a/loop").constData()), 0);        // a loop
    ASSERT_EQ(symlink("../b", QFile::encodeName(root + "/a/tob").constData()), 0);       // a folder link
    ASSERT_EQ(symlink("one.txt", QFile::encodeName(root + "/a/link.txt").constData()), 0);  // a file link
    ASSERT_EQ(symlink("missing", QFile::encodeName(root + "/a/dangling").constData()), 0);
    ASSERT_EQ(mkfifo(QFile::encodeName(root + "/a/fifo").constData(), 0644), 0);

    const QStringList found = find("needle", Mask::Subfolders);
    EXPECT_EQ(found, (QStringList{"a/link.txt(1): needle", "a/one.txt(1): needle", "b/two.txt(1): needle"}));
    EXPECT_EQ(counts.unreadable, 0);

    // A file that cannot be read gets a line of its own and counts as no match. As root the
    // check runs with another file-system user, which loses the right to read every file.
    write("b/secret.txt", "needle\n");
    ASSERT_EQ(chmod(QFile::encodeName(root + "/b/secret.txt").constData(), 0), 0);
    for (const char* d : {"", "/a", "/b"})
        chmod(QFile::encodeName(root + d).constData(), 0755);
    const bool root_ = geteuid() == 0;
    if (root_)
        setfsuid(65534);
    const QStringList withSecret = find("needle", Mask::Subfolders);
    if (root_)
        setfsuid(0);
    EXPECT_EQ(withSecret.size(), 4);
    EXPECT_TRUE(withSecret.contains("Cannot open file: b/secret.txt error:1")) << withSecret.join('|').toStdString();
    EXPECT_EQ(counts.unreadable, 1);
    EXPECT_EQ(counts.files, 3);
    EXPECT_EQ(counts.occurrences, 3);
}

TEST_F(FindInFilesTree, AbortKeepsThePartialCountsAndTheFinalTexts)
{
    for (int i = 0; i < 10; ++i)
        write(QStringLiteral("f%1.txt").arg(i), "needle needle\n");
    sink.stopAfterFiles = 3;
    find("needle", 0);
    // The stop shows from the third file on: its scan ends after its first occurrence.
    EXPECT_TRUE(counts.aborted);
    EXPECT_EQ(counts.files, 3);
    EXPECT_EQ(counts.occurrences, 5);
    EXPECT_EQ(sink.lines.size(), 5u);

    // The numbers are written the same whatever the locale.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    FindInFilesJob job;
    job.findText = QStringLiteral("50%d");
    job.folder = root;
    counts.occurrences = 12345;
    counts.seconds = 1.5;
    EXPECT_EQ(finalText(job, counts), "Find '50%d' completed: 12345 occurrences in 3 files, 1.500 second consumed.");
    QLocale::setDefault(saved);

    // A missing folder, an empty one, and a file given as the folder.
    sink.stopAfterFiles = -1;
    write("plain.txt", "needle");
    for (const QString& bad : {root + "/missing", QString(""), root + "/plain.txt"}) {
        find("needle", 0, QString(), bad);
        EXPECT_TRUE(counts.invalidPath);
        job.folder = bad;
        EXPECT_EQ(finalText(job, counts), "Invalid search path: " + bad);
    }
    // An empty find text searches nothing.
    EXPECT_TRUE(find(QString(), 0).isEmpty());
    EXPECT_EQ(counts.searched, 0);
}

TEST_F(FindInFilesTree, Utf16AndAnsiFilesAreFoundAndShownAsText)
{
    QByteArray utf16("\xFF\xFE", 2);
    for (QChar c : QStringLiteral("caf\u00e9\r\nfoo bar\r\n"))
        utf16 += char(c.unicode() & 0xFF), utf16 += char(c.unicode() >> 8);
    write("wide.txt", utf16);
    write("ansi.txt", "x\ncaf\xE9 foo\n");
    EXPECT_EQ(find("foo", 0), (QStringList{QStringLiteral("ansi.txt(2): caf\u00e9 foo"), "wide.txt(2): foo bar"}));
    EXPECT_EQ(find(QStringLiteral("caf\u00e9"), 0),
              (QStringList{QStringLiteral("ansi.txt(2): caf\u00e9 foo"), QStringLiteral("wide.txt(1): caf\u00e9")}));
}

TEST_F(FindInFilesTree, FilesReadInPartsGiveWhatAWholeReadGives)
{
    // Lines of every length around the part size, one far longer than it, and matches at
    // line starts and ends, so that parts end next to matches.
    QByteArray text;
    for (int i = 0; i < 400; ++i) {
        text += QByteArray((i * 37) % 300, i % 3 ? 'w' : ' ');
        text += (i % 5 == 0) ? "foo" : (i % 5 == 1) ? "foo bar" : "x foo_y foo";
        text += i % 7 ? "\n" : "\r\n";
        if (i == 200)
            text += QByteArray(5000, 'z') + " foo\n";
    }
    text += "foo";   // at the very end, without a line end
    write("big.txt", text);
    QByteArray utf16("\xFF\xFE", 2);
    for (char c : QByteArray("a\nb foo\n").repeated(100))
        utf16 += c, utf16 += '\0';
    write("wide.txt", utf16);

    for (unsigned flags : {0u, unsigned(Mask::WholeWord)}) {
        readWindow = FindInFilesJob().readWindow;
        const QStringList whole = find("foo", flags, QString(), QString(), 0);
        const FindInFilesCounts wholeCounts = counts;
        ASSERT_GT(whole.size(), 300);
        readWindow = 256;
        EXPECT_EQ(find("foo", flags, QString(), QString(), 0), whole);
        EXPECT_EQ(counts.occurrences, wholeCounts.occurrences);
        EXPECT_EQ(counts.files, 2);
    }
}
