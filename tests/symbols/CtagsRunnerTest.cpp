// The real tagger on real files of several languages, and scripted stand-ins on PATH for
// a tagger that prints garbage, hangs, writes only to standard error, or is missing.
#include "CtagsStandIn.h"
#include "symbols/CtagsRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

using namespace symbols;

namespace {

struct CtagsRunnerTest : CtagsStandInTest {
    static CtagsOutcome run(const QString& path, const std::string& lexer, CtagsBounds bounds = {})
    {
        CtagsRequest r;
        r.path = path;
        r.lexer = lexer;
        return runCtags(r, bounds);
    }
    static std::map<std::string, TagRecord> byName(const CtagsOutcome& o)
    {
        std::map<std::string, TagRecord> m;
        for (const TagRecord& t : o.tags)
            m.emplace(t.name, t);
        return m;
    }
};

TEST_F(CtagsRunnerTest, CAndCppWithClassesAndNamespaces)
{
    const QString c = write("a.c", "#define LIMIT 4\n"
                                   "struct point { int x; };\n"
                                   "static int helper(void) { return 1; }\n"
                                   "int main(void)\n{\n    return helper();\n}\n");
    CtagsOutcome o = run(c, "cpp");
    ASSERT_TRUE(o.ok);
    auto tags = byName(o);
    ASSERT_EQ(tags.count("main"), 1u);
    EXPECT_EQ(tags["main"].kind, 1);
    EXPECT_EQ(tags["main"].line, 4);
    EXPECT_EQ(tags["LIMIT"].kind, 4);
    EXPECT_EQ(tags["point"].kind, 10);
    EXPECT_EQ(tags["x"].scope, "point");
    EXPECT_EQ(tags["x"].kind, 8);

    const QString cpp = write("shapes.cpp", "namespace geo {\n"
                                            "class Shape {\n"
                                            "public:\n"
                                            "    int sides;\n"
                                            "    void draw();\n"
                                            "};\n"
                                            "}\n"
                                            "void geo::Shape::draw() {}\n");
    o = run(cpp, "cpp");
    ASSERT_TRUE(o.ok);
    tags = byName(o);
    EXPECT_EQ(tags["geo"].kind, 14);
    EXPECT_EQ(tags["Shape"].kind, 3);
    EXPECT_FALSE(tags["Shape"].hasScope);   // a namespace is no scope of the tree
    EXPECT_EQ(tags["sides"].scope, "geo::Shape");
    EXPECT_EQ(tags["draw"].line, 8);
}

TEST_F(CtagsRunnerTest, PythonJavaAndAMakefileWithoutExtension)
{
    CtagsOutcome o = run(write("tool.py", "class Reader:\n    def read(self):\n        pass\n\ndef main():\n    pass\n"),
                         "python");
    ASSERT_TRUE(o.ok);
    auto tags = byName(o);
    EXPECT_EQ(tags["Reader"].kind, 3);
    EXPECT_EQ(tags["read"].scope, "Reader");
    EXPECT_EQ(tags["main"].line, 5);

    o = run(write("App.java", "public class App {\n    int count;\n    void run() {}\n}\n"), "java");
    ASSERT_TRUE(o.ok);
    tags = byName(o);
    EXPECT_EQ(tags["App"].kind, 3);
    EXPECT_EQ(tags["run"].kind, 15);     // java: m is a method
    EXPECT_EQ(tags["count"].kind, 8);    // java: f is a field, shown as a member
    EXPECT_EQ(tags["run"].scope, "App");

    // No extension and a folder with a dot: the language is forced from the lexer.
    o = run(write("my.dir/build", "CC = cc\nall: prog\nprog: main.o\n\tcc -o prog main.o\n"), "makefile");
    ASSERT_TRUE(o.ok);
    tags = byName(o);
    EXPECT_EQ(tags.count("CC"), 1u);
    EXPECT_EQ(tags.count("prog"), 1u);
}

TEST_F(CtagsRunnerTest, CurrentTextIsTaggedThroughACopyAndAwkwardNamesToo)
{
    CtagsRequest r;
    r.path = write("edit.c", "int saved(void) { return 0; }\n");
    r.lexer = "cpp";
    r.text = std::string("\n\nint onScreen(void) { return 0; }\n");
    CtagsOutcome o = runCtags(r);
    ASSERT_TRUE(o.ok);
    ASSERT_EQ(o.tags.size(), 1u);
    EXPECT_EQ(o.tags[0].name, "onScreen");
    EXPECT_EQ(o.tags[0].line, 3);

    // A tab in the file's name would cut the output's fields.
    o = run(write("odd\tname.c", "int first(void);\nint first(void) { return 1; }\n"), "cpp");
    ASSERT_TRUE(o.ok);
    ASSERT_EQ(o.tags.size(), 1u);
    EXPECT_EQ(o.tags[0].name, "first");
    EXPECT_EQ(o.tags[0].line, 2);
}

TEST_F(CtagsRunnerTest, GarbageAndStandardErrorAreNotTags)
{
    standIn("echo 'this is not a tag line' >&2\n"
            "printf 'noise\\r\\nreal\\tf.c\\t3;\"\\tf\\tline:3\\r\\n\\001\\002\\377\\nother\\tf.c\\t9;\"\\tv\\tline:9\\n'\n");
    const CtagsOutcome o = run(write("f.c", "x"), "cpp");
    EXPECT_TRUE(o.ok);
    ASSERT_EQ(o.tags.size(), 2u);
    EXPECT_EQ(o.tags[0].name, "real");
    EXPECT_EQ(o.tags[1].name, "other");
    EXPECT_EQ(o.tags[1].kind, 13);
}

TEST_F(CtagsRunnerTest, ArgumentsReachTheTaggerAndItRunsInTheRootFolder)
{
    standIn("printf 'args\\tf\\t1;\"\\tf\\tline:1\\tclass:%s|%s|%s|%s|%s|%s|%s\\n' \"$@\" \"$(pwd)\"\n");
    const QString path = write("Makefile", "all:\n");
    const CtagsOutcome o = run(path, "makefile");
    ASSERT_EQ(o.tags.size(), 1u);
    EXPECT_EQ(QString::fromStdString(o.tags[0].scope),
              "--language-force=Make|-n|--fields=fkns|-f|-|" + path + "|/");
}

TEST_F(CtagsRunnerTest, AHangingTaggerIsKilledAndTheRunFails)
{
    // One tag, then silence while the tagger (and a child it started) keep the pipe open.
    standIn("printf 'early\\tf.c\\t1;\"\\tf\\tline:1\\n'\nsleep 60 &\nsleep 60\n");
    CtagsOutcome o = run(write("f.c", "x"), "cpp", {300, 5000});
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.timedOut);
    ASSERT_EQ(o.tags.size(), 1u);   // what came before stays
    EXPECT_EQ(o.tags[0].name, "early");

    // A tagger that keeps talking but never ends meets the overall bound.
    standIn("while :; do printf 'spam\\tf.c\\t1;\"\\tf\\tline:1\\n'; sleep 0.05; done\n");
    o = run(write("f.c", "x"), "cpp", {1000, 400});
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.timedOut);
    EXPECT_FALSE(o.tags.empty());

    // A tagger that works silently (as one that sorts its tags does on a large file) is
    // not hanging: only silence without processor time counts.
    standIn("i=0\nwhile [ $i -lt 400000 ]; do i=$((i+1)); done\nprintf 'late\\tf.c\\t1;\"\\tf\\tline:1\\n'\n");
    o = run(write("f.c", "x"), "cpp", {400, 60000});
    EXPECT_TRUE(o.ok);
    ASSERT_EQ(o.tags.size(), 1u);
    EXPECT_EQ(o.tags[0].name, "late");

    // A tagger that closes its output but does not end.
    standIn("exec >/dev/null\nsleep 60\n");
    o = run(write("f.c", "x"), "cpp", {300, 5000});
    EXPECT_FALSE(o.ok);
}

TEST_F(CtagsRunnerTest, MissingOrFailingTaggerOrOnlyInTheCurrentFolder)
{
    QTemporaryDir empty;
    qputenv("PATH", QFile::encodeName(empty.path()));
    EXPECT_TRUE(findCtags().isEmpty());
    EXPECT_FALSE(run(write("f.c", "int f(void){return 0;}\n"), "cpp").ok);

    // A "ctags" in the current folder is never run, even with "." or an empty entry on PATH.
    standIn("printf 'planted\\tf\\t1;\"\\tf\\tline:1\\n'\n");
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.filePath("bin"));
    qputenv("PATH", QByteArray(".::") + QFile::encodeName(empty.path()));
    EXPECT_TRUE(findCtags().isEmpty());
    EXPECT_TRUE(run(write("g.c", "x"), "cpp").tags.empty());
    QDir::setCurrent(saved);

    standIn("printf 'partial\\tf\\t1;\"\\tf\\tline:1\\n'\nexit 3\n");
    const CtagsOutcome o = run(write("f.c", "x"), "cpp");
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.tags.size(), 1u);
}

TEST_F(CtagsRunnerTest, JobHandsTheOutcomeOverAndAStoppedRunIsDropped)
{
    const QString a = write("a.c", "int alpha(void) { return 0; }\n");
    CtagsJob job;
    std::vector<std::shared_ptr<CtagsOutcome>> got;
    QObject::connect(&job, &CtagsJob::finished, [&](std::shared_ptr<CtagsOutcome> o) { got.push_back(o); });
    CtagsRequest r;
    r.path = a;
    r.lexer = "cpp";
    job.start(r);
    EXPECT_TRUE(job.running());
    QElapsedTimer t;
    t.start();
    while (got.empty() && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(got[0]->ok);
    EXPECT_FALSE(job.running());

    // A hanging run that is replaced, then stopped by the job going away, reports nothing.
    standIn("sleep 60\n");
    got.clear();
    {
        CtagsJob hanging;
        QObject::connect(&hanging, &CtagsJob::finished, [&](std::shared_ptr<CtagsOutcome> o) { got.push_back(o); });
        hanging.start(r);
        hanging.start(r);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(got.empty());
}

} // namespace
