// The update client against a local HTTP server: the check's outcomes and messages, the
// request it sends, the dialog's download with its progress, failures and cancel, and the
// program itself as a process.
#include "LocalHttpServer.h"

#include "platform/Seams.h"
#include "updater/UpdateClient.h"
#include "updater/VersionRecord.h"
#include "updater/app/UpdateDialog.h"
#include "TestPaths.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace updater;
using testing_http::LocalHttpServer;
using testing_http::Response;

namespace {

QApplication* app()
{
    static int argc = 1;
    static char name[] = "updater_client_test";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return a;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

constexpr const char* Cpuid = "0D006575746C6E490000000000000000";

class UpdateClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        ASSERT_TRUE(programDir.isValid() && tempDir.isValid());
        oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", tempDir.path().toLocal8Bit());
        env.programFolder = programDir.path();
        env.server = parseServerAddress(server.hostPort());
        env.mac = QStringLiteral("001122AABBCC");
        env.cpuid = QString::fromLatin1(Cpuid);
        env.timeouts.connectMs = 5000;
        env.timeouts.answerMs = 10000;
        env.timeouts.transferMs = 10000;
        installTarget("velmo", Version{{3, 1, 0, 9}});
    }
    void TearDown() override { qputenv("TMPDIR", oldTmp); }

    // A copy of the built update client under `name`, its version record set to `v`.
    QString installTarget(const QString& name, const Version& v)
    {
        QByteArray bytes = readAll(testpaths::binary("/bin/velmoupd"));
        const auto built = readProgramVersion(testpaths::binary("/bin/velmoupd"));
        EXPECT_TRUE(built.has_value());
        const QByteArray from = makeVersionRecord(*built);
        const qsizetype at = bytes.indexOf(from);
        EXPECT_GE(at, 0);
        bytes.replace(at, from.size(), makeVersionRecord(v));
        const QString path = programDir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    void answer(const QByteArray& body, int status = 200) { server.route("/version.asp", Response{status, body}); }

    CheckOutcome check(const QStringList& args = {"-id:7", "velmo"})
    {
        return checkForUpdate(parseCommandLine(args), env);
    }

    QStringList tempFiles() const { return QDir(tempDir.path()).entryList(QDir::Files | QDir::Hidden); }

    // The application exists before the server's thread starts its event loop.
    struct AppFirst {
        AppFirst() { app(); }
    } appFirst;
    LocalHttpServer server;
    QTemporaryDir programDir;
    QTemporaryDir tempDir;
    QByteArray oldTmp;
    CheckEnvironment env;
};

using Kind = CheckOutcome::Kind;

TEST_F(UpdateClient, OutcomesOfTheCheck)
{
    answer("setup_3.1.0.9.exe\nhttp://a/\n");
    EXPECT_EQ(check().kind, Kind::UpToDate);
    answer("setup_3.0.9999.9.exe\nhttp://a/\n");
    EXPECT_EQ(check().kind, Kind::UpToDate);

    answer("setup_3.1.1.0.exe\r\nhttp://a/|http://b/\r\nNew things.\r\n");
    CheckOutcome o = check();
    ASSERT_EQ(o.kind, Kind::Newer);
    EXPECT_EQ(o.caption, "Update - velmo");
    EXPECT_EQ(o.current, (Version{{3, 1, 0, 9}}));
    EXPECT_EQ(o.answer.latest, (Version{{3, 1, 1, 0}}));
    EXPECT_EQ(o.answer.servers, QStringList({"http://a/", "http://b/"}));
    EXPECT_EQ(o.answer.notes, "New things.\n");

    answer("setup.exe\nhttp://a/\n");
    EXPECT_EQ(check().kind, Kind::NoUnderscore);
    answer("no line break");
    EXPECT_EQ(check().kind, Kind::UpToDate);
    answer("setup_3.2.0.0.exe\n\nnotes");
    o = check();
    EXPECT_EQ(o.kind, Kind::Newer);
    EXPECT_EQ(o.answer.servers, QStringList({""}));

    // An HTTP error is a failed request, never "up to date", even with a usable body.
    answer("setup_3.2.0.0.exe\nhttp://a/\n", 500);
    EXPECT_EQ(check().kind, Kind::RequestFailed);
    answer("", 404);
    EXPECT_EQ(check().kind, Kind::RequestFailed);

    // A server that stops answering ends like a failed request once the time limit is up.
    server.route("/version.asp", Response{200, "setup_3.2.0.0.exe\nhttp://a/\n", 5});
    env.timeouts.answerMs = 300;
    EXPECT_EQ(check().kind, Kind::RequestFailed);

    EXPECT_EQ(check({"velmo"}).kind, Kind::NoId);
    EXPECT_EQ(check({"-id:1", "missing"}).kind, Kind::NoVersion);
    EXPECT_EQ(check({"-id:1"}).kind, Kind::NoVersion);
    QFile::copy("/bin/sh", programDir.filePath("plain"));
    EXPECT_EQ(check({"-id:1", "plain"}).kind, Kind::NoVersion);

    env.server = parseServerAddress(QStringLiteral("127.0.0.1:%1").arg(testing_http::deadPort()));
    EXPECT_EQ(check().kind, Kind::CannotConnect);
}

TEST_F(UpdateClient, RequestLineAndHeaders)
{
    answer("none");
    check({"-id:7", "velmo"});
    const QList<QByteArray> requests = server.requests();
    // The connection check before the request sends nothing.
    ASSERT_EQ(requests.size(), 1);
    const QByteArray expected = "GET /version.asp?id=7&mac=001122AABBCC&cpuid=" + QByteArray(Cpuid) + " HTTP/1.0\r\n"
                                "Accept: */*\r\nUser-Agent: 127.0.0.1\r\nHost: " + server.hostPort().toLatin1()
                                + "\r\nPragma: no-cache\r\n\r\n";
    EXPECT_EQ(requests[0], expected);

    // This machine's own values have the formats the server expects.
    env = CheckEnvironment::machine();
    env.programFolder = programDir.path();
    env.server = parseServerAddress(server.hostPort());
    check({"-id:2", "velmo"});
    const QByteArray line = server.requests().last().split('\r').front();
    const QRegularExpression form("^GET /version\\.asp\\?id=2&mac=(([0-9A-F]{2})*)&cpuid=([0-9A-F]{32})? HTTP/1\\.0$");
    EXPECT_TRUE(form.match(QString::fromLatin1(line)).hasMatch()) << line.constData();
}

TEST_F(UpdateClient, MessagesUnlessSilentAndHostileInstallerNames)
{
    seams::ScriptedMessageBox box;
    seams::ScopedMessageBox scoped(&box);
    // A dialog that should not be there is closed, so that a fault fails instead of hanging.
    bool dialogShown = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialogShown = true;
            d->done(QDialog::Rejected);
        }
    });
    guard.start(50);

    answer("setup_3.1.0.9.exe\nhttp://a/\n");
    EXPECT_EQ(runUpdateClient(parseCommandLine({"-id:1", "velmo"}), env), 0);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "The current version is up to date.");
    EXPECT_EQ(box.shown[0].caption, "Update - velmo");
    EXPECT_EQ(box.shown[0].flags, unsigned(seams::MB_OK | seams::MB_ICONINFORMATION));
    box.shown.clear();
    runUpdateClient(parseCommandLine({"-id:1", "velmo", "-s"}), env);
    EXPECT_TRUE(box.shown.empty());

    answer("setup.exe\nhttp://a/\n");
    runUpdateClient(parseCommandLine({"-id:1", "velmo"}), env);
    EXPECT_TRUE(box.shown.empty());

    for (const char* name : {"../../x_9.0.0.0.exe", "dl/x_9.0.0.0.exe", "a\\b_9.0.0.0.exe", ".x_9.0.0.0"}) {
        answer(QByteArray(name) + "\n" + server.base().toLatin1() + "\n");
        server.route("/", Response{200, "#!/bin/sh\n"});
        box.shown.clear();
        EXPECT_EQ(runUpdateClient(parseCommandLine({"-id:1", "velmo"}), env), 0);
        ASSERT_EQ(box.shown.size(), 1u) << name;
        EXPECT_EQ(box.shown[0].text, "The update server named an installer that cannot be used: " + QString::fromLatin1(name));
        EXPECT_EQ(box.shown[0].flags, unsigned(seams::MB_OK | seams::MB_ICONERROR));
    }
    EXPECT_FALSE(dialogShown);
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(tempDir.path()).filePath("../../x_9.0.0.0.exe")));

    env.server = parseServerAddress(QStringLiteral("127.0.0.1:%1").arg(testing_http::deadPort()));
    box.shown.clear();
    EXPECT_EQ(runUpdateClient(parseCommandLine({"/S", "-id:1", "velmo"}), env), 0);
    EXPECT_TRUE(box.shown.empty());
    runUpdateClient(parseCommandLine({"-id:1", "velmo"}), env);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Cannot connect to web.");
    EXPECT_EQ(box.shown[0].flags, unsigned(seams::MB_OK | seams::MB_ICONERROR));
    EXPECT_EQ(runUpdateClient(parseCommandLine({"velmo"}), env), -1);
}

TEST_F(UpdateClient, TheProgramAsAProcess)
{
    const QString client = programDir.filePath("velmoupd");
    ASSERT_TRUE(QFile::copy(testpaths::binary("/bin/velmoupd"), client));
    answer("setup_3.1.0.9.exe\nhttp://a/\n");
    QProcessEnvironment penv = QProcessEnvironment::systemEnvironment();
    penv.insert("VELMO_UPDATE_SERVER", server.hostPort());
    penv.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess p;
    p.setProcessEnvironment(penv);
    p.start(client, {"velmo", "-s"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 255); // -1
    EXPECT_TRUE(server.requests().isEmpty());

    p.start(client, {"-id:3", "velmo", "-s"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(server.requests()[0].startsWith("GET /version.asp?id=3&mac=")) << server.requests()[0].constData();
}

// The dialog, opened the way the program opens it.
class UpdateDialogTest : public UpdateClient {
protected:
    std::unique_ptr<CUpdateDialog> openDialog(const QByteArray& answerText)
    {
        answer(answerText);
        const CheckOutcome o = check();
        EXPECT_EQ(o.kind, Kind::Newer);
        auto d = std::make_unique<CUpdateDialog>(o);
        d->setTimeouts(env.timeouts);
        d->open();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(d.get()));
        return d;
    }
    static bool waitFor(const std::function<bool()>& f) { return QTest::qWaitFor(f, 30000); }

    seams::ScriptedMessageBox box;
    seams::ScopedMessageBox scoped{&box};
};

TEST_F(UpdateDialogTest, ShowsBothVersionsServersAndNotes)
{
    auto d = openDialog("setup_3.1.1.0.exe\nhttp://one/|http://two/\nLine one.\r\nLine two.\n");
    EXPECT_EQ(d->windowTitle(), "Update - velmo");
    EXPECT_EQ(d->yourVersion()->text(), "3.1.0.9");
    EXPECT_EQ(d->latestVersion()->text(), "3.1.1.0");
    ASSERT_EQ(d->serverList()->count(), 2);
    EXPECT_EQ(d->serverList()->currentText(), "http://one/");
    EXPECT_EQ(d->notes()->toPlainText(), "Line one.\nLine two.\n");
    EXPECT_TRUE(d->progressBar()->isHidden());
    EXPECT_TRUE(d->percentText()->isHidden());
    EXPECT_EQ(d->progressBar()->maximum(), 100);
    EXPECT_TRUE(d->updateButton()->isEnabled());
    EXPECT_EQ(d->downloadTarget(), QDir(tempDir.path()).filePath("setup_3.1.1.0.exe"));
}

TEST_F(UpdateDialogTest, DownloadsWithProgressHeldBelowNinetyThenStartsTheInstaller)
{
    const QString marker = tempDir.filePath("installer-ran");
    qputenv("VELMO_TEST_MARKER", marker.toLocal8Bit());
    const QByteArray installer = "#!/bin/sh\necho ran > \"$VELMO_TEST_MARKER\"\n" + QByteArray(200000, '#') + "\n";
    server.route("/files/", Response{200, installer});
    auto d = openDialog("setup_3.1.1.0.run\n" + server.base().toLatin1() + "files/\nnotes\n");

    QStringList shown;
    bool succeeded = false;
    QObject::connect(&d->download(), &Download::progress, d.get(), [&] { shown << d->percentText()->text(); });
    QObject::connect(&d->download(), &Download::succeeded, d.get(), [&] { succeeded = true; });
    QTest::mouseClick(d->updateButton(), Qt::LeftButton);
    EXPECT_FALSE(d->updateButton()->isEnabled());
    EXPECT_TRUE(d->progressBar()->isVisible());
    ASSERT_TRUE(waitFor([&] { return d->isHidden(); }));
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(d->result(), QDialog::Accepted);

    ASSERT_FALSE(shown.isEmpty());
    for (const QString& s : shown) {
        EXPECT_TRUE(s.endsWith('%'));
        EXPECT_LE(s.chopped(1).toInt(), 90) << s.toStdString();
    }
    EXPECT_EQ(shown.last(), "90%"); // all bytes in, before completion
    EXPECT_EQ(d->percentText()->text(), "100%");
    EXPECT_EQ(d->progressBar()->value(), 100);

    const QString path = d->downloadTarget();
    EXPECT_EQ(readAll(path), installer);
    EXPECT_EQ(d->notes()->toPlainText(),
              "notes\n\n" + QString(74, '-') + "\nBegin download: setup_3.1.1.0.run\nDownload to: " + path + "\nDownload over\n");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Download Finished, Update Now?");
    EXPECT_EQ(box.shown[0].caption, "");
    EXPECT_EQ(box.shown[0].flags, unsigned(seams::MB_OK));
    EXPECT_TRUE(d->installerStarted());
    EXPECT_TRUE(waitFor([&] { return QFile::exists(marker); }));
    EXPECT_EQ(tempFiles(), QStringList({"installer-ran", "setup_3.1.1.0.run"}));
    qunsetenv("VELMO_TEST_MARKER");
}

TEST_F(UpdateDialogTest, OneServerFailingLeavesUpdateDisabled)
{
    const QString dead = QStringLiteral("http://127.0.0.1:%1/").arg(testing_http::deadPort());
    auto d = openDialog("setup_3.1.1.0.run\n" + dead.toLatin1() + "\n");
    QTest::mouseClick(d->updateButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !box.shown.empty(); }));
    EXPECT_EQ(box.shown[0].text, "Cannot download, try later.");
    EXPECT_EQ(box.shown[0].caption, "Update - velmo");
    EXPECT_FALSE(d->updateButton()->isEnabled());
    EXPECT_TRUE(d->progressBar()->isHidden());
    EXPECT_TRUE(d->percentText()->isHidden());
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(UpdateDialogTest, WithTwoServersAnotherCanBeChosenAfterAFailure)
{
    server.route("/files/", Response{200, "#!/bin/sh\n"});
    server.route("/missing/", Response{404, "not here"});
    const QString dead = QStringLiteral("http://127.0.0.1:%1/").arg(testing_http::deadPort());
    auto d = openDialog("setup_3.1.1.0.run\n" + dead.toLatin1() + "|" + server.base().toLatin1() + "missing/|"
                        + server.base().toLatin1() + "files/\n");

    QTest::mouseClick(d->updateButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return box.shown.size() == 1; }));
    EXPECT_EQ(box.shown[0].text, "cannot download file, please try other url.");
    EXPECT_TRUE(d->updateButton()->isEnabled());

    // A server answering with an HTTP error fails the same way; nothing is left behind.
    d->serverList()->setFocus();
    QTest::keyClick(d->serverList(), Qt::Key_Down);
    EXPECT_EQ(d->serverList()->currentIndex(), 1);
    QTest::mouseClick(d->updateButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return box.shown.size() == 2; }));
    EXPECT_EQ(box.shown[1].text, "cannot download file, please try other url.");
    EXPECT_TRUE(tempFiles().isEmpty());

    QTest::keyClick(d->serverList(), Qt::Key_Down);
    QTest::mouseClick(d->updateButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return d->isHidden(); }));
    EXPECT_EQ(box.shown.back().text, "Download Finished, Update Now?");
    EXPECT_EQ(readAll(d->downloadTarget()), "#!/bin/sh\n");
}

TEST_F(UpdateDialogTest, AnEmptyServerEntryFailsLikeAnyOther)
{
    auto d = openDialog("setup_3.1.1.0.run\n\n");
    EXPECT_EQ(d->serverList()->count(), 1);
    QTest::mouseClick(d->updateButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !box.shown.empty(); }));
    EXPECT_EQ(box.shown[0].text, "Cannot download, try later.");
    EXPECT_FALSE(d->installerStarted());
}

TEST_F(UpdateDialogTest, ASymbolicLinkInTheTemporaryFolderIsNotFollowed)
{
    server.route("/files/", Response{200, "#!/bin/sh\n"});
    const QString victim = tempDir.filePath("victim");
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly));
    v.write("keep me");
    v.close();
    ASSERT_TRUE(QFile::link(victim, tempDir.filePath("setup_3.1.1.0.run")));
    auto d = openDialog("setup_3.1.1.0.run\n" + server.base().toLatin1() + "files/\n");
    QTest::mouseClick(d->updateButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !box.shown.empty(); }));
    EXPECT_EQ(box.shown[0].text, "Cannot download, try later.");
    EXPECT_EQ(readAll(victim), "keep me");
    EXPECT_FALSE(d->installerStarted());
}

TEST_F(UpdateDialogTest, AStalledDownloadFailsAfterItsTimeLimit)
{
    server.route("/files/", Response{200, QByteArray(1000, 'x'), 10});
    env.timeouts.transferMs = 300;
    auto d = openDialog("setup_3.1.1.0.run\n" + server.base().toLatin1() + "files/\n");
    QTest::mouseClick(d->updateButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !box.shown.empty(); }));
    EXPECT_EQ(box.shown[0].text, "Cannot download, try later.");
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(UpdateDialogTest, CancelAsksAndAbortsTheDownloadRemovingThePartFile)
{
    server.route("/files/", Response{200, QByteArray(100000, 'x'), 3000});
    auto d = openDialog("setup_3.1.1.0.run\n" + server.base().toLatin1() + "files/\n");
    qint64 received = 0;
    QObject::connect(&d->download(), &Download::progress, d.get(), [&](qint64 r, qint64) { received = r; });
    QTest::mouseClick(d->updateButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return received > 0; }));
    EXPECT_EQ(d->percentText()->text(), "3%");

    box.answers = {seams::IDNO};
    QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Are you sure cancel update?");
    EXPECT_EQ(box.shown[0].flags, unsigned(seams::MB_YESNO | seams::MB_ICONQUESTION));
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(d->download().running());

    box.answers = {seams::IDYES};
    QTest::keyClick(d.get(), Qt::Key_Escape);
    EXPECT_EQ(box.shown.size(), 2u);
    EXPECT_TRUE(d->isHidden());
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_FALSE(d->download().running());
    QTest::qWait(0);
    EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(',').toStdString();
    EXPECT_FALSE(d->installerStarted());
}

} // namespace
