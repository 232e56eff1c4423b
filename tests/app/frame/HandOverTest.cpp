#include "FrameFixture.h"

#include "app/SingleInstance.h"
#include "platform/Paths.h"
#include "TestPaths.h"

#include <QEventLoop>
#include <QLocalSocket>
#include <QProcess>
#include <QTimer>
#include <QtEndian>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// A message box that stays up, running its own event loop as a real one does, until
// `until` holds or `boundMs` has passed; then `whileUp` has run and `answer` is returned.
struct LingeringBox : seams::IMessageBox {
    std::function<bool()> until = [] { return true; };
    std::function<void()> whileUp = [] {};
    int boundMs = 9000;
    int answer = seams::IDOK;
    QStringList shown;
    int show(QWidget*, const QString& text, const QString&, unsigned) override
    {
        shown << text;
        whileUp();
        QEventLoop loop;
        QTimer poll, bound;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (until())
                loop.quit();
        });
        QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
        poll.start(10);
        bound.start(boundMs);
        loop.exec();
        return answer;
    }
};

// The several-documents question put up as a lingering box.
struct LingeringPrompt : ISaveModifiedPrompt {
    LingeringBox& box;
    explicit LingeringPrompt(LingeringBox& b) : box(b) {}
    int ask(QWidget* parent, const QList<SaveItem>&) override { return box.show(parent, QString(), QString(), 0); }
};

// A second start of the real program with `args`, from `cwd`, against the runtime folder
// under `xdg`.
void startSecond(QProcess& second, const QString& xdg, const QString& dataDir, const QString& cwd,
                 const QStringList& args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VELMO_DATA_DIR", dataDir);
    env.insert("XDG_RUNTIME_DIR", xdg);
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(cwd);
    second.start(testpaths::binary("/bin/velmo"), args);
}

// The runtime folder "<XDG_RUNTIME_DIR>/velmo" of a first instance.
QString makeRuntime(const QTemporaryDir& xdg)
{
    QDir().mkpath(xdg.filePath("velmo"));
    QFile::setPermissions(xdg.filePath("velmo"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return xdg.filePath("velmo");
}

TEST(HandOver, MessagesRoundTripAndMalformedOnesAreRefused)
{
    QString dir, line;
    QByteArray msg = SingleInstance::encode("/home/u", "velmo \"a b.txt\"");
    ASSERT_TRUE(SingleInstance::decode(msg.mid(8), dir, line));
    EXPECT_EQ(dir, "/home/u");
    EXPECT_EQ(line, "velmo \"a b.txt\"");
    EXPECT_TRUE(SingleInstance::decode(QByteArray(), dir, line));   // only "come forward"
    EXPECT_TRUE(line.isEmpty());
    EXPECT_FALSE(SingleInstance::decode(QByteArray("/home\0", 6), dir, line));
    EXPECT_FALSE(SingleInstance::decode(QByteArray("/a\0b\0c\0", 7), dir, line));
    EXPECT_FALSE(SingleInstance::decode(QByteArray("/a\0\xFF\xFE\0", 6), dir, line));
}

struct HandOverFrameTest : FrameFixture {
    QTemporaryDir runtime;
};

TEST_F(HandOverFrameTest, SecondStartOpensItsFilesInTheFirstAndEnds)
{
    start();
    QTemporaryDir xdg;
    SingleInstance first(makeRuntime(xdg));
    ASSERT_TRUE(first.acquire());
    ASSERT_TRUE(first.listen());
    QObject::connect(&first, &SingleInstance::handOverReceived, frame.get(), &CMainFrame::ReceiveHandOver);

    // A real second start from another folder, with a relative name.
    QTemporaryDir other;
    QFile f(other.filePath("c.txt"));
    f.open(QIODevice::WriteOnly);
    f.write("from the second start\n");
    f.close();
    QProcess second;
    startSecond(second, xdg.path(), data.path(), other.path(), {"-line:0,3", "c.txt"});
    ASSERT_TRUE(second.waitForStarted());
    for (int i = 0; i < 2000 && second.state() != QProcess::NotRunning; ++i) {
        pump(10);
        second.waitForFinished(5);
    }
    if (second.state() != QProcess::NotRunning) {
        second.kill();
        second.waitForFinished();
        FAIL() << "the second start did not end";
    }
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_EQ(frame->children().size(), 1);
    EXPECT_EQ(frame->activeChild()->path(), QFileInfo(other.filePath("c.txt")).absoluteFilePath());
    EXPECT_EQ(frame->activeChild()->textView()->currentPos(), 2);
}

TEST_F(HandOverFrameTest, AMessageBoxWhileOpeningHandedOverFilesKeepsBothStartsWell)
{
    // The first of the handed-over files is missing, so the first instance reports it in a
    // box that stays up until the second start has ended. The second start must have its
    // answer by then and end, and closing the box must not touch its connection.
    start();
    QTemporaryDir xdg;
    SingleInstance first(makeRuntime(xdg));
    ASSERT_TRUE(first.acquire());
    ASSERT_TRUE(first.listen());
    QObject::connect(&first, &SingleInstance::handOverReceived, frame.get(), &CMainFrame::ReceiveHandOver);
    QTemporaryDir other;
    QFile f(other.filePath("good.txt"));
    f.open(QIODevice::WriteOnly);
    f.write("good\n");
    f.close();

    QProcess second;
    bool endedWhileUp = false;
    LingeringBox lingering;
    lingering.until = [&] {
        endedWhileUp = second.state() == QProcess::NotRunning;
        return endedWhileUp;
    };
    seams::setMessageBox(&lingering);
    startSecond(second, xdg.path(), data.path(), other.path(), {"missing.txt", "good.txt"});
    ASSERT_TRUE(second.waitForStarted());
    for (int i = 0; i < 1500 && (lingering.shown.isEmpty() || frame->children().isEmpty()); ++i)
        pump(10);
    seams::setMessageBox(&box);
    if (second.state() != QProcess::NotRunning) {
        second.kill();
        second.waitForFinished();
    }
    EXPECT_TRUE(endedWhileUp) << "the second start went on on its own";
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_EQ(lingering.shown.size(), 1);
    EXPECT_TRUE(lingering.shown[0].contains("missing.txt"));
    ASSERT_EQ(frame->children().size(), 1);
    EXPECT_EQ(frame->activeChild()->path(), QFileInfo(other.filePath("good.txt")).absoluteFilePath());
}

TEST_F(HandOverFrameTest, AHandOverWhileTheFrameIsClosingIsNotLost)
{
    start();
    SingleInstance first(runtime.path());
    ASSERT_TRUE(first.acquire());
    ASSERT_TRUE(first.listen());
    first.setAcceptor([&] { return frame->AcceptsHandOver(); });
    QObject::connect(&first, &SingleInstance::handOverReceived, frame.get(), &CMainFrame::ReceiveHandOver);
    const QString late = write("late.txt", "late\n");
    CChildFrame* c = frame->OpenFile(write("edited.txt", "abc"));
    ASSERT_TRUE(c);
    c->textView()->addText(std::string("x"));

    // A second start while the save prompt is up is refused: it goes on on its own.
    LingeringBox lingering;
    std::atomic<int> handedOver{-1};
    std::thread client;
    lingering.whileUp = [&] {
        client = std::thread([&] {
            SingleInstance s(runtime.path());
            handedOver = s.handOver(files.path(), "velmo late.txt", 3000) ? 1 : 0;
        });
    };
    lingering.until = [&] { return handedOver >= 0; };
    lingering.answer = seams::IDCANCEL;
    LingeringPrompt lingeringPrompt(lingering);
    setSaveModifiedPrompt(&lingeringPrompt);
    EXPECT_FALSE(frame->close());
    client.join();
    EXPECT_EQ(handedOver, 0);
    pump(20);
    EXPECT_EQ(openPaths(), QStringList{c->path()});

    // One accepted just before the close began and delivered while the prompt is up is
    // opened once the prompt is answered; the frame stays open to show it.
    lingering.whileUp = [&] { frame->ReceiveHandOver(files.path(), "velmo late.txt"); };
    lingering.until = [] { return true; };
    lingering.answer = seams::IDNO;
    EXPECT_FALSE(frame->close());
    setSaveModifiedPrompt(&saves);
    pump(20);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(openPaths(), QStringList{late});
    // With nothing pending the close goes through, and the frame comes back for a hand-over
    // that was accepted just before.
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(frame->AcceptsHandOver());
    frame->ReceiveHandOver(files.path(), "velmo late.txt");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(openPaths(), QStringList{late});
    EXPECT_TRUE(frame->AcceptsHandOver());
}

TEST_F(HandOverFrameTest, OversizedOrGarbledHandOversAreIgnored)
{
    start();
    SingleInstance first(runtime.path());
    ASSERT_TRUE(first.acquire());
    ASSERT_TRUE(first.listen());
    int received = 0;
    QObject::connect(&first, &SingleInstance::handOverReceived, [&](const QString&, const QString&) { ++received; });
    auto send = [&](const QByteArray& bytes) {
        QLocalSocket s;
        s.connectToServer(first.socketPath());
        ASSERT_TRUE(s.waitForConnected(2000));
        s.write(bytes);
        s.flush();
        for (int i = 0; i < 50 && s.state() == QLocalSocket::ConnectedState; ++i) {
            pump(5);
            s.waitForReadyRead(5);
        }
    };
    QByteArray huge = "VLMO";
    quint32 len = qToBigEndian(quint32(SingleInstance::kMaxHandOver + 1));
    huge.append(reinterpret_cast<const char*>(&len), 4);
    send(huge);
    send("NOPE1234");
    QByteArray bad = "VLMO";
    len = qToBigEndian(quint32(3));
    bad.append(reinterpret_cast<const char*>(&len), 4);
    bad.append("a\0b", 3);
    send(bad);
    pump(50);
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(frame->children().isEmpty());
    // A second SingleInstance on the same folder is not first.
    SingleInstance another(runtime.path());
    EXPECT_FALSE(another.acquire());
}

} // namespace
