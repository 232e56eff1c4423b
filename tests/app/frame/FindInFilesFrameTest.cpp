// Find in Files as the user works it: Ctrl+Shift+F and the menu item open the dialog, Find
// fills the chosen result view from a worker while the editor stays usable, the status bar
// shows the final text, Abort, a second search into the same view, and closing the window
// while a search runs.
#include "FrameFixture.h"

#include "app/SearchCommands.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "search/FindInFilesWorker.h"
#include "search/SearchHistory.h"
#include "search/widgets/FindInFilesDialog.h"
#include "search/widgets/FindView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolButton>

[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

namespace Mask = search::Mask;
using search::FindInFilesDialog;

struct FindInFilesFrameTest : FrameFixture {
    QTemporaryDir store;
    QTemporaryDir tree;

    void SetUp() override
    {
        FrameFixture::SetUp();
        registry::setUserStorePath(store.filePath("registry.txt"));
    }
    void TearDown() override
    {
        FrameFixture::TearDown();
        registry::setUserStorePath(QString());
    }

    void put(const QString& name, const QByteArray& bytes)
    {
        const QString path = tree.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // Enough files that a search is still running when the test acts on it.
    void bigTree(int files)
    {
        const QByteArray body = QByteArray("some text\n").repeated(200) + "needle here\n";
        for (int i = 0; i < files; ++i)
            put(QStringLiteral("big/d%1/f%2.txt").arg(i / 100).arg(i), body);
    }

    FindInFilesDialog* dialog() { return frame->searchCommands()->findInFilesDialog(); }
    search::CFindView* view(int i) { return frame->searchCommands()->resultView(i); }
    QString status() { return frame->statusBar()->currentMessage(); }
    QStringList lines(int i)
    {
        QStringList out;
        for (int r = 0; r < view(i)->count(); ++r)
            out << view(i)->line(r).text;
        return out;
    }

    void openWithKey()
    {
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : frame.get();
        key(target, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_TRUE(dialog());
        ASSERT_TRUE(dialog()->isVisible());
    }
    // A click on the box of a check box or radio button.
    static void clickBox(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); }
    // Fills the dialog as a user types into it, then presses Find.
    void fillAndFind(const QString& text, const QString& folder, const QString& filter, bool subfolders,
                     int window = 0)
    {
        FindInFilesDialog* d = dialog();
        d->findCombo()->lineEdit()->selectAll();
        QTest::keyClicks(d->findCombo()->lineEdit(), text);
        d->folderCombo()->setEditText(folder);
        d->filterCombo()->setEditText(filter);
        auto* sub = qobject_cast<QCheckBox*>(d->control(133));
        if (sub->isChecked() != subfolders)
            clickBox(sub);
        EXPECT_EQ(sub->isChecked(), subfolders);
        auto* radio = qobject_cast<QRadioButton*>(d->control(window ? 109 : 108));
        clickBox(radio);
        EXPECT_TRUE(radio->isChecked());
        QTest::mouseClick(qobject_cast<QPushButton*>(d->control(1)), Qt::LeftButton);
        pump();
    }
    bool finished(int i)
    {
        return pumpUntil([&] {
            search::FindInFilesWorker* w = frame->searchCommands()->findInFilesSearch(i);
            return w && w->finished();
        }, 20000);
    }
};

} // namespace

TEST_F(FindInFilesFrameTest, OpensWithoutDocumentsAndDisablesTheSearchButtonsWhileOpen)
{
    start();
    ASSERT_TRUE(frame->children().isEmpty());
    openWithKey();
    EXPECT_EQ(dialog()->windowTitle(), "Find in File");
    EXPECT_FALSE(dialog()->control(101)->isEnabled());   // no regular expressions here
    cmd::CommandUi* ui = frame->commandUi();
    EXPECT_FALSE(ui->toolAction(cmd::SearchFindInFiles)->isEnabled());
    EXPECT_FALSE(ui->toolAction(cmd::SearchFind)->isEnabled());
    EXPECT_FALSE(ui->toolAction(cmd::SearchReplace)->isEnabled());

    // An empty find text is refused: Find stays off, Enter starts nothing.
    dialog()->findCombo()->setEditText(QString());
    EXPECT_FALSE(dialog()->control(1)->isEnabled());
    key(dialog()->findCombo()->lineEdit(), Qt::Key_Return);
    EXPECT_FALSE(frame->searchCommands()->findInFilesSearch(0));

    // The browse button puts the chosen folder into the folder combo.
    dialogs.folders.push_back(tree.path());
    QTest::mouseClick(qobject_cast<QToolButton*>(dialog()->control(132)), Qt::LeftButton);
    EXPECT_EQ(dialog()->folderCombo()->currentText(), tree.path());

    QTest::mouseClick(qobject_cast<QPushButton*>(dialog()->control(2)), Qt::LeftButton);
    pump();
    EXPECT_FALSE(dialog());
    EXPECT_TRUE(ui->toolAction(cmd::SearchFindInFiles)->isEnabled());
}

TEST_F(FindInFilesFrameTest, FindFillsTheChosenViewAndTheStatusBarAndResultsLeadToTheirLines)
{
    put("a.cpp", "int needle;\n");
    put("sub/b.cpp", "x\n\nneedle(needle)\n");
    put("sub/c.txt", "needle\n");
    start();
    // The active document gives the first filter and folder, and the word at the caret.
    CChildFrame* doc = frame->OpenFile(tree.filePath("a.cpp"));
    ASSERT_TRUE(doc);
    doc->textView()->setFocus();
    doc->textView()->setSel(5, 5);
    openWithKey();
    EXPECT_EQ(dialog()->filterCombo()->currentText(), "*cpp");
    EXPECT_EQ(dialog()->folderCombo()->currentText(), tree.path());
    EXPECT_EQ(dialog()->findCombo()->currentText(), "needle");

    fillAndFind("needle", tree.path() + "/", "*cpp", true, 1);
    EXPECT_FALSE(dialog());   // Find closes the dialog
    ASSERT_TRUE(finished(1));
    const QString b = tree.filePath("sub/b.cpp");
    EXPECT_EQ(lines(1), (QStringList{tree.filePath("a.cpp") + "(1): int needle;", b + "(3): needle(needle)",
                                     b + "(3): needle(needle)"}));
    EXPECT_TRUE(status().startsWith("Find 'needle' completed: 3 occurrences in 2 files, ")) << status().toStdString();
    EXPECT_TRUE(status().endsWith(" second consumed."));
    EXPECT_EQ(settings->search.occurrenceCount, 3);
    EXPECT_EQ(settings->search.fileCount, 2);
    EXPECT_TRUE(settings->search.has(Mask::ResultWindow2 | Mask::Subfolders));
    EXPECT_FALSE(view(1)->abortButton()->isEnabled());
    EXPECT_TRUE(view(1)->clearButton()->isEnabled());

    // The histories hold what was searched.
    search::SearchHistory where(search::history::kFindWhere), type(search::history::kFindType);
    EXPECT_EQ(where.entries().value(0), tree.path() + "/");
    EXPECT_EQ(type.entries().value(0), "*cpp");

    // Enter on the second result opens b.cpp at line 3.
    QListView* list = view(1)->list();
    list->setCurrentIndex(list->model()->index(1, 0));
    list->setFocus();
    key(list, Qt::Key_Return);
    CChildFrame* opened = frame->activeChild();
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->path(), b);
    EXPECT_EQ(opened->textView()->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                                opened->textView()->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)),
              2);

    // A folder that is not there: the status bar says so and the view stays empty.
    // The menu item opens the dialog as the key does.
    QAction* item = frame->commandUi()->menuAction(cmd::SearchFindInFiles);
    ASSERT_TRUE(item);
    item->trigger();
    pump();
    ASSERT_TRUE(dialog());
    fillAndFind("needle", tree.filePath("missing"), QString(), false, 0);
    ASSERT_TRUE(finished(0));
    EXPECT_EQ(status(), "Invalid search path: " + tree.filePath("missing"));
    EXPECT_EQ(view(0)->count(), 0);
}

TEST_F(FindInFilesFrameTest, AbortANewSearchIntoTheSameViewAndClosingTheWindow)
{
    bigTree(3000);
    put("other/x.txt", "haystack\n");
    start();

    // Abort: the final text still comes, with the counts reached; the view holds as many
    // lines as it reports.
    openWithKey();
    fillAndFind("needle", tree.path(), QString(), true, 0);
    QTest::mouseClick(view(0)->abortButton(), Qt::LeftButton);
    ASSERT_TRUE(finished(0));
    EXPECT_FALSE(view(0)->abortButton()->isEnabled());
    EXPECT_EQ(view(0)->count(), settings->search.occurrenceCount);
    EXPECT_TRUE(status().startsWith("Find 'needle' completed: ")) << status().toStdString();

    // A second search into the same view ends the first; only its own lines arrive.
    openWithKey();
    fillAndFind("needle", tree.path(), QString(), true, 0);
    QPointer<search::FindInFilesWorker> first = frame->searchCommands()->findInFilesSearch(0);
    openWithKey();
    fillAndFind("haystack", tree.path(), QString(), true, 0);
    ASSERT_TRUE(finished(0));
    EXPECT_EQ(lines(0), QStringList{tree.filePath("other/x.txt") + "(1): haystack"});
    EXPECT_TRUE(status().startsWith("Find 'haystack' completed: 1 occurrences in 1 files, "));
    EXPECT_TRUE(pumpUntil([&] { return first.isNull(); }));

    // Closing the window while a search runs ends it and waits for its thread.
    openWithKey();
    fillAndFind("needle", tree.path(), QString(), true, 1);
    QPointer<search::FindInFilesWorker> running = frame->searchCommands()->findInFilesSearch(1);
    ASSERT_TRUE(running);
    frame->close();
    EXPECT_TRUE(running.isNull());
}
