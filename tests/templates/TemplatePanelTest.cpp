// The template panel in a real main frame: the shipped templates, Insert Template through
// Alt+I and its pop-up, double clicks on the panel, Add Template from the Edit menu, the
// panel's context menu and dialogs, a velmo.db that is no database, and the group kept at
// exit. The clock is fixed through its seam; velmo.db is checked with the sqlite3 program.
#include "../app/frame/FrameFixture.h"

#include "SqliteCli.h"

#include "app/TemplateCommands.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "framework/widgets/PanelHost.h"
#include "app/FrameShell.h"
#include "templates/TemplateTexts.h"
#include "templates/widgets/AutoListBox.h"
#include "templates/widgets/TemplateDialogs.h"
#include "templates/widgets/TemplateDocker.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QPointer>
#include <QTimer>

#include <functional>

[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using SB = QsciScintillaBase;
using templates::CAutoListBox;
using templates::CTemplateDocker;

struct TemplatePanelTest : FrameFixture {
    seams::FixedClock clock;
    std::unique_ptr<seams::ScopedClock> clockScope;

    void SetUp() override
    {
        FrameFixture::SetUp();
        clock.time = QDateTime(QDate(2008, 8, 8), QTime(21, 58));
        clockScope = std::make_unique<seams::ScopedClock>(&clock);
    }
    void TearDown() override
    {
        for (QTimer* t : watchers)
            if (t) {
                EXPECT_FALSE(t->isActive()) << "a dialog that was waited for did not open";
                delete t;
            }
        FrameFixture::TearDown();
        clockScope.reset();
    }

    QString dbPath() const { return data.filePath("velmo.db"); }
    CTemplateDocker* docker() { return frame->templateCommands()->docker(); }
    templates::TemplateStore& store() { return docker()->store(); }

    void selectGroup(const QString& name)
    {
        const int i = docker()->groupBox()->findText(name);
        ASSERT_GE(i, 0) << name.toStdString();
        docker()->groupBox()->setCurrentIndex(i);
        pump();
    }
    // A template of its own in group C, listed by the panel; its row.
    int addTemplate(const QString& name, const QString& content)
    {
        selectGroup("C");
        const qint64 id = store().add("C", false, name, content);
        EXPECT_GT(id, 0);
        docker()->listGroup();
        for (int r = 0; r < docker()->list()->count(); ++r)
            if (docker()->list()->item(r)->data(Qt::UserRole).toLongLong() == id)
                return r;
        ADD_FAILURE() << "not listed";
        return -1;
    }

    // The template tab of the side panel, shown as Alt+2 shows it.
    void showPanel()
    {
        if (!docker()->isVisible())
            key(frame.get(), Qt::Key_2, Qt::AltModifier);
        ASSERT_TRUE(pumpUntil([&] { return docker()->isVisible(); })) << "the panel is hidden";
    }

    // Runs `f` on the modal dialog the next step opens; the dialog is closed after it in any
    // case, so that a failing check cannot leave the test waiting.
    std::vector<QPointer<QTimer>> watchers;
    void whenModal(std::function<void(QWidget*)> f)
    {
        auto* t = new QTimer;
        t->setInterval(10);
        QObject::connect(t, &QTimer::timeout, [t, f] {
            QPointer<QWidget> w = QApplication::activeModalWidget();
            if (!w)
                return;
            t->stop();
            t->deleteLater();
            f(w);
            if (auto* d = qobject_cast<QDialog*>(w.data()); d && d->isVisible())
                d->reject();
        });
        t->start();
        watchers.push_back(t);
    }

    // Right click at `pos` in the panel's list, then the menu item `id`.
    void panelMenu(const QPoint& pos, int id)
    {
        QWidget* vp = docker()->list()->viewport();
        QTest::mouseClick(vp, Qt::RightButton, {}, pos);
        QContextMenuEvent click(QContextMenuEvent::Mouse, pos, vp->mapToGlobal(pos));
        QApplication::sendEvent(vp, &click);
        pump();
        QMenu* menu = docker()->menu();
        ASSERT_TRUE(pumpUntil([&] { return menu->isVisible(); })) << "the menu did not open";
        for (QAction* a : menu->actions())
            if (a->data().toInt() == id) {
                ASSERT_TRUE(a->isEnabled()) << id;
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                pump();
                return;
            }
        ADD_FAILURE() << "no item " << id;
    }
    QPoint rowCentre(int row)
    {
        return docker()->list()->visualItemRect(docker()->list()->item(row)).center();
    }
    static std::string text(CTextView* v) { return v->text(); }
    static long caret(CTextView* v) { return v->currentPos(); }
};

TEST_F(TemplatePanelTest, TheShippedTemplatesShowInTheSidePanel)
{
    start();
    framework::DockPanel* side = frame->shell()->panels()->panel(framework::PanelHost::Side);
    EXPECT_EQ(side->page(1), docker());
    QComboBox* groups = docker()->groupBox();
    QStringList names;
    for (int i = 0; i < groups->count(); ++i)
        names << groups->itemText(i);
    EXPECT_EQ(names, (QStringList{"C", "Cpp", "HTML", "Python", "SQL", "Shell"}));
    EXPECT_EQ(docker()->currentGroup(), "C");
    ASSERT_GE(docker()->list()->count(), 5);
    EXPECT_EQ(docker()->list()->item(0)->text(), "File header");
    EXPECT_EQ(docker()->list()->item(2)->text(), "");   // a separator
    EXPECT_TRUE(box.shown.empty());
    // The colours of the settings.
    EXPECT_EQ(docker()->list()->palette().color(QPalette::Base), QColor(255, 255, 255));
}

TEST_F(TemplatePanelTest, AltIOpensThePopupAtTheCaretAndEnterInserts)
{
    start();
    const int row = addTemplate("ret", "return $(UPPER(FILE_BASE));\r\n\t|\r\n}");
    CTextView* v = openAndFocus("ab.c", "int f()\r\n{\r\n    \r\n}\r\n");
    ASSERT_TRUE(v);
    if (v->SendScintilla(SB::SCI_GETUSETABS))
        frame->OnCommand(cmd::DocUseTabs);   // a space-indented document
    v->SendScintilla(SB::SCI_GOTOPOS, 16);   // line 3, column 4
    const std::string before = text(v);

    key(v, Qt::Key_I, Qt::AltModifier);
    CAutoListBox* popup = CAutoListBox::current();
    ASSERT_TRUE(popup);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->size(), QSize(150, 200));
    EXPECT_EQ(popup->count(), docker()->list()->count());
    EXPECT_EQ(popup->currentRow(), 0);
    // At the caret, below its line.
    const QPoint caretAt = v->viewport()->mapToGlobal(QPoint(int(v->SendScintilla(SB::SCI_POINTXFROMPOSITION, 0UL, 16L)),
                                                           int(v->SendScintilla(SB::SCI_POINTYFROMPOSITION, 0UL, 16L))));
    EXPECT_EQ(popup->pos().x(), caretAt.x());
    EXPECT_GT(popup->pos().y(), caretAt.y());

    // Alt+I again replaces it: one pop-up at a time.
    key(popup, Qt::Key_Escape);
    EXPECT_FALSE(CAutoListBox::current() && CAutoListBox::current()->isVisible());
    EXPECT_EQ(text(v), before);
    key(v, Qt::Key_I, Qt::AltModifier);
    popup = CAutoListBox::current();
    ASSERT_TRUE(popup);
    key(popup, Qt::Key_I, Qt::AltModifier);
    ASSERT_TRUE(CAutoListBox::current());
    popup = CAutoListBox::current();

    popup->setCurrentRow(row);
    key(popup, Qt::Key_Return);
    EXPECT_FALSE(CAutoListBox::current());
    EXPECT_EQ(text(v), "int f()\r\n{\r\n    return AB;\r\n    \t\r\n    }\r\n}\r\n");
    EXPECT_EQ(caret(v), long(std::string("int f()\r\n{\r\n    return AB;\r\n    \t").size()));
    EXPECT_TRUE(v->hasFocus());
    // One undo step takes it all back.
    key(v, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(v), before);
}

TEST_F(TemplatePanelTest, ADoubleClickOnThePanelReplacesTheSelection)
{
    start();
    const int row = addTemplate("utf", QStringLiteral("\u2192 d\u00e9j\u00e0 $(LINE) $(DATENAME)\r\nnext"));
    CTextView* v = openAndFocus("u.txt", "\xEF\xBB\xBF" "abc\n  old text\n");
    ASSERT_TRUE(v);
    v->setSel(6, 14);   // "old text"
    docker()->list()->setFocus();
    QTest::mouseDClick(docker()->list()->viewport(), Qt::LeftButton, {}, rowCentre(row));
    pump();
    EXPECT_EQ(text(v), "abc\n  \xE2\x86\x92 d\xC3\xA9j\xC3\xA0 2 Aug-08-2008\n  next\n");
    EXPECT_EQ(caret(v), 6);   // no marker: the start of the inserted text
    EXPECT_TRUE(v->hasFocus());

    // A separator inserts nothing and keeps the selection.
    v->setSel(0, 3);
    ASSERT_EQ(docker()->list()->item(2)->text(), "");
    QTest::mouseDClick(docker()->list()->viewport(), Qt::LeftButton, {}, rowCentre(2));
    pump();
    EXPECT_EQ(text(v), "abc\n  \xE2\x86\x92 d\xC3\xA9j\xC3\xA0 2 Aug-08-2008\n  next\n");
    EXPECT_EQ(v->SendScintilla(SB::SCI_GETSELECTIONEND), 3);

    // The same with Enter in the list.
    v->SendScintilla(SB::SCI_DOCUMENTEND);
    docker()->list()->setFocus();
    docker()->list()->setCurrentRow(row);
    key(docker()->list(), Qt::Key_Return);
    EXPECT_TRUE(text(v).ends_with("next\n\xE2\x86\x92 d\xC3\xA9j\xC3\xA0 4 Aug-08-2008\nnext"));
}

TEST_F(TemplatePanelTest, ADocumentWithCrLineEndsKeepsThem)
{
    start();
    const int row = addTemplate("two", "one\r\ntwo|");
    CTextView* v = openAndFocus("mac.txt", "a\rb\r");
    ASSERT_TRUE(v);
    ASSERT_EQ(v->eolMode(), int(SB::SC_EOL_CR));
    v->SendScintilla(SB::SCI_GOTOPOS, 2);
    ASSERT_TRUE(docker()->insertRow(row));
    EXPECT_EQ(text(v), "a\rone\rtwob\r");
    EXPECT_EQ(caret(v), 9);
}

TEST_F(TemplatePanelTest, AddTemplateFromTheSelectionThroughTheEditMenu)
{
    start();
    CTextView* v = openAndFocus("s.c", "keep\r\nit's a'b\r\n\tline two\r\n");
    ASSERT_TRUE(v);
    selectGroup("Python");
    const int before = docker()->list()->count();
    QAction* item = frame->commandUi()->menuAction(224);
    ASSERT_TRUE(item);
    QString title, content;
    whenModal([&](QWidget* w) {
        auto* d = qobject_cast<templates::CEditTempDialog*>(w);
        ASSERT_TRUE(d);
        title = d->windowTitle();
        content = d->contentEdit()->toPlainText();
        EXPECT_EQ(d->focusWidget(), d->nameEdit());
        QTest::keyClicks(d->nameEdit(), "it's");
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    v->setSel(6, 25);   // "it's a'b\r\n\tline two"
    for (QObject* o : item->associatedObjects())
        if (auto* m = qobject_cast<QMenu*>(o))
            emit m->aboutToShow();   // states are computed when the menu opens
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    pump();
    EXPECT_EQ(title, "Add Template");
    EXPECT_EQ(content, "it's a'b\n\tline two");
    ASSERT_EQ(docker()->list()->count(), before + 1);
    EXPECT_EQ(docker()->list()->item(before)->text(), "it's");
    EXPECT_EQ(sqliteCli(dbPath(), "SELECT hex(Content) FROM Python WHERE Name='it''s'"),
              QString(QByteArray("it's a'b\r\n\tline two").toHex().toUpper()));

    // Without a selection the command is off and does nothing.
    v->setSel(0, 0);
    frame->OnCommand(224);
    EXPECT_EQ(docker()->list()->count(), before + 1);
}

TEST_F(TemplatePanelTest, TheEditDialogKeepsTheUsersTextWhenItCannotWrite)
{
    start();
    showPanel();
    selectGroup("SQL");
    const int count = docker()->list()->count();
    bool emptyNameStayed = false, failureStayed = false;
    QString kept;
    whenModal([&](QWidget* w) {
        auto* d = qobject_cast<templates::CEditTempDialog*>(w);
        ASSERT_TRUE(d);
        QTest::keyClicks(d->contentEdit(), "body");
        QTest::mouseClick(d->okButton(), Qt::LeftButton);   // no name
        emptyNameStayed = d->isVisible() && box.shown.size() == 1 && box.shown[0].text == "Template name cannot be empty.";
        // The group vanishes behind the panel's back: the insert fails.
        bool ok = false;
        sqliteCli(dbPath(), "DROP TABLE SQL", &ok);
        EXPECT_TRUE(ok);
        QTest::keyClicks(d->nameEdit(), "n");
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        failureStayed = d->isVisible();
        kept = d->nameEdit()->text() + "/" + d->contentEdit()->toPlainText();
        d->reject();
    });
    panelMenu(QPoint(5, 5), templates::MenuAddTemplate);
    EXPECT_TRUE(emptyNameStayed);
    EXPECT_TRUE(failureStayed);
    EXPECT_EQ(kept, "n/body");
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_TRUE(box.shown[1].text.startsWith("Execute insert into \"SQL\" (Gap, Name, Content)"));
    EXPECT_TRUE(box.shown[1].caption.contains("no such table")) << box.shown[1].caption.toStdString();
    EXPECT_EQ(docker()->list()->count(), count);
}

TEST_F(TemplatePanelTest, TheContextMenuEditsTemplatesAndGroups)
{
    start();
    showPanel();
    selectGroup("Shell");
    QListWidget* list = docker()->list();
    const int count = list->count();
    ASSERT_GE(count, 2);

    // Below the rows the last row is chosen; Edit Template opens it in edit mode.
    QString title;
    bool contentFocused = false;
    whenModal([&](QWidget* w) {
        auto* d = qobject_cast<templates::CEditTempDialog*>(w);
        ASSERT_TRUE(d);
        title = d->windowTitle();
        contentFocused = d->focusWidget() == d->contentEdit();
        d->nameEdit()->setText("a'b");
        QTest::mouseClick(d->separatorBox(), Qt::LeftButton);
        EXPECT_FALSE(d->nameEdit()->isEnabled());
        EXPECT_FALSE(d->contentEdit()->isEnabled());
        QTest::mouseClick(d->separatorBox(), Qt::LeftButton);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    panelMenu(QPoint(5, list->viewport()->height() - 3), templates::MenuEditTemplate);
    EXPECT_EQ(list->currentRow(), count - 1);
    EXPECT_EQ(title, "Edit Template");
    EXPECT_TRUE(contentFocused);
    EXPECT_EQ(list->item(count - 1)->text(), "a'b");
    EXPECT_EQ(sqliteCli(dbPath(), "SELECT Name FROM Shell ORDER BY ID DESC LIMIT 1"), "a'b");

    // Delete Template asks first; No keeps it, Yes deletes it.
    box.answers = {seams::IDNO};
    panelMenu(rowCentre(0), templates::MenuDeleteTemplate);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Are you sure to delete template: Script header?");
    EXPECT_EQ(list->count(), count);
    box.answers = {seams::IDYES};
    panelMenu(rowCentre(0), templates::MenuDeleteTemplate);
    EXPECT_EQ(list->count(), count - 1);

    // A new group: trimmed, listed in order and selected.
    whenModal([&](QWidget* w) {
        auto* d = qobject_cast<templates::CAddTempGroupDialog*>(w);
        ASSERT_TRUE(d);
        QTest::keyClicks(d->nameEdit(), "  \t ");
        QTest::mouseClick(d->okButton(), Qt::LeftButton);   // empty: stays open, cleared
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->nameEdit()->text(), "");
        QTest::keyClicks(d->nameEdit(), " java ");
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    panelMenu(rowCentre(0), templates::MenuAddGroup);
    EXPECT_EQ(docker()->currentGroup(), "java");
    EXPECT_EQ(docker()->groupBox()->itemText(docker()->groupBox()->count() - 1), "java");
    EXPECT_EQ(list->count(), 0);

    // A hostile name: the failure is shown, the dialog keeps the name, the tools survive.
    bool ok = false;
    sqliteCli(dbPath(), "DELETE FROM tools; INSERT INTO tools (Name) VALUES ('make');", &ok);   // the tools' table exists
    ASSERT_TRUE(ok);
    box.shown.clear();
    QString keptName;
    whenModal([&](QWidget* w) {
        auto* d = qobject_cast<templates::CAddTempGroupDialog*>(w);
        ASSERT_TRUE(d);
        QTest::keyClicks(d->nameEdit(), "x(a);drop table tools;--");
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        keptName = d->isVisible() ? d->nameEdit()->text() : QString();
        d->reject();
    });
    panelMenu(QPoint(5, 5), templates::MenuAddGroup);
    EXPECT_EQ(keptName, "x(a);drop table tools;--");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.startsWith("Execute CREATE TABLE x(a);drop table tools;--(ID INTEGER"));
    EXPECT_EQ(box.shown[0].flags, unsigned(seams::MB_OK | seams::MB_ICONERROR));
    EXPECT_EQ(sqliteCli(dbPath(), "SELECT Name FROM tools"), "make");
    EXPECT_EQ(docker()->groupBox()->findText("tools"), -1);

    // Delete This Template Group: the first group is selected after it.
    box.shown.clear();
    box.answers = {seams::IDYES};
    panelMenu(QPoint(5, 5), templates::MenuDeleteGroup);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Are you sure to delete template group: 'java'?");
    EXPECT_EQ(docker()->groupBox()->findText("java"), -1);
    EXPECT_EQ(docker()->currentGroup(), "C");
    EXPECT_EQ(sqliteCli(dbPath(), "SELECT count(*) FROM sqlite_master WHERE name='java'"), "0");
}

TEST_F(TemplatePanelTest, AFileThatIsNoDatabaseIsReportedAndKept)
{
    const QByteArray junk = QByteArray("not a database at all\n").repeated(100);
    {
        QFile f(dbPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(junk);
    }
    start();
    ASSERT_EQ(box.shown.size(), 2u);   // the template panel's word, then the tools'
    EXPECT_EQ(box.shown[1].text, "velmo.db is corrupted");
    EXPECT_EQ(box.shown[0].text, "template.db is corrupted");
    EXPECT_EQ(box.shown[0].caption, "Velmo");
    EXPECT_EQ(docker()->groupBox()->count(), 0);
    CTextView* v = openAndFocus("a.txt", "x");
    ASSERT_TRUE(v);
    key(v, Qt::Key_I, Qt::AltModifier);
    EXPECT_FALSE(CAutoListBox::current());
    docker()->runMenuCommand(templates::MenuAddGroup);   // nothing, and no dialog
    EXPECT_EQ(box.shown.size(), 2u);
    frame->close();
    frame.reset();
    QFile f(dbPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), junk);
}

TEST_F(TemplatePanelTest, TheSelectedGroupIsWrittenAtExitAndUserDataIsUsed)
{
    start();
    settings->WriteString("USER", "USER", "Ann");
    const int row = addTemplate("who", "$(USER) $(LOWER(USER)) $(EMAIL)");
    CTextView* v = openAndFocus("w.txt", "");
    ASSERT_TRUE(v);
    ASSERT_TRUE(docker()->insertRow(row));
    EXPECT_EQ(text(v), "Ann Ann YourEmail");
    selectGroup("Python");
    box.defaultAnswer = seams::IDNO;   // exit without saving w.txt
    saves.defaultAnswer = seams::IDNO;
    frame->close();
    EXPECT_FALSE(frame->isVisible());
    frame.reset();
    EXPECT_EQ(settings->ReadString("USER", "template"), "Python");
}

} // namespace
