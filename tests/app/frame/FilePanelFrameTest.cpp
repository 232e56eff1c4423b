// File Properties (Alt+Enter) and Locate File (F4) pressed in a real main frame, and the
// file panel on the side panel.
#include "FrameFixture.h"

#include "app/FileBrowserCommands.h"
#include "app/FrameShell.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "app/commands/DocumentCommands.h"
#include "documents/properties/widgets/DocumentProp.h"
#include "filebrowser/widgets/FileDocker.h"
#include "framework/widgets/PanelHost.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <functional>

using properties::DocumentProp;

namespace {

struct FilePanelFrameTest : FrameFixture {
    // Presses Alt+Enter in the view and hands the dialog that comes up to `inspect`
    // before closing it with its Close button.
    void properties(QWidget* target, const std::function<void(DocumentProp*)>& inspect)
    {
        bool seen = false;
        auto* timer = new QTimer;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [&, timer] {
            auto* dialog = qobject_cast<DocumentProp*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer->stop();
            timer->deleteLater();
            seen = true;
            inspect(dialog);
            dialog->findChild<QPushButton*>("close")->click();
        });
        timer->start();
        key(target, Qt::Key_Return, Qt::AltModifier);
        EXPECT_TRUE(seen) << "no File Property dialog";
        if (!seen)
            delete timer;
    }

    static QString md5Of(const QByteArray& bytes)
    {
        return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()).toUpper();
    }
};

} // namespace

TEST_F(FilePanelFrameTest, AltEnterReportsOnANewDocumentAndCopies)
{
    start();
    CChildFrame* c = frame->NewDocument();
    ASSERT_TRUE(c && c->textView());
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    c->textView()->setFocus();
    QTest::keyClicks(c->textView(), "hello, world");
    properties(c->textView(), [](DocumentProp* d) {
        EXPECT_EQ(d->windowTitle(), "File Property");
        EXPECT_EQ(d->report(), "File:\t<new>\r\nLines:\t1\r\nChars:\t12\r\nWords:\t2\r\n");
        d->findChild<QPushButton*>("copy")->click();
    });
    EXPECT_EQ(QApplication::clipboard()->text(), "File:\t<new>\nLines:\t1\nChars:\t12\nWords:\t2\n");

    // Locate File and Open by Default App have nothing to show for a document without a file.
    QMenu* tool = frame->commandUi()->popup("menu_tool");
    ASSERT_TRUE(tool);
    emit tool->aboutToShow();
    for (QAction* a : tool->actions()) {
        if (a->data().toInt() == cmd::ToolLocateFile || a->data().toInt() == cmd::ToolOpenByDefaultApp) {
            EXPECT_FALSE(a->isEnabled());
        }
        if (a->data().toInt() == cmd::ToolFileProperties) {
            EXPECT_TRUE(a->isEnabled());
        }
    }
}

TEST_F(FilePanelFrameTest, CharactersAreTheDocumentsOwnBytesAndSumsDescribeTheSavedFile)
{
    start();
    const QByteArray utf8 = "h\xc3\xa9llo w\xc3\xb6rld\n";
    CTextView* v = openAndFocus("utf8.txt", utf8);
    ASSERT_TRUE(v);
    ASSERT_NE(v->encoding(), 0);
    properties(v, [&](DocumentProp* d) {
        EXPECT_TRUE(d->report().startsWith("File:\t" + files.filePath("utf8.txt")
                                           + "\r\nLines:\t2\r\nChars:\t14\r\nWords:\t2\r\nSize:\t14 bytes (14 bytes)\r\n"))
            << d->report().toStdString();
    });

    const QByteArray ansi = "h\xe9llo w\xf6rld\n";
    v = openAndFocus("ansi.txt", ansi);
    ASSERT_TRUE(v);
    ASSERT_EQ(v->encoding(), 0);
    // Typed but not saved: the counts follow the text, the sums the file.
    QTest::keyClicks(v, "more ");
    properties(v, [&](DocumentProp* d) {
        const QString r = d->report();
        EXPECT_TRUE(r.startsWith("File:\t" + files.filePath("ansi.txt")
                                 + "\r\nLines:\t2\r\nChars:\t17\r\nWords:\t3\r\nSize:\t12 bytes (12 bytes)\r\n"))
            << r.toStdString();
        EXPECT_TRUE(r.contains("MD5:\t" + md5Of(ansi) + "\r\n"));
    });
}

TEST_F(FilePanelFrameTest, WordsAcrossTheReadingWindowAndSumsOnTheWorker)
{
    start();
    // "abcd" straddles the end of the first 128 KiB window.
    QByteArray text(131070, ' ');
    text += "abcd efg\n";
    CTextView* v = openAndFocus("window.txt", text);
    ASSERT_TRUE(v);
    DocumentProp::setBackgroundThreshold(0);   // every file on the worker
    properties(v, [&](DocumentProp* d) {
        EXPECT_TRUE(d->report().contains("\r\nWords:\t2\r\n")) << d->report().toStdString();
        ASSERT_TRUE(pumpUntil([d] { return !d->computing(); }, 10000));
        EXPECT_TRUE(d->report().contains("MD5:\t" + md5Of(text) + "\r\n"));
        EXPECT_TRUE(d->report().endsWith("\r\n") && d->report().contains("SHA256:\t"));
        EXPECT_TRUE(d->progressText().isEmpty());
    });
    // Closed while the worker still reads: it is stopped and waited for.
    const QString big = write("big.bin", QByteArray(24 * 1024 * 1024, 'z'));
    v = openAndFocus("small.txt", "x\n");
    CChildFrame* c = frame->activeChild();
    {
        DocumentProp d(v, big, frame.get());
        EXPECT_TRUE(d.computing());
        EXPECT_TRUE(d.progressText().startsWith("Computing check sums..."));
    }
    DocumentProp::setBackgroundThreshold(8 * 1024 * 1024);
    EXPECT_EQ(frame->activeChild(), c);
}

TEST_F(FilePanelFrameTest, F4ShowsTheFileInThePanel)
{
    start();
    const QString path = write("deep/er/found.txt", "x\n");
    CTextView* v = openAndFocus("deep/er/found.txt", "x\n");
    ASSERT_TRUE(v);
    framework::PanelHost* panels = frame->shell()->panels();
    panels->setShown(framework::PanelHost::Side, false);
    key(v, Qt::Key_F4);
    EXPECT_TRUE(panels->isShown(framework::PanelHost::Side));
    EXPECT_EQ(panels->panel(framework::PanelHost::Side)->currentId(), 0);
    filebrowser::CFileDocker* docker = frame->fileCommands()->docker();
    EXPECT_EQ(panels->panel(framework::PanelHost::Side)->page(0), docker);
    EXPECT_EQ(docker->currentFolder(), QFileInfo(path).absolutePath());
    ASSERT_TRUE(pumpUntil([&] { return docker->selectedPaths() == QStringList{path}; }));
    EXPECT_EQ(QApplication::focusWidget(), docker->view());

    // A double click on a file of the white list opens it in the editor, on another file
    // the desktop's way.
    settings->fileViewList = "*.txt;*.c";
    QList<QUrl> launched;
    cmd::setUrlOpener([&](const QUrl& u) {
        launched << u;
        return true;
    });
    write("deep/er/other.txt", "other\n");
    write("deep/er/run.exe", "MZ");
    QModelIndex idx;
    ASSERT_TRUE(pumpUntil([&] {
        idx = docker->indexOf(files.filePath("deep/er/other.txt"));
        return idx.isValid() && docker->shownNames().size() == 3;
    }));
    auto doubleClick = [&](const QModelIndex& i) {
        const QRect r = docker->view()->visualRect(i);
        QTest::mousePress(docker->view()->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QTest::mouseRelease(docker->view()->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QTest::mouseDClick(docker->view()->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        pump();
    };
    doubleClick(idx);
    EXPECT_TRUE(openPaths().contains(files.filePath("deep/er/other.txt")));
    EXPECT_TRUE(launched.isEmpty());
    doubleClick(docker->indexOf(files.filePath("deep/er/run.exe")));
    EXPECT_FALSE(openPaths().contains(files.filePath("deep/er/run.exe")));
    EXPECT_EQ(launched, QList<QUrl>{QUrl::fromLocalFile(files.filePath("deep/er/run.exe"))});
    cmd::setUrlOpener({});
}

TEST_F(FilePanelFrameTest, PanelStateIsSavedWithTheFrame)
{
    start();
    QDir(files.path()).mkpath("kept");
    filebrowser::CFileDocker* docker = frame->fileCommands()->docker();
    ASSERT_TRUE(docker->goTo(files.filePath("kept")));
    docker->applyFilter("*.c");
    frame->close();
    frame.reset();
    EXPECT_EQ(settings->ReadString("USER", "path"), files.filePath("kept"));
    EXPECT_EQ(settings->ReadString("USER", "Filter"), "*.c");
}
