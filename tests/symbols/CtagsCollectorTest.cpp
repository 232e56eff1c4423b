// A job's tags handed to a collector on the worker as they are read, and the tagger's
// environment; with the real tagger and scripted stand-ins on PATH.
#include "CtagsStandIn.h"
#include "symbols/CtagsRunner.h"
#include "symbols/SymbolModels.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <thread>

using namespace symbols;

namespace {

struct CtagsCollectorTest : CtagsStandInTest {
    QByteArray savedTunables = qgetenv("GLIBC_TUNABLES");

    void TearDown() override
    {
        CtagsStandInTest::TearDown();
        if (savedTunables.isNull())
            qunsetenv("GLIBC_TUNABLES");
        else
            qputenv("GLIBC_TUNABLES", savedTunables);
    }
    static CtagsRequest request(const QString& path)
    {
        CtagsRequest r;
        r.path = path;
        r.lexer = "cpp";
        return r;
    }
    // Runs a job with a collector of by-line trees to its end.
    static std::shared_ptr<CtagsOutcome> runJob(const CtagsRequest& r, std::thread::id* collectedOn = nullptr,
                                                CtagsBounds bounds = {})
    {
        struct Collector : TagCollector {
            SymbolTreeBuilder builder{SymbolTreeModel::ByLine};
            std::thread::id* on;
            explicit Collector(std::thread::id* where) : on(where) {}
            void AddTag(int one, const TagRecord& tag) override
            {
                if (on)
                    *on = std::this_thread::get_id();
                builder.AddTag(one, tag);
            }
            std::shared_ptr<void> finish() override { return std::make_shared<SymbolTreeData>(builder.finish()); }
        };
        CtagsJob job;
        job.setBounds(bounds);
        job.setCollector([collectedOn] { return std::make_unique<Collector>(collectedOn); });
        std::shared_ptr<CtagsOutcome> got;
        QObject::connect(&job, &CtagsJob::finished, [&](std::shared_ptr<CtagsOutcome> o) { got = o; });
        job.start(r);
        QElapsedTimer t;
        t.start();
        while (!got && t.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return got;
    }
    static QStringList texts(const SymbolTreeData& tree)
    {
        QStringList out;
        for (int n : tree.top)
            out << tree.nodes[size_t(n)].text;
        return out;
    }
};

TEST_F(CtagsCollectorTest, TagsGoToTheCollectorOnTheWorkerAndItsTreeIsHandedOver)
{
    const QString path = write("shapes.cpp", "int zeta(void) { return 0; }\n"
                                             "struct Point { int x; };\n"
                                             "int alpha(void) { return 1; }\n");
    std::thread::id on;
    std::shared_ptr<CtagsOutcome> o = runJob(request(path), &on);
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->ok);
    EXPECT_TRUE(o->tags.empty());   // nothing is gathered twice
    EXPECT_NE(on, std::this_thread::get_id());
    ASSERT_TRUE(o->prepared);
    const auto& tree = *std::static_pointer_cast<SymbolTreeData>(o->prepared);
    EXPECT_EQ(texts(tree), QStringList({"zeta", "Point", "Point::x", "alpha"}));

    // A run that is killed hands over what was read before.
    standIn("printf 'early\\tf.c\\t5;\"\\tf\\tline:5\\n'\nsleep 60\n");
    o = runJob(request(path), nullptr, {300, 5000});
    ASSERT_TRUE(o);
    EXPECT_FALSE(o->ok);
    EXPECT_TRUE(o->timedOut);
    ASSERT_TRUE(o->prepared);
    EXPECT_EQ(texts(*std::static_pointer_cast<SymbolTreeData>(o->prepared)), QStringList({"early"}));
}

TEST_F(CtagsCollectorTest, TheTaggerGetsTunedAllocationAndTheUsersTunablesWin)
{
    // The stand-in reports the tunables it was given and one other variable as tag names.
    standIn("printf '%s\\tf.c\\t1;\"\\tf\\tline:1\\n' \"$GLIBC_TUNABLES\" \"$VELMO_PROBE\"\n");
    qputenv("VELMO_PROBE", "kept");
    qunsetenv("GLIBC_TUNABLES");
    CtagsOutcome o = runCtags(request(write("f.c", "x")));
    ASSERT_EQ(o.tags.size(), 2u);
    EXPECT_EQ(o.tags[0].name, "glibc.malloc.hugetlb=1:glibc.malloc.top_pad=67108864");
    EXPECT_EQ(o.tags[1].name, "kept");

    // Set by the user: theirs follow ours, and the later setting of a tunable is the one
    // the C library keeps.
    qputenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=0");
    o = runCtags(request(write("f.c", "x")));
    ASSERT_EQ(o.tags.size(), 2u);
    EXPECT_EQ(o.tags[0].name, "glibc.malloc.hugetlb=1:glibc.malloc.top_pad=67108864:glibc.malloc.hugetlb=0");
    qunsetenv("VELMO_PROBE");

    // The real tagger gives the same tags whatever the tunables.
    qputenv("PATH", savedPath);
    const QString real = write("real.cpp", "namespace n { class C { int m; }; }\nint f() { return 0; }\n");
    qunsetenv("GLIBC_TUNABLES");
    const CtagsOutcome tuned = runCtags(request(real));
    qputenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=0:glibc.malloc.top_pad=0");
    const CtagsOutcome plain = runCtags(request(real));
    ASSERT_TRUE(tuned.ok);
    ASSERT_EQ(tuned.tags.size(), plain.tags.size());
    for (size_t i = 0; i < tuned.tags.size(); ++i) {
        EXPECT_EQ(tuned.tags[i].name, plain.tags[i].name);
        EXPECT_EQ(tuned.tags[i].line, plain.tags[i].line);
        EXPECT_EQ(tuned.tags[i].scope, plain.tags[i].scope);
    }
    EXPECT_GE(tuned.tags.size(), 4u);
}

} // namespace
