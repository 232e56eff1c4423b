#include "FrameFixture.h"

#include "app/SingleInstance.h"
#include "platform/Paths.h"

#include <QLocalSocket>
#include <QProcess>
#include <QtEndian>

namespace {

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
    // The runtime folder is "<XDG_RUNTIME_DIR>/velmo".
    QTemporaryDir xdg;
    QDir().mkpath(xdg.filePath("velmo"));
    QFile::setPermissions(xdg.filePath("velmo"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SingleInstance first(xdg.filePath("velmo"));
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VELMO_DATA_DIR", data.path());
    env.insert("XDG_RUNTIME_DIR", xdg.path());
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(other.path());
    second.start(QStringLiteral(VELMO_BINARY_DIR "/bin/velmo"), {"-line:0,3", "c.txt"});
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
